#include "work_directory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace zefr {

QString TemporaryBase(const QString& temp, const QString& tmpdir) {
  QString base = !temp.isEmpty() ? temp : !tmpdir.isEmpty() ? tmpdir : QStringLiteral("/tmp");
  base = QDir::fromNativeSeparators(base);
  // "/" and "C:/" keep their separator: without it they name something else.
  while (base.size() > 1 && base.endsWith(u'/') && !base.endsWith(QLatin1String(":/"))) base.chop(1);
  return base;
}

QString TemporaryBase() {
  return TemporaryBase(qEnvironmentVariable("TEMP"), qEnvironmentVariable("TMPDIR"));
}

bool PathTaken(const QString& path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

bool RemoveLeftover(const QString& path) {
  if (!PathTaken(path)) return true;
  QFile file(path);
  if (!QFileInfo(path).isSymLink()) file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
  file.remove();
  return !PathTaken(path);
}

WorkDirectory::WorkDirectory(QString base) : m_base(std::move(base)) {}

WorkDirectory::~WorkDirectory() {
  if (m_path.isEmpty()) return;
  cleanup();
  // Fails while anything else is in it, such as a payload the user chose to keep here.
  QDir().rmdir(m_path);
}

bool WorkDirectory::ensure() {
  if (!m_path.isEmpty()) {
    const QFileInfo info(m_path);
    if (info.isDir() && !info.isSymLink()) return true;
    m_path.clear();  // gone (a cleaner emptied the temporary directory): make a new one
  }
  // Made with mode 0700 under a fresh random name.
  QTemporaryDir dir(m_base + QStringLiteral("/zefrct-XXXXXX"));
  if (!dir.isValid()) return false;
  dir.setAutoRemove(false);
  m_path = dir.path();
  return true;
}

QString WorkDirectory::filePath(const QString& name) const { return m_path + u'/' + name; }

bool WorkDirectory::isTemporaryName(const QString& name) {
  return name == QLatin1String(kTempIniName) || name == QLatin1String(kTempCompilerName) ||
         name == QLatin1String(kTempLibraryName);
}

bool WorkDirectory::cleanup() {
  if (m_path.isEmpty()) return true;  // nothing was ever written
  for (const QString& file : {iniPath(), compilerPath(), libraryPath()})
    if (!RemoveLeftover(file)) return false;
  return true;
}

}  // namespace zefr
