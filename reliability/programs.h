#pragma once
// The built programs and the editor's document, as the tests drive them.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "configuration_document.h"
#include "memory_rows.h"

namespace zefr::reliability {

struct Spawned {
  int exitCode = -1;
  std::string out;  // standard output and standard error together
};

// Runs zefrcfg in `dir`; with fileSizeLimit >= 0 under that file size limit
// (SIGXFSZ ignored), as on a disk with that much room. Its output goes
// through a pipe, which the limit does not touch.
Spawned RunZefrcfg(const std::filesystem::path& dir, const std::vector<std::string>& args,
                   long fileSizeLimit = -1);

struct Compiled {
  bool ok = false;
  std::string console;
  std::vector<std::uint8_t> bytes;
};

// Compiles the text with the zefrcfg program into a payload file in `dir`.
Compiled CompileWithProgram(const std::filesystem::path& dir, const std::string& text);

std::string Slurp(const std::filesystem::path& p);
void Put(const std::filesystem::path& p, const std::string& text);
bool EndsWith(const std::string& s, const std::string& tail);
// File names in the directory, sorted.
std::vector<std::string> Entries(const std::filesystem::path& dir);

// The editor's document over rows held in memory, filled as the window fills them.
struct Editor {
  ParameterSchema schema;
  MemoryRows rows;
  ConfigurationDocument doc{schema, rows};
  Editor();
  ParameterId Id(const std::string& section, const std::string& key) const;
  // As the user types a value into its row and commits it.
  void Edit(const std::string& section, const std::string& key, const std::string& value);
};

}  // namespace zefr::reliability
