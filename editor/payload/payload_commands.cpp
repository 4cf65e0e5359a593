#include "payload_commands.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <utility>
#include <vector>

#include "captured_run.h"
#include "extract_resource.h"
#include "file_system.h"

using zefr::WorkDirectory;

namespace {

const char kCannotCreate[] = "File could not be created.";
const char kWarning[] = "Warning";
const char kCancelled[] = "Cancelled by the user.";
const char kSendQuestion[] = "Proceeding with sending configuration to firmware. Are you sure?";

// The temporary files go when a command ends, whichever way it ends.
class CleanupAtEnd {
 public:
  explicit CleanupAtEnd(WorkDirectory& work) : m_work(work) {}
  ~CleanupAtEnd() { m_work.cleanup(); }
  CleanupAtEnd(const CleanupAtEnd&) = delete;
  CleanupAtEnd& operator=(const CleanupAtEnd&) = delete;

 private:
  WorkDirectory& m_work;
};

class BusyFlag {
 public:
  explicit BusyFlag(bool& flag) : m_flag(flag) { m_flag = true; }
  ~BusyFlag() { m_flag = false; }

 private:
  bool& m_flag;
};

// Replaces the destination whole, as the compiler does: a failed copy never
// leaves the user's earlier file half overwritten, and the file keeps its
// owner and mode.
bool CopyPayload(const QString& from, const QString& to) {
  // Far above the 1984 bytes the compiler writes.
  constexpr std::size_t kLimit = 1 << 20;
  zefr::files::FileSystem& disk = zefr::files::Disk();
  std::string bytes;
  int error = 0;
  return disk.Read(QFile::encodeName(from).toStdString(), kLimit, bytes, error) &&
         disk.Replace(QFile::encodeName(to).toStdString(), bytes, error);
}

bool SameDirectory(const QString& a, const QString& b) {
  const QString ca = QFileInfo(a).canonicalFilePath();
  return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

}  // namespace

// The wait cursor of a command; it is taken down before every dialog and message box.
class CPayloadCommands::WaitCursor {
 public:
  WaitCursor() { on(); }
  ~WaitCursor() { off(); }
  void on() {
    if (!m_on) QApplication::setOverrideCursor(Qt::WaitCursor);
    m_on = true;
  }
  void off() {
    if (m_on) QApplication::restoreOverrideCursor();
    m_on = false;
  }

