// Running a program with its standard output and standard error joined into one
// captured text, while the editor's window keeps painting.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zefr {

struct RunResult {
  QString output;        // everything the program printed, both channels in order
  bool started = false;  // false: the program could not be started (output is empty)
  QString error;         // why it could not be started, naming the program
  bool exitedCleanly = false;  // ended by itself with exit code 0
  bool cancelled = false;      // ended because cancelRequested said so
};

// Runs the program (no shell: the arguments reach it as they are) in the working
// directory, with no standard input, and waits for it to end while events are
// processed. Each piece of output is also handed to onOutput as it arrives.
// While cancelRequested answers true the program is asked to end (SIGTERM),
// and killed when it has not ended a moment later.
RunResult RunWithCapturedOutput(const QString& program, const QStringList& arguments,
                                const QString& workingDirectory,
                                const std::function<void(const QString&)>& onOutput = {},
                                const std::function<bool()>& cancelRequested = {});

}  // namespace zefr

// The modal window shown while the compiler runs, with its output as it arrives
// and the time since it opened. It cannot be closed: it goes away when the
// compiler ends, which its Cancel button asks for.
class CWaitDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CWaitDialog(const QString& headline, QWidget* parent = nullptr);
  void appendOutput(const QString& text);
  QString outputText() const;
  QString headline() const;
  QString elapsedText() const;
  QPushButton* cancelButton() const { return m_cancel; }
  bool cancelRequested() const { return m_cancelRequested; }

 public slots:
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void showElapsed();

  QLabel* m_headline;
  QPlainTextEdit* m_output;
  QLabel* m_elapsed;
  QPushButton* m_cancel;
  QElapsedTimer m_clock;
  bool m_cancelRequested = false;
};
