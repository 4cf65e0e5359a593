#include "working_paths.h"

#include <cstdlib>

namespace zefr {

PathParts SplitPath(std::string_view path) {
  PathParts parts;
  const auto slash = path.find_last_of('/');
  const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (slash != std::string_view::npos) parts.directory = std::string(path.substr(0, slash + 1));
  const auto dot = base.find_last_of('.');
  if (dot == std::string_view::npos) {
    parts.name = std::string(base);
  } else {
    parts.name = std::string(base.substr(0, dot));
    parts.extension = std::string(base.substr(dot));
  }
  return parts;
}

WorkingPaths WorkingPaths::ForProgram(std::string_view programPath) {
  WorkingPaths paths;
  const PathParts program = SplitPath(programPath);
  paths.program.drive = program.drive;
  paths.program.directory = program.directory;

  std::string temp;
  for (const char* name : {"TEMP", "TMPDIR"})
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
      temp = value;
      break;
    }
  if (temp.empty()) temp = "/tmp";
  if (temp.back() != '/') temp += '/';
  paths.temp.directory = temp;

  paths.file.drive = paths.program.drive;
  paths.file.directory = paths.program.directory;
  paths.file.extension = ".ini";
  return paths;
}

}  // namespace zefr
