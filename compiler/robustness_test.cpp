// Hostile inputs, in-process and through the built program: no crash, no
// hang, nothing on standard error.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "program_run.h"
#include "test_support.h"
#include "unprivileged.h"

namespace zefr::test {
namespace {

namespace fs = std::filesystem;

const char kTerminating[] = "Terminating Program due to INI file errors\n\n";

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

struct HostileCase {
  const char* name;
  std::string content;
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

class HostileTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileTest, FailsCleanly) {
  RunResult r = RunOnText(GetParam().content);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(EndsWith(r.out, kTerminating)) << r.out.substr(0, 2000);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, HostileTest,
    testing::Values(HostileCase{"Empty", ""}, HostileCase{"Garbage", RandomBytes(65536, 1)},
                    HostileCase{"Nuls", std::string(100000, '\0')},
                    HostileCase{"TwoMiB", std::string(2 * 1024 * 1024, '\n')},
                    HostileCase{"TwoMiBValid", FullConfig().Text() + std::string(2 * 1024 * 1024, ' ') + "\n"},
                    HostileCase{"LongLines", std::string(10000, 'K') + "\n[FanMonitor1]\n" + std::string(10000, '=') +
                                                 "\nEnabled=" + std::string(10000, 'T') + "\n"},
                    HostileCase{"OnlyQuotes", std::string(3000, '"') + "\n" + std::string(511, '"') + "\n\"\n"},
                    HostileCase{"QuotedSections", "[\"FanMonitor1\n\"Enabled=\"TRUE\n"},
                    HostileCase{"Brackets", "[[[[\n]]]]\n[]\n[\n]\n=\n;\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Byte flips all over a valid configuration reach every reader with odd text.
TEST(Hostile, MutatedConfigurations) {
  const std::string base = FullConfig().Text();
  std::mt19937 rng(7);
  for (int i = 0; i < 300; ++i) {
    std::string text = base;
    for (int k = 0; k < 4; ++k) text[rng() % text.size()] = static_cast<char>(rng());
    RunResult r = RunOnText(text);
    ASSERT_TRUE(r.exitCode == 0 || r.exitCode == 1);
    ASSERT_TRUE(EndsWith(r.out, kTerminating) || EndsWith(r.out, "Write Complete.\n\n")) << text;
  }
}

// --- The built program, end to end. ---

struct Spawned {
  int exitCode = -1;
  std::string out, err;
};

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zefrcfg_e2e_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::all, ec);
    fs::remove_all(dir_, ec);
  }
  void Put(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }

