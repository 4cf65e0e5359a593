#include "status_dialog.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kWidthDu = 330;
constexpr int kHeightDu = 170;

}  // namespace

QString CStatusDialog::headline(Mode mode) {
  switch (mode) {
    case Mode::Errors: return QStringLiteral("Current configuration contains errors. Cannot proceed.");
    case Mode::Summary: return QStringLiteral("Summary of transaction.");
    case Mode::SaveQuestion: return QStringLiteral("Current configuration contains errors. Proceed with save?");
    case Mode::LoadReport: return QStringLiteral("Loaded configuration contains errors.");
  }
  return QString();
}

QRect CStatusDialog::dialogUnits(int x, int y, int w, int h) const {
  // Dialog units follow the font: a quarter of the average character width across,
  // an eighth of the character height down.
  const QFontMetrics fm(font());
  const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int bx = (fm.horizontalAdvance(alphabet) / 26 + 1) / 2;
  const int by = fm.height();
  return QRect(x * bx / 4, y * by / 8, w * bx / 4, h * by / 8);
}

CStatusDialog::CStatusDialog(Mode mode, const QString& statusText, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Zefr Configuration Utility - Status"));
  setModal(true);
  m_text = new QPlainTextEdit(this);
  m_text->setReadOnly(true);
  m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  m_headline = new QLineEdit(this);
  m_headline->setReadOnly(true);
  m_proceed = new QPushButton(QStringLiteral("&Proceed"), this);
  m_proceed->setDefault(true);
  m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  // The original layout, but the text pane grows with the window: compiler output
  // is long. The size is not kept: each run opens at the same size.
  const QSize button = dialogUnits(0, 0, 60, 15).size();
  m_headline->setFixedHeight(button.height());
  m_headline->setMinimumWidth(dialogUnits(0, 0, 150, 0).width());
  m_proceed->setFixedSize(button);
  m_cancel->setFixedSize(button);
  auto* grid = new QGridLayout(this);
  const QRect margins = dialogUnits(5, 7, 7, 5);
  grid->setContentsMargins(margins.x(), margins.y(), margins.width(), margins.height());
  grid->setVerticalSpacing(dialogUnits(0, 0, 0, 5).height());
  grid->addWidget(m_text, 0, 0, 1, 3);
  grid->addWidget(m_headline, 1, 0, 1, 2);
  grid->addWidget(m_proceed, 2, 0);
  grid->addWidget(m_cancel, 2, 2, Qt::AlignRight);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(0, 1);
  setSizeGripEnabled(true);
  resize(dialogUnits(0, 0, kWidthDu, kHeightDu).size());
  connect(m_proceed, &QPushButton::clicked, this, [this] { done(kProceedId); });
  connect(m_cancel, &QPushButton::clicked, this, [this] { done(kCancelId); });

  m_headline->setText(headline(mode));
  // Captured output ends its lines with CR LF; the pane wants plain line feeds.
  QString text = statusText;
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  m_text->setPlainText(text);
  // After a run the verdict is in the last lines the compiler printed.
  m_scrollToEnd = mode == Mode::Summary;
  switch (mode) {
    case Mode::Errors:
      m_proceed->setEnabled(false);
      break;
    case Mode::Summary:
      m_proceed->setText(QStringLiteral("Finish"));
      m_cancel->setEnabled(false);
      break;
    case Mode::SaveQuestion:
      break;
    case Mode::LoadReport:
      m_cancel->setEnabled(false);
      break;
  }
}

QPushButton* CStatusDialog::button(int id) const {
  if (id == kProceedId) return m_proceed;
  if (id == kCancelId) return m_cancel;
  return nullptr;
}

void CStatusDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!m_scrollToEnd) return;
  m_text->moveCursor(QTextCursor::End);
  m_text->ensureCursorVisible();
}

void CStatusDialog::reject() {
  if (m_cancel->isEnabled())
    done(kCancelId);
  else if (m_proceed->isEnabled())
    done(kProceedId);
}

int CStatusDialog::showStatus(Mode mode, const QString& statusText, QWidget* parent) {
  CStatusDialog d(mode, statusText, parent);
  return d.exec();
}
