// Running a program with its standard output and standard error joined into one
// captured text, while the editor's window keeps painting.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QLabel;
class QPlainTextEdit;

namespace zefr {

struct RunResult {
  QString output;        // everything the program printed, both channels in order
  bool started = false;  // false: the program could not be started (output is empty)
  QString error;         // why it could not be started, naming the program
  bool exitedCleanly = false;  // ended by itself with exit code 0
};

// Runs the program (no shell: the arguments reach it as they are) in the working
// directory, with no standard input, and waits for it to end while events are
// processed. Each piece of output is also handed to onOutput as it arrives.
RunResult RunWithCapturedOutput(const QString& program, const QStringList& arguments,
                                const QString& workingDirectory,
                                const std::function<void(const QString&)>& onOutput = {});

}  // namespace zefr

// The modal window shown while the compiler runs, with its output as it arrives.
// It cannot be closed: it goes away when the compiler ends.
class CWaitDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CWaitDialog(const QString& headline, QWidget* parent = nullptr);
  void appendOutput(const QString& text);
  QString outputText() const;
  QString headline() const;

 public slots:
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QLabel* m_headline;
  QPlainTextEdit* m_output;
};
