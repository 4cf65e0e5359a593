#pragma once

// The editor's folders and the parts of the current file's path, split as
// the C runtime's path splitting does (drive, directory with its trailing
// separator, name, extension with its dot).

#include <string>
#include <string_view>

namespace zefr {

struct PathParts {
  std::string drive;  // always empty on POSIX
  std::string directory;
  std::string name;
  std::string extension;

  std::string Joined() const { return drive + directory + name + extension; }
  std::string NameAndExtension() const { return name + extension; }
};

PathParts SplitPath(std::string_view path);

struct WorkingPaths {
  PathParts program;  // drive and directory of the program file
  PathParts temp;     // drive and directory of TEMP
  PathParts file;     // the current configuration file

  // Program folder from the program's own path, temporary folder from TEMP
  // (then TMPDIR, then /tmp); no current file yet, extension ".ini".
  static WorkingPaths ForProgram(std::string_view programPath);
};

}  // namespace zefr
