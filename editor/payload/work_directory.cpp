#include "work_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "extract_resource.h"
#include "interrupt_cleanup.h"

namespace zefr {
namespace {

QString FromSystem(const std::string& text) { return QFile::decodeName(QByteArray::fromStdString(text)); }

std::string ToSystem(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString SystemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// 0 when every byte is written, else the errno of the failure (QFile on a
// descriptor loses it).
int WriteAll(int fd, const QByteArray& bytes) {
  const char* p = bytes.constData();
  std::size_t left = static_cast<std::size_t>(bytes.size());
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

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
  // A directory that is no longer the one made is not ours to empty.
  if (!m_path.isEmpty() && stillMade()) {
    cleanup();
    // Fails while anything else is in it, such as a payload the user chose to keep here.
    QDir().rmdir(m_path);
  }
  Unwatch(m_watch);
}

bool WorkDirectory::stillMade() const {
  FileId now;
  return IdentityOf(ToSystem(m_path), &now) && now == m_made;
}

QString WorkDirectory::whyUnfit() const {
  // Whoever can rearrange the folders above could swap the directory after any check.
  std::string why = WhyOthersCanChange(ToSystem(QFileInfo(m_path).path()));
  if (why.empty()) why = WhyNotPrivateDirectory(ToSystem(m_path), m_made);
  return FromSystem(why);
}

void WorkDirectory::forget() {
  Unwatch(m_watch);
  m_watch = -1;
  m_path.clear();
  m_written.clear();
}

bool WorkDirectory::ensure() {
  m_error.clear();
  if (!m_path.isEmpty()) {
    if (whyUnfit().isEmpty()) return true;
    // Gone (a cleaner emptied the temporary directory), replaced or opened up:
    // never used again, a new one is made.
    forget();
  }
  const QString cannot = QStringLiteral("Cannot make a work directory in \"%1\": ").arg(m_base);
  char resolved[PATH_MAX];
  if (::realpath(ToSystem(m_base).c_str(), resolved) == nullptr) {
    m_error = cannot + SystemError(errno);
    return false;
  }
  const std::string why = WhyOthersCanChange(resolved);
  if (!why.empty()) {
    m_error = cannot + FromSystem(why);
    return false;
  }
  std::string path = resolved;
  if (path.back() != '/') path += '/';
  path += "zefrct-XXXXXX";
  // Made with mode 0700 under a fresh random name.
  if (::mkdtemp(path.data()) == nullptr) {
    m_error = cannot + SystemError(errno);
    return false;
  }
  if (::chmod(path.c_str(), S_IRWXU) != 0 || !IdentityOf(path, &m_made)) {
    m_error = cannot + SystemError(errno);
    ::rmdir(path.c_str());
    return false;
  }
  m_path = FromSystem(path);
  m_watch = WatchOnInterrupt(path, {kTempIniName, kTempCompilerName, kTempLibraryName});
  return true;
}

QString WorkDirectory::filePath(const QString& name) const { return m_path + u'/' + name; }

bool WorkDirectory::isTemporaryName(const QString& name) {
  return name == QLatin1String(kTempIniName) || name == QLatin1String(kTempCompilerName) ||
         name == QLatin1String(kTempLibraryName);
}

bool WorkDirectory::extract(int resourceId, const QString& name) {
  m_written.erase(name);
  const std::string path = ToSystem(filePath(name));
  const std::optional<QByteArray> bytes = ResourceBytes(QStringLiteral("RELFILE"), resourceId);
  if (!bytes) {
    m_error = QStringLiteral("The embedded file %1 is missing").arg(resourceId);
    return false;
  }
  // A new file only: whatever is at the name already, file or link, makes this fail.
  const QString cannot = QStringLiteral("Cannot write \"%1\": ").arg(filePath(name));
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRWXU);
  if (fd < 0) {
    m_error = cannot + SystemError(errno);
    return false;
  }
  QString why;
  if (const int err = WriteAll(fd, *bytes); err != 0) why = SystemError(err);
  struct stat st;
  if (why.isEmpty() && ::fchmod(fd, S_IRWXU) != 0) why = SystemError(errno);  // whatever the umask took away
  if (why.isEmpty() && ::fstat(fd, &st) != 0) why = SystemError(errno);
  if (::close(fd) != 0 && why.isEmpty()) why = SystemError(errno);
  if (!why.isEmpty()) {
    ::unlink(path.c_str());
    m_error = cannot + why;
    return false;
  }
  m_written[name] = {{st.st_dev, st.st_ino}, resourceId};
  return true;
}

bool WorkDirectory::verify(const QString& name) {
  m_error = m_path.isEmpty() ? QStringLiteral("There is no work directory") : whyUnfit();
  if (!m_error.isEmpty()) return false;
  const QString path = filePath(name);
  const auto written = m_written.find(name);
  if (written == m_written.end()) {
    m_error = QStringLiteral("\"%1\" was not written by the editor").arg(path);
    return false;
  }
  m_error = FromSystem(WhyNotWrittenFile(ToSystem(path), written->second.file));
  if (!m_error.isEmpty()) return false;
  // The same inode could be a new file by now; the bytes tell.
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.readAll() != ResourceBytes(QStringLiteral("RELFILE"), written->second.resourceId))
    m_error = QStringLiteral("\"%1\" was changed").arg(path);
  return m_error.isEmpty();
}

bool WorkDirectory::cleanup() {
  if (m_path.isEmpty()) return true;  // nothing was ever written
  // Removing goes through the path: only while it still leads to the directory made.
  if (!stillMade()) return true;
  m_written.clear();
  for (const QString& file : {iniPath(), compilerPath(), libraryPath()})
    if (!RemoveLeftover(file)) return false;
  return true;
}

}  // namespace zefr
