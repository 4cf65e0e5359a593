#include "status_dialog.h"

#include <QFontMetrics>
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
  m_text->setGeometry(dialogUnits(5, 7, 318, 118));
  m_headline = new QLineEdit(this);
  m_headline->setReadOnly(true);
  m_headline->setGeometry(dialogUnits(5, 130, 220, 15));
  m_proceed = new QPushButton(QStringLiteral("&Proceed"), this);
  m_proceed->setGeometry(dialogUnits(5, 150, 60, 15));
  m_proceed->setDefault(true);
  m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  m_cancel->setGeometry(dialogUnits(263, 150, 60, 15));
  setFixedSize(dialogUnits(0, 0, kWidthDu, kHeightDu).size());
  connect(m_proceed, &QPushButton::clicked, this, [this] { done(kProceedId); });
  connect(m_cancel, &QPushButton::clicked, this, [this] { done(kCancelId); });

  m_headline->setText(headline(mode));
  // Captured output ends its lines with CR LF; the pane wants plain line feeds.
  QString text = statusText;
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  m_text->setPlainText(text);
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
