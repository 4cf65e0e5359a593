// Generate Configuration Payload (32827) and Send Configuration to Firmware (32828):
// both check the configuration, write it to the work directory beside the embedded
// compiler, run the compiler and show what it printed in the Status dialog. The
// main window takes part only through PayloadCommandHost and the editor's prompts.
#pragma once

#include <QString>

#include "editor_prompts.h"
#include "work_directory.h"

class CWaitDialog;
class QWidget;

// What the commands need of the main window.
class PayloadCommandHost {
 public:
  virtual ~PayloadCommandHost() = default;

  // Owner of every dialog and message box.
  virtual QWidget* owner() = 0;
  // UpdateData: true takes the control values in, false shows them again.
  virtual void updateData(bool save) = 0;
  // The report lines of every parameter of every enabled instance; empty when the
  // configuration has no errors.
  virtual QString collectErrorReport() = 0;
  // The report lines of what the compiler's checker finds, by tree names; shown
  // above the compiler's own output. Empty when it finds nothing.
  virtual QString compilerFindings() { return {}; }
  // Writes the configuration to the path as Save does (mode 0), leaving the
  // document's own file name and flags as they are.
  virtual void writeConfiguration(const QString& path) = 0;

  // The wait dialog opens with the compiler and closes when it ends.
  virtual void compilerStarted(CWaitDialog* dialog) { (void)dialog; }
};

class CPayloadCommands {
 public:
  CPayloadCommands(PayloadCommandHost& host, EditorPrompts& prompts,
                   const QString& temporaryBase = zefr::TemporaryBase());
  // The main window's destruction: the temporary files go.
  ~CPayloadCommands();
  CPayloadCommands(const CPayloadCommands&) = delete;
  CPayloadCommands& operator=(const CPayloadCommands&) = delete;

  void generate();
  void send();
  // The temporary-file cleanup; true when none of the temporary files is left.
  bool cleanup() { return m_work.cleanup(); }
  // True while a command runs; another is refused until it ends.
  bool busy() const { return m_busy; }

  // The last command's text: the error report or the compiler's output.
  const QString& statusText() const { return m_statusText; }
  zefr::WorkDirectory& workDirectory() { return m_work; }

 private:
  class WaitCursor;

  // Takes the rows into the document and fills the status text with the error
  // report; false, after showing it, when it found errors.
  bool passesPreCheck();
  // Makes the work directory and clears it; false, after taking the cursor down
  // and warning, when it cannot.
  bool prepareWorkDirectory(WaitCursor& cursor);
  // Extracts the embedded compiler (and library) and runs the compiler in the work
  // directory behind the wait dialog; the status text is its output, or why it did
  // not run. True when it ended by itself with exit code 0.
  bool runCompiler(const QString& headline, const QStringList& arguments, bool withLibrary);
  // The "File could not be created." warning, with the reason after it when known.
  void cannotCreate(const QString& why = {});
  // Puts the compiler's findings by tree names above the status text.
  void withFindings(const QString& findings);

  PayloadCommandHost& m_host;
  EditorPrompts& m_prompts;
  zefr::WorkDirectory m_work;
  QString m_statusText;
  bool m_busy = false;
};
