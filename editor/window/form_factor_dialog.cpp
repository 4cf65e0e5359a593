#include "form_factor_dialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CFormFactorDialog::CFormFactorDialog(const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Choose a Form Factor"));
  auto* layout = new QVBoxLayout(this);

  auto* radios = new QHBoxLayout;
  auto* group = new QButtonGroup(this);
  const char* names[] = {"ATX", "BTX", "Custom"};
  for (int i = 0; i < 3; ++i) {
    m_buttons[i] = new QRadioButton(QString::fromLatin1(names[i]), this);
    group->addButton(m_buttons[i], i);
    radios->addWidget(m_buttons[i]);
  }
  radios->addStretch(1);
  m_buttons[2]->setChecked(true);
  layout->addLayout(radios);

  auto* label = new QLabel(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this);
  label->setWordWrap(true);
  label->setMinimumWidth(420);
  layout->addWidget(label);

  auto* buttons = new QHBoxLayout;
  auto* proceed = new QPushButton(QStringLiteral("&Proceed"), this);
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  proceed->setObjectName(QStringLiteral("proceed"));
  cancel->setObjectName(QStringLiteral("cancel"));
  proceed->setDefault(true);
  buttons->addWidget(proceed);
  buttons->addStretch(1);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(proceed, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

zefr::FormFactor CFormFactorDialog::chosen() const {
  for (int i = 0; i < 3; ++i)
    if (m_buttons[i]->isChecked()) return static_cast<zefr::FormFactor>(i);
  return zefr::FormFactor::Custom;
}

QRadioButton* CFormFactorDialog::button(zefr::FormFactor formFactor) const {
  return m_buttons[static_cast<int>(formFactor)];
}