  // Runs the program in the scratch directory; fileSizeLimit >= 0 caps writes.
  Spawned Exec(const std::vector<std::string>& args, const std::string& input = "", long fileSizeLimit = -1) {
    Put(".stdin", input);
    const int in = ::open((dir_ / ".stdin").c_str(), O_RDONLY | O_CLOEXEC);
    const int err = ::open((dir_ / ".stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const ProgramRun r = RunProgram(ZEFRCFG_BINARY, args, dir_, in, err, fileSizeLimit);
    if (in >= 0) ::close(in);
    if (err >= 0) ::close(err);
    return {r.exitCode, r.out, Slurp(dir_ / ".stderr")};
  }

  fs::path dir_;
};

TEST_F(ProgramTest, WritesPayload) {
  Put("cfg.ini", FullConfig().Text());
  Spawned s = Exec({"cfg.ini", "-o", "out.bin"});
  EXPECT_EQ(s.exitCode, 0);
  EXPECT_EQ(s.err, "");
  EXPECT_EQ(s.out.rfind(std::string(kBanner) + "Parsing INI file \"cfg.ini\"...\n  Parsing Fan Monitors...\n", 0), 0u);
  EXPECT_TRUE(EndsWith(s.out, "Parsing Successful.\nWriting Payload file \"out.bin\"...\nWrite Complete.\n\n"));
  const std::string bytes = Slurp(dir_ / "out.bin");
  ASSERT_EQ(bytes.size(), 1984u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x52\x46\x45\x5A\x01\x00\xC0\x07", 8));
}

TEST_F(ProgramTest, CompilesTheAtxDefault) {
  fs::copy_file(ZEFR_SOURCE_DIR "/editor/res/ZefrCfgATX.ini", dir_ / "ZefrCfgATX.ini");
  Spawned s = Exec({"ZefrCfgATX.ini", "-o", "atx.bin"});
  EXPECT_EQ(s.exitCode, 0) << s.out;
  EXPECT_EQ(s.out, std::string(kBanner) +
                       "Parsing INI file \"ZefrCfgATX.ini\"...\n  Parsing Fan Monitors...\n  Parsing Fan Controllers...\n"
                       "  Parsing Temperature Monitors...\n  Parsing Temperature Responses...\n"
                       "  Parsing Voltage Monitors...\nParsing Successful.\nWriting Payload file \"atx.bin\"...\n"
                       "Write Complete.\n\n");
  const std::string bytes = Slurp(dir_ / "atx.bin");
  ASSERT_EQ(bytes.size(), 1984u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x52\x46\x45\x5A\x01\x00\xC0\x07", 8));
}

TEST_F(ProgramTest, OpensExactlyTheNamedFile) {
  Put("cfg.ini.ini", FullConfig().Text());
  Put("cfg.ini", "[FanMonitor1]\nEnabled=broken\n");
  Put("CFG.Ini", FullConfig().Text());
  EXPECT_EQ(Exec({"cfg.ini.ini", "-o", "a.bin"}).exitCode, 0);
  EXPECT_EQ(Exec({"CFG.Ini", "-o", "b.bin"}).exitCode, 0);
  EXPECT_EQ(Exec({"cfg.ini", "-o", "c.bin"}).exitCode, 1);
}

TEST_F(ProgramTest, IniOpenFailures) {
  fs::create_directory(dir_ / "d.ini");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{}, "Unable to open INI file \"zefrcfg.ini\", cond = \"No such file or directory\"!!\n\n"},
      {{"missing.INI"}, "Unable to open INI file \"missing.INI\", cond = \"No such file or directory\"!!\n\n"},
      {{"d.ini"}, "Unable to open INI file \"d.ini\", cond = \"Is a directory\"!!\n\n"},
  };
  for (const Case& c : cases) {
    Spawned s = Exec(c.args);
    EXPECT_EQ(s.exitCode, 1);
    EXPECT_EQ(s.out, std::string(kBanner) + c.message);
    EXPECT_EQ(s.err, "");
  }
}

TEST_F(ProgramTest, UnreadableFile) {
  RunAsOrdinaryUser(dir_, [&] {
    Put("locked.ini", FullConfig().Text());
    fs::permissions(dir_ / "locked.ini", fs::perms::none);
    Spawned s = Exec({"locked.ini"});
    EXPECT_EQ(s.exitCode, 1);
    EXPECT_EQ(s.out, std::string(kBanner) + "Unable to open INI file \"locked.ini\", cond = \"Permission denied\"!!\n\n");
  });
}

// Without write rights on the old payload file or on its folder the write is
// refused with the reason, and nothing there changes.
TEST_F(ProgramTest, PayloadWithoutWriteRights) {
  RunAsOrdinaryUser(dir_, [&] {
    Put("cfg.ini", FullConfig().Text());
    Put("old.bin", "old");
    fs::permissions(dir_ / "old.bin", fs::perms::owner_read);
    fs::create_directory(dir_ / "shut");
    fs::permissions(dir_ / "shut", fs::perms::owner_read | fs::perms::owner_exec);
    struct Case {
      std::vector<std::string> args;
      std::string input;
    };
    const Case cases[] = {
        {{"cfg.ini", "-o", "old.bin"}, ""},
        {{"cfg.ini", "-w", "old.bin"}, "y\n"},
        {{"cfg.ini", "-o", "shut/new.bin"}, ""},
    };
    for (const Case& c : cases) {
      Spawned s = Exec(c.args, c.input);
      EXPECT_EQ(s.exitCode, 1) << c.args[2];
      EXPECT_TRUE(EndsWith(s.out, "Unable to open Payload file \"" + c.args[2] + "\", cond = \"Permission denied\"!!\n\n"))
          << s.out;
    }
    EXPECT_EQ(Slurp(dir_ / "old.bin"), "old");
    EXPECT_TRUE(fs::is_empty(dir_ / "shut"));
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".stderr", ".stdin", "cfg.ini", "old.bin", "shut"}));
  });
}

TEST_F(ProgramTest, DeliverModeWithoutSubsystem) {
  Put("zefrcfg.ini", FullConfig().Text());
  ::setenv("ZEFR_DEVICE_DIR", (dir_ / "no-device").c_str(), 1);
  Spawned s = Exec({});
  EXPECT_EQ(s.exitCode, 1);
  EXPECT_TRUE(EndsWith(s.out,
                       "Parsing Successful.\nOpening ZEFR Subsystem Connection...\n*** Unable to connect to ZEFR "
                       "Subsystem!!\n   Windows CCode = 0x0000045A (A dynamic link library (DLL) initialization "
                       "routine failed.)\n\n"));
  EXPECT_FALSE(fs::exists(dir_ / "zefrcfg.bin"));
}

TEST_F(ProgramTest, PromptFromStandardInput) {
  Put("zefrcfg.ini", FullConfig().Text());
  Put("zefrcfg.bin", "old");
  const std::string prompt = "Payload file \"zefrcfg.bin\" already exists, overwrite? ";
  Spawned no = Exec({"-w"}, "maybe\nno\n");
  EXPECT_EQ(no.exitCode, 0);
  EXPECT_TRUE(EndsWith(no.out, "Parsing Successful.\n" + prompt + prompt));
  Spawned eof = Exec({"-w"}, "");
  EXPECT_EQ(eof.exitCode, 0);
  EXPECT_TRUE(EndsWith(eof.out, "Parsing Successful.\n" + prompt));
  EXPECT_EQ(Slurp(dir_ / "zefrcfg.bin"), "old");
  Spawned yes = Exec({"-w"}, "y\n");
  EXPECT_EQ(yes.exitCode, 0);
  EXPECT_EQ(fs::file_size(dir_ / "zefrcfg.bin"), 1984u);
}

TEST_F(ProgramTest, FailedWriteKeepsOldPayload) {
  Put("cfg.ini", FullConfig().Text());
  Put("out.bin", "the payload that was there before");
  Spawned s = Exec({"cfg.ini", "-o", "out.bin"}, "", 1000);
  EXPECT_EQ(s.exitCode, 1);
  EXPECT_TRUE(EndsWith(s.out, "Writing Payload file \"out.bin\"...\nWrite failed, cond = \"File too large\"!!\n\n"))
      << s.out;
  EXPECT_EQ(Slurp(dir_ / "out.bin"), "the payload that was there before");
  for (const auto& e : fs::directory_iterator(dir_))
    EXPECT_EQ(e.path().filename().string().find("out.bin."), std::string::npos) << e.path();
}

TEST_F(ProgramTest, HostileFiles) {
  Put("garbage.ini", RandomBytes(1 << 20, 3));
  Put("big.ini", FullConfig().Text() + std::string(2 * 1024 * 1024, 'x') + "\n");
  Put("quotes.ini", std::string(10000, '"') + "\n");
  for (const char* name : {"garbage.ini", "big.ini", "quotes.ini"}) {
    Spawned s = Exec({name, "-o", "out.bin"});
    EXPECT_EQ(s.exitCode, 1) << name;
    EXPECT_TRUE(EndsWith(s.out, kTerminating)) << name;
    EXPECT_EQ(s.err, "") << name;
  }
}

}  // namespace
}  // namespace zefr::test
