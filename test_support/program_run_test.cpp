#include "program_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zefr::test {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// The tests below rely on each of these: a wrong exit code or a lost stream
// would let a failing program pass for a working one.
TEST(RunProgram, ReportsExitOutputAndWhereStandardErrorWent) {
  std::string tmpl = (fs::temp_directory_path() / "zefr_program_run_XXXXXX").string();
  ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
  const fs::path dir = tmpl;
  const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int err = ::open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(in, 0);
  ASSERT_GE(err, 0);
  struct Case {
    const char* script;
    bool ownError;
    long fileSizeLimit;
    int exitCode;
    std::string out, err;
  } cases[] = {
      {"echo out; echo err >&2; exit 3", false, -1, 3, "out\nerr\n", ""},
      {"echo out; echo err >&2", true, -1, 0, "out\n", "err\n"},
      {"pwd", false, -1, 0, fs::canonical(dir).string() + "\n", ""},
      {"kill -TERM $$", false, -1, 128 + 15, "", ""},
      // The limit stops the write, not the output through the pipe.
      {"head -c 100 /dev/zero > big 2>/dev/null; wc -c < big", false, 10, 0, "10\n", ""},
      {"head -c 100 /dev/zero > big 2>/dev/null; wc -c < big", false, -1, 0, "100\n", ""},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(::ftruncate(err, 0), 0);
    const ProgramRun r = RunProgram("/bin/sh", {"-c", c.script}, dir, in, c.ownError ? err : -1, c.fileSizeLimit);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.script;
    EXPECT_EQ(r.out, c.out) << c.script;
    EXPECT_EQ(Slurp(dir / "err"), c.err) << c.script;
  }
  EXPECT_EQ(RunProgram("/nonexistent/program", {}, dir, in).exitCode, 127);
  ::close(in);
  ::close(err);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zefr::test
