#include "run.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "memory_file_system.h"
#include "test_support.h"

namespace zefr::test {
namespace {

namespace fs = std::filesystem;

const char kUsageOut[] = "Use: zefrcfg [INI-Path] [{-w|-o} [Payload-Path]]\n\n";

void WriteFile(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }

// Runs with the INI and payload files in memory.
class RunTest : public testing::Test {
 protected:
  RunTest() {
    const std::string full = FullConfig().Text();
    for (const char* name : {"zefrcfg.ini", "my.ini", "MY.Ini", "-w"}) files_.Add(name, full);
  }

  int Run(std::vector<std::string> args, const std::string& input = "") {
    CaptureConsole console;
    std::istringstream in(input);
    RunHooks hooks;
    hooks.files = &files_;
    hooks.deliver = [](const PayloadImage&, Console& out) {
      out.Line("<delivered>");
      return true;
    };
    int rc = RunZefrCfg(args, console, in, hooks);
    out_ = AfterBanner(console.Text());
    return rc;
  }

  // The size of a file in memory; -1 when there is none.
  long SizeOf(const std::string& name) const {
    const std::string* file = files_.Find(name);
    return file ? static_cast<long>(file->size()) : -1;
  }

  files::MemoryFileSystem files_;
  std::string out_;
};

// Runs on the disk, in a scratch directory as the current one, for what the
// kernel decides: directories, links, modes, devices.
class RunOnDiskTest : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zefrcfg_run_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    old_ = fs::current_path();
    fs::current_path(dir_);
    WriteFile("my.ini", FullConfig().Text());
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }

  int Run(std::vector<std::string> args, const std::string& input = "") {
    CaptureConsole console;
    std::istringstream in(input);
    int rc = RunZefrCfg(args, console, in);
    out_ = AfterBanner(console.Text());
    return rc;
  }

  fs::path dir_, old_;
  std::string out_;
};

enum class Mode { kDeliver, kPrompt, kOverwrite, kUsage, kSyntax, kNotIni };

struct ArgCase {
  std::vector<std::string> args;
  const char* ini;
  Mode mode;
  const char* payload;
};

void PrintTo(const ArgCase& c, std::ostream* os) {
  for (const auto& a : c.args) *os << "'" << a << "' ";
}

class ArgumentTest : public RunTest, public testing::WithParamInterface<ArgCase> {};