 private:
  bool m_on = false;
};

CPayloadCommands::CPayloadCommands(PayloadCommandHost& host, EditorPrompts& prompts, const QString& temporaryBase)
    : m_host(host), m_prompts(prompts), m_work(temporaryBase) {}

CPayloadCommands::~CPayloadCommands() = default;  // the work directory cleans up after itself

bool CPayloadCommands::passesPreCheck() {
  m_host.updateData(true);
  WaitCursor cursor;
  m_statusText.clear();
  m_statusText = m_host.collectErrorReport();
  if (m_statusText.isEmpty()) return true;
  cursor.off();
  m_prompts.showStatus(m_host.owner(), CStatusDialog::Mode::Errors, m_statusText);
  return false;
}

void CPayloadCommands::cannotCreate(const QString& why) {
  QString text = QString::fromLatin1(kCannotCreate);
  if (!why.isEmpty()) text += u'\n' + why;
  m_prompts.warn(m_host.owner(), QString::fromLatin1(kWarning), text);
}

bool CPayloadCommands::prepareWorkDirectory(WaitCursor& cursor) {
  QString why;
  if (!m_work.ensure())
    why = m_work.error();
  else if (m_work.cleanup())
    return true;
  cursor.off();
  cannotCreate(why);
  return false;
}

bool CPayloadCommands::runCompiler(const QString& headline, const QStringList& arguments, bool withLibrary) {
  // Written as new files and checked again right before the run, so that what
  // runs is what the editor wrote.
  std::vector<std::pair<int, QString>> files{{zefr::kCompilerResource, QString::fromLatin1(zefr::kTempCompilerName)}};
  if (withLibrary) files.emplace_back(zefr::kLibraryResource, QString::fromLatin1(zefr::kTempLibraryName));
  for (const auto& [resource, name] : files)
    if (!m_work.extract(resource, name)) {
      m_statusText = m_work.error();
      return false;
    }
  CWaitDialog wait(headline, m_host.owner());
  wait.show();
  m_host.compilerStarted(&wait);
  for (const auto& [resource, name] : files)
    if (!m_work.verify(name)) {
      m_statusText = QStringLiteral("Not run: ") + m_work.error();
      return false;
    }
  const zefr::RunResult result = zefr::RunWithCapturedOutput(
      m_work.compilerPath(), arguments, m_work.path(), [&wait](const QString& text) { wait.appendOutput(text); },
      [&wait] { return wait.cancelRequested(); });
  wait.hide();
  m_statusText = result.started ? result.output : result.error;
  if (result.cancelled) m_statusText += QStringLiteral("\r\n") + QString::fromLatin1(kCancelled);
  return result.exitedCleanly && !result.cancelled;
}

void CPayloadCommands::withFindings(const QString& findings) {
  // By tree names first, so the compiler's section and key lines below can be
  // found in the tree.
  if (findings.isEmpty()) return;
  // The compiler's output opens with a blank line of its own.
  const bool apart = m_statusText.startsWith(u'\n') || m_statusText.startsWith(u'\r');
  m_statusText.prepend(apart ? findings : findings + QStringLiteral("\r\n"));
}

void CPayloadCommands::generate() {
  if (m_busy) return;
  BusyFlag busy(m_busy);
  if (!passesPreCheck()) return;
  const QString destination =
      m_prompts.saveFileName(m_host.owner(), QStringLiteral("Save As"),
                             QStringLiteral("Binaries (*.bin)|All Files (*.*)||"), QStringLiteral(".bin"));
  if (destination.isEmpty()) {
    m_host.updateData(false);
    return;
  }
  WaitCursor cursor;
  if (!prepareWorkDirectory(cursor)) return;
  CleanupAtEnd cleanupAtEnd(m_work);
  // The compiler writes the payload under the destination's own name, so its
  // report names the file the user chose.
  const QString name = QFileInfo(destination).fileName();
  const QString workPayload = m_work.filePath(name);
  // A destination inside the work directory is already where the compiler writes:
  // copying it onto itself and removing the result would lose it.
  const bool inPlace = SameDirectory(QFileInfo(destination).absolutePath(), m_work.path());
  if ((inPlace && WorkDirectory::isTemporaryName(name)) || !zefr::RemoveLeftover(workPayload)) {
    cursor.off();
    cannotCreate();
    return;
  }
  m_host.writeConfiguration(m_work.iniPath());
  const QString findings = m_host.compilerFindings();

  m_statusText.clear();
  // Only a payload the compiler finished is copied: after a failed write the file
  // may be partial, and it must not replace what the user had.
  const bool written = runCompiler(QStringLiteral("Generating the configuration payload..."),
                                   {QString::fromLatin1(zefr::kTempIniName), QStringLiteral("-o"), name}, false);
  if (!written || (!inPlace && !CopyPayload(workPayload, destination)))
    m_statusText += QStringLiteral("\r\n") + QString::fromLatin1(kCannotCreate);
  if (!inPlace) QFile::remove(workPayload);
  m_work.cleanup();
  withFindings(findings);

  cursor.off();
  m_prompts.showStatus(m_host.owner(), CStatusDialog::Mode::Summary, m_statusText);
  m_host.updateData(false);
}

void CPayloadCommands::send() {
  if (m_busy) return;
  BusyFlag busy(m_busy);
  if (!passesPreCheck()) return;
  if (!m_prompts.askYesNo(m_host.owner(), QString::fromLatin1(kWarning), QString::fromLatin1(kSendQuestion))) {
    m_host.updateData(false);
    return;
  }
  WaitCursor cursor;
  if (!prepareWorkDirectory(cursor)) return;
  CleanupAtEnd cleanupAtEnd(m_work);
  m_host.writeConfiguration(m_work.iniPath());
  const QString findings = m_host.compilerFindings();

  m_statusText.clear();
  // The INI name alone: the compiler delivers the payload itself and reports the verdict.
  runCompiler(QStringLiteral("Sending the configuration to the firmware..."),
              {QString::fromLatin1(zefr::kTempIniName)}, true);
  m_work.cleanup();
  withFindings(findings);

  cursor.off();
  m_prompts.showStatus(m_host.owner(), CStatusDialog::Mode::Summary, m_statusText);
  m_host.updateData(false);
}
