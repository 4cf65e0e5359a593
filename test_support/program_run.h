#pragma once
// Runs a built program as a child process, its standard output read through
// a pipe, for the tests that drive the programs whole.

#include <filesystem>
#include <string>
#include <vector>

namespace zefr::test {

struct ProgramRun {
  int exitCode = -1;  // 128 + the signal when one ended it
  std::string out;
};

// Runs `program` with `args` in `dir`, standard input from the descriptor
// `in`, standard error to `err` (< 0: into the output). With fileSizeLimit
// >= 0 it runs under that file size limit (SIGXFSZ ignored), as on a disk
// with that much room; the pipe is not touched by the limit.
ProgramRun RunProgram(const char* program, const std::vector<std::string>& args, const std::filesystem::path& dir,
                      int in, int err = -1, long fileSizeLimit = -1);

}  // namespace zefr::test