TEST_P(ArgumentTest, SelectsFilesAndMode) {
  const ArgCase& c = GetParam();
  if (c.payload) files_.Add(c.payload, "old");
  const int rc = Run(c.args, "y\n");
  const std::string parsing = c.ini ? std::string("Parsing INI file \"") + c.ini + "\"...\n" : "";
  switch (c.mode) {
    case Mode::kUsage:
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(out_, kUsageOut);
      return;
    case Mode::kSyntax:
      EXPECT_EQ(rc, 1);
      EXPECT_EQ(out_, std::string("Invalid Command Syntax!!\n\n") + kUsageOut);
      return;
    case Mode::kNotIni:
      EXPECT_EQ(rc, 1);
      EXPECT_EQ(out_, "INI file pathname does not end in \".INI\", program cannot continue!!\n\n");
      return;
    case Mode::kDeliver:
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(out_.rfind(parsing, 0), 0u) << out_;
      EXPECT_NE(out_.find("Parsing Successful.\n<delivered>\n"), std::string::npos);
      EXPECT_EQ(files_.Find("zefrcfg.bin"), nullptr);
      return;
    case Mode::kPrompt:
    case Mode::kOverwrite: {
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(out_.rfind(parsing, 0), 0u) << out_;
      const std::string prompt = std::string("Payload file \"") + c.payload + "\" already exists, overwrite? ";
      const std::string tail = (c.mode == Mode::kPrompt ? prompt : "") + "Writing Payload file \"" + c.payload +
                               "\"...\nWrite Complete.\n\n";
      EXPECT_EQ(out_.substr(out_.size() - std::min(out_.size(), tail.size())), tail);
      EXPECT_NE(out_.find("Parsing Successful.\n" + tail), std::string::npos);
      EXPECT_EQ(SizeOf(c.payload), 1984);
      return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArgumentTest,
    testing::Values(ArgCase{{}, "zefrcfg.ini", Mode::kDeliver, nullptr},
                    ArgCase{{"-w"}, "zefrcfg.ini", Mode::kPrompt, "zefrcfg.bin"},
                    ArgCase{{"-W"}, "zefrcfg.ini", Mode::kPrompt, "zefrcfg.bin"},
                    ArgCase{{"-o"}, "zefrcfg.ini", Mode::kOverwrite, "zefrcfg.bin"},
                    ArgCase{{"-O"}, "zefrcfg.ini", Mode::kOverwrite, "zefrcfg.bin"},
                    ArgCase{{"-?"}, nullptr, Mode::kUsage, nullptr},
                    ArgCase{{"my.ini"}, "my.ini", Mode::kDeliver, nullptr},
                    ArgCase{{"MY.Ini"}, "MY.Ini", Mode::kDeliver, nullptr},
                    ArgCase{{"my.ini", "-w"}, "my.ini", Mode::kPrompt, "zefrcfg.bin"},
                    ArgCase{{"my.ini", "-o"}, "my.ini", Mode::kOverwrite, "zefrcfg.bin"},
                    ArgCase{{"-w", "out.bin"}, "zefrcfg.ini", Mode::kPrompt, "out.bin"},
                    ArgCase{{"-o", "out.bin"}, "zefrcfg.ini", Mode::kOverwrite, "out.bin"},
                    ArgCase{{"my.ini", "-w", "out.bin"}, "my.ini", Mode::kPrompt, "out.bin"},
                    ArgCase{{"my.ini", "-O", "out.bin"}, "my.ini", Mode::kOverwrite, "out.bin"},
                    // The second argument is tested first: the INI path is "-w".
                    ArgCase{{"-w", "-o"}, nullptr, Mode::kNotIni, nullptr},
                    ArgCase{{"-o", "-w"}, nullptr, Mode::kNotIni, nullptr},
                    ArgCase{{"-?", "x"}, nullptr, Mode::kSyntax, nullptr},
                    ArgCase{{"my.ini", "out.bin"}, nullptr, Mode::kSyntax, nullptr},
                    ArgCase{{"my.ini", "-x", "out.bin"}, nullptr, Mode::kSyntax, nullptr},
                    ArgCase{{"my.ini", "-w", "out.bin", "x"}, nullptr, Mode::kSyntax, nullptr},
                    ArgCase{{"cfg.txt"}, nullptr, Mode::kNotIni, nullptr},
                    ArgCase{{"ini"}, nullptr, Mode::kNotIni, nullptr},
                    ArgCase{{"cfg.txt", "-o", "out.bin"}, nullptr, Mode::kNotIni, nullptr},
                    ArgCase{{"-w", "-o", "out.bin"}, nullptr, Mode::kNotIni, nullptr}));

TEST_F(RunTest, PathLimits) {
  const std::string ini127 = std::string(123, 'a') + ".ini";
  EXPECT_EQ(Run({ini127}), 1);
  EXPECT_EQ(out_, "Unable to open INI file \"" + ini127 + "\", cond = \"No such file or directory\"!!\n\n");
  EXPECT_EQ(Run({"a" + ini127}), 1);
  EXPECT_EQ(out_, "INI file pathname is longer than 127 characters, program cannot continue!!\n\n");
  const std::string bin132(132, 'b');
  EXPECT_EQ(Run({"-o", bin132}), 0);
  EXPECT_EQ(SizeOf(bin132), 1984);
  EXPECT_EQ(Run({"-o", bin132 + "b"}), 1);
  EXPECT_EQ(out_, "Payload file pathname is longer than 132 characters, program cannot continue!!\n\n");
  EXPECT_EQ(files_.Find(bin132 + "b"), nullptr);
}

struct PromptCase {
  const char* input;
  bool writes;
  int prompts;
};

void PrintTo(const PromptCase& c, std::ostream* os) { *os << '"' << c.input << '"'; }

class PromptTest : public RunTest, public testing::WithParamInterface<PromptCase> {};

TEST_P(PromptTest, AnswersOverwrite) {
  const PromptCase& c = GetParam();
  files_.Add("out.bin", "old");
  EXPECT_EQ(Run({"my.ini", "-w", "out.bin"}, c.input), 0);
  const std::string prompt = "Payload file \"out.bin\" already exists, overwrite? ";
  std::string expected;
  for (int i = 0; i < c.prompts; ++i) expected += prompt;
  if (c.writes) expected += "Writing Payload file \"out.bin\"...\nWrite Complete.\n\n";
  EXPECT_EQ(out_.substr(out_.find("Parsing Successful.\n") + 20), expected);
  EXPECT_EQ(SizeOf("out.bin"), c.writes ? 1984 : 3);
}

INSTANTIATE_TEST_SUITE_P(Answers, PromptTest,
                         testing::Values(PromptCase{"yes\n", true, 1}, PromptCase{"   Y\n", true, 1},
                                         PromptCase{"y", true, 1}, PromptCase{"no\n", false, 1},
                                         PromptCase{"\tN\n", false, 1}, PromptCase{"x\ny\n", true, 2},
                                         PromptCase{"\n\nn\n", false, 3}, PromptCase{"", false, 1},
                                         PromptCase{"x\n", false, 2},
                                         // Nine characters per read: the tenth space starts a new answer.
                                         PromptCase{"          y\n", true, 2},
                                         PromptCase{"xxxxxxxxxy\n", true, 2}));

TEST_F(RunTest, MissingPayloadFileIsNotPrompted) {
  EXPECT_EQ(Run({"my.ini", "-w", "new.bin"}, ""), 0);
  EXPECT_EQ(SizeOf("new.bin"), 1984);
  EXPECT_EQ(out_.find("overwrite?"), std::string::npos);
}

TEST_F(RunTest, WholeWriteRunOutput) {
  std::string expected = "Parsing INI file \"my.ini\"...\n";
  EXPECT_EQ(Run({"my.ini", "-o", "out.bin"}), 0);
  EXPECT_EQ(out_.rfind(expected, 0), 0u);
  EXPECT_NE(out_.find("\n  Parsing Fan Monitors...\n"), std::string::npos);
  const std::string tail = "Parsing Successful.\nWriting Payload file \"out.bin\"...\nWrite Complete.\n\n";
  EXPECT_EQ(out_.substr(out_.size() - tail.size()), tail);
  const std::string* bytes = files_.Find("out.bin");
  ASSERT_NE(bytes, nullptr);
  ASSERT_EQ(bytes->size(), 1984u);
  EXPECT_EQ(bytes->substr(0, 8), std::string("\x52\x46\x45\x5A\x01\x00\xC0\x07", 8));
  // The file parsed is the file read, once.
  EXPECT_EQ(files_.Reads("my.ini"), 1);
}

TEST_F(RunTest, ParseErrorWritesNothing) {
  files_.Add("bad.ini", "[FanMonitor1]\nEnabled=maybe\n");
  files_.Add("out.bin", "old");
  EXPECT_EQ(Run({"bad.ini", "-o", "out.bin"}), 1);
  EXPECT_EQ(out_,
            "Parsing INI file \"bad.ini\"...\n  Parsing Fan Monitors...\n"
            "  ERROR: Section \"FanMonitor1\", Parameter \"Enabled\" - Not TRUE or FALSE!\n"
            "Terminating Program due to INI file errors\n\n");
  EXPECT_EQ(*files_.Find("out.bin"), "old");
}

TEST_F(RunTest, DeliveryFailureExitsOne) {
  RunResult r = RunOnText(FullConfig().Text(), {"cfg.ini"}, false);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("Parsing Successful.\n<refused>\n"), std::string::npos);
}

TEST_F(RunOnDiskTest, DeliveryWithoutDeviceCannotConnect) {
  CaptureConsole console;
  std::istringstream in;
  ::setenv("ZEFR_DEVICE_DIR", (dir_ / "no-device").c_str(), 1);
  EXPECT_EQ(RunZefrCfg({"my.ini"}, console, in), 1);
  const std::string tail =
      "Parsing Successful.\nOpening ZEFR Subsystem Connection...\n*** Unable to connect to ZEFR Subsystem!!\n"
      "   Windows CCode = 0x0000045A (A dynamic link library (DLL) initialization routine failed.)\n\n";
  EXPECT_EQ(console.Text().substr(console.Text().size() - tail.size()), tail);
}

TEST_F(RunOnDiskTest, PayloadFileCannotBeOpened) {
  fs::create_directory("dir.bin");
  EXPECT_EQ(Run({"my.ini", "-o", "dir.bin"}), 1);
  EXPECT_NE(out_.find("Parsing Successful.\nUnable to open Payload file \"dir.bin\", cond = \"Is a directory\"!!\n\n"),
            std::string::npos)
      << out_;
  EXPECT_EQ(Run({"my.ini", "-o", "nodir/out.bin"}), 1);
  EXPECT_NE(out_.find("Unable to open Payload file \"nodir/out.bin\", cond = \"No such file or directory\"!!\n\n"),
            std::string::npos);
}

// Only a file that can be read counts as an existing payload file: a
// directory is not offered for overwriting, its open simply fails.
TEST_F(RunOnDiskTest, DirectoryIsNotPromptedFor) {
  fs::create_directory("dir.bin");
  for (const char* answer : {"", "y\n", "n\n"}) {
    EXPECT_EQ(Run({"my.ini", "-w", "dir.bin"}, answer), 1) << answer;
    EXPECT_EQ(out_.substr(out_.find("Parsing Successful.\n")),
              "Parsing Successful.\nUnable to open Payload file \"dir.bin\", cond = \"Is a directory\"!!\n\n")
        << answer;
  }
}

// A write that fails must say why and leave the old payload file as it was.
TEST_F(RunTest, FailedWriteKeepsOldFile) {
  files_.Add("out.bin", "previous payload");
  files_.Fail(files::MemoryFileSystem::Step::kCommit, "out.bin", ENOSPC);
  EXPECT_EQ(Run({"my.ini", "-o", "out.bin"}), 1);
  const std::string tail = "Writing Payload file \"out.bin\"...\nWrite failed, cond = \"No space left on device\"!!\n\n";
  EXPECT_EQ(out_.substr(out_.size() - tail.size()), tail);
  EXPECT_EQ(*files_.Find("out.bin"), "previous payload");
}

TEST_F(RunOnDiskTest, ReplacesThroughSymlinkAndKeepsMode) {
  WriteFile("real.bin", "old");
  fs::permissions("real.bin", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real.bin", "link.bin");
  EXPECT_EQ(Run({"my.ini", "-o", "link.bin"}), 0);
  EXPECT_TRUE(fs::is_symlink("link.bin"));
  EXPECT_EQ(fs::file_size("real.bin"), 1984u);
  EXPECT_EQ(fs::status("real.bin").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(RunOnDiskTest, WritesToDevicesInPlace) {
  EXPECT_EQ(Run({"my.ini", "-o", "/dev/null"}), 0);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  if (fs::exists("/dev/full")) {
    EXPECT_EQ(Run({"my.ini", "-o", "/dev/full"}), 1);
    EXPECT_NE(out_.find("Write failed, cond = \"No space left on device\"!!\n\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace zefr::test
