// The Status dialog: the editor's one window for long results (collected error
// texts, or what the compiler printed), under a one-line headline.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CStatusDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Mode {
    Errors,        // Generate, Send: the configuration has errors
    Summary,       // Generate, Send: what the compiler printed
    SaveQuestion,  // Save, Save As: save anyway?
    LoadReport,    // Open, Load: the loaded file has errors
  };

  // Control ids of dialog 135.
  static constexpr int kTextId = 1003;
  static constexpr int kHeadlineId = 1014;
  static constexpr int kProceedId = 1;
  static constexpr int kCancelId = 2;

  CStatusDialog(Mode mode, const QString& statusText, QWidget* parent = nullptr);

  // Shows the dialog modally; the id of the button that ended it (1 or 2).
  static int showStatus(Mode mode, const QString& statusText, QWidget* parent);
  static QString headline(Mode mode);

  QPlainTextEdit* textPane() const { return m_text; }
  QLineEdit* headlinePane() const { return m_headline; }
  QPushButton* button(int id) const;
  // Dialog units to pixels for this dialog's font.
  QRect dialogUnits(int x, int y, int w, int h) const;

 public slots:
  // Escape and the close box end the dialog with a button that is enabled, so the
  // caller never sees an answer the mode does not offer.
  void reject() override;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  bool m_scrollToEnd = false;
  QPlainTextEdit* m_text;
  QLineEdit* m_headline;
  QPushButton* m_proceed;
  QPushButton* m_cancel;
};
