// The editor's work directory: where Generate and Send put the configuration, the
// compiler and the link library for the compiler to run on. It is a private
// directory (mode 0700, a fresh unpredictable name) under the temporary directory,
// so nobody else can plant a program there for the editor to run, or a link that
// redirects its writes; the files inside keep their fixed names. It is checked
// before every use, and what is run is checked to be what the editor wrote.
#pragma once

#include <QString>
#include <map>

#include "folder_checks.h"

namespace zefr {

// Fixed names of the temporary files inside the work directory.
inline constexpr const char kTempIniName[] = "2345-6789-0123-4567-8901.ini";
#ifdef _WIN32
inline constexpr const char kTempCompilerName[] = "324324324324343424343242.exe";
inline constexpr const char kTempLibraryName[] = "ZefrComm.dll";
#else
inline constexpr const char kTempCompilerName[] = "324324324324343424343242";
// The name under which the compiler loads the library from its own directory.
inline constexpr const char kTempLibraryName[] = "ZefrComm.so";
#endif

// The directory the work directory is made in: TEMP, else TMPDIR, else /tmp.
// TEMP names that directory whether or not it ends in a separator.
QString TemporaryBase(const QString& temp, const QString& tmpdir);
QString TemporaryBase();

// Removes a file that may be read-only: made writable first, a failure to remove
// swallowed. True when nothing is left at the path.
bool RemoveLeftover(const QString& path);
// True when something (a file, a directory, a dangling link) is at the path.
bool PathTaken(const QString& path);

class WorkDirectory {
 public:
  explicit WorkDirectory(QString base = TemporaryBase());
  // Runs the cleanup and removes the directory when nothing else is left in it.
  ~WorkDirectory();
  WorkDirectory(const WorkDirectory&) = delete;
  WorkDirectory& operator=(const WorkDirectory&) = delete;

  // Makes the private directory on first use, and checks it on every later one:
  // still the directory made, ours and closed to others, in a folder that only
  // root and we can rearrange. One that fails is left alone and a new one made.
  // False when none can be made; error() then names the folder and the reason.
  bool ensure();
  // Why the last ensure, extract or verify failed.
  const QString& error() const { return m_error; }
  // Empty until ensure succeeded.
  const QString& path() const { return m_path; }
  const QString& base() const { return m_base; }
  // A file of that name inside the directory.
  QString filePath(const QString& name) const;
  QString iniPath() const { return filePath(QString::fromLatin1(kTempIniName)); }
  QString compilerPath() const { return filePath(QString::fromLatin1(kTempCompilerName)); }
  QString libraryPath() const { return filePath(QString::fromLatin1(kTempLibraryName)); }
  // True for the fixed names of the temporary files.
  static bool isTemporaryName(const QString& name);

  // Writes the embedded program or library (type "RELFILE") as a new file of that
  // name, never through a file or link that is there already. False with error().
  bool extract(int resourceId, const QString& name);
  // True when the directory passes ensure's check and the file of that name is
  // still the very file extract wrote, writable by nobody else and holding the
  // embedded bytes. False with error().
  bool verify(const QString& name);

  // Removes the INI file, the compiler and the library in that order; stops at the
  // first that stays. True when none of them exists any more.
  bool cleanup();

 private:
  // Empty when the directory made is still fit for use; otherwise why not.
  QString whyUnfit() const;
  // True while the path leads to the directory made (a link to it does not).
  bool stillMade() const;
  // Stops using the directory made (it is no longer ours to touch).
  void forget();

  QString m_base;
  QString m_path;
  QString m_error;
  FileId m_made;
  int m_watch = -1;  // its slot in the interrupt cleanup
  struct Written {
    FileId file;
    int resourceId;
  };
  std::map<QString, Written> m_written;
};

}  // namespace zefr
