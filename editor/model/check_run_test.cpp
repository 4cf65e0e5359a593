#include "check_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace zefr {
namespace {

TEST(CheckArguments, Table) {
  const struct {
    std::vector<std::string> args;
    bool ok;
    FormFactor formFactor;
    const char* file;
  } cases[] = {
      {{"a.ini"}, true, FormFactor::Custom, "a.ini"},
      {{"--form-factor", "ATX", "a.ini"}, true, FormFactor::ATX, "a.ini"},
      {{"a.ini", "--form-factor", "btx"}, true, FormFactor::BTX, "a.ini"},
      {{"--form-factor", "custom", "a.ini"}, true, FormFactor::Custom, "a.ini"},
      {{}, false, FormFactor::Custom, ""},
      {{"--form-factor"}, false, FormFactor::Custom, ""},
      {{"--form-factor", "mini", "a.ini"}, false, FormFactor::Custom, ""},
      {{"a.ini", "b.ini"}, false, FormFactor::Custom, ""},
      {{"--verbose", "a.ini"}, false, FormFactor::Custom, ""},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto options = ParseCheckArguments(c.args, &error);
    ASSERT_EQ(options.has_value(), c.ok) << (c.args.empty() ? "" : c.args.back());
    if (!options) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(options->formFactor, c.formFactor);
    EXPECT_EQ(options->file, c.file);
  }
}

// One key of the ATX defaults changed.
std::string AtxWith(const std::string& from, const std::string& to) {
  std::ifstream in(ZEFR_RES_DIR "/ZefrCfgATX.ini", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto at = text.find(from);
  return at == std::string::npos ? std::string() : text.replace(at, from.size(), to);
}

TEST(CheckRun, ExitStatusSaysWhetherTheFileIsClean) {
  const std::string path = testing::TempDir() + "zefr_check_run.ini";
  const struct {
    std::string text;
    int rc;
    const char* out;
  } cases[] = {
      {AtxWith("", ""), 0, ""},
      {AtxWith("FanSpeedNominal=2500", "FanSpeedNominal=-1"), 1,
       "Fan Monitors 1\xC2\xBBNominal Fan Speed: Value out of range (0, 20000). Compiler: Out of Range! \n"},
      // Fine for the editor's own checks, refused by the compiler.
      {AtxWith("AccuracyCorrectionSlope=1.00", "AccuracyCorrectionSlope=-0.5123"), 1,
       "Temperature Monitors 1\xC2\xBB" "Accuracy Correction Slope: Compiler: Out of Range! \n"},
      {"[Other]\nKey=1\n", 2, ""},  // nothing to check
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(c.text.empty());
    std::ofstream(path, std::ios::binary) << c.text;
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck({FormFactor::Custom, path}, out, err), c.rc) << c.text;
    EXPECT_EQ(out.str(), c.out);
  }
  std::remove(path.c_str());
}

// Files that would block the check or grow it without end are refused with
// the reason, exit 2.
TEST(CheckRun, RefusesWhatIsNotABoundedFile) {
  const std::string dir = testing::TempDir() + "zefr_check_refused";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directory(dir);
  ASSERT_EQ(::mkfifo((dir + "/fifo.ini").c_str(), 0600), 0);
  std::ofstream(dir + "/big.ini", std::ios::binary) << std::string(1048577, '\n');
  std::ofstream(dir + "/crlf.ini", std::ios::binary) << "[FanMonitor1]\r\nEnabled=TRUE\r\n"
                                                     << std::string(1048576 - 29, '\n');
  const struct {
    std::string file;
    int rc;
    const char* reason;
  } cases[] = {
      {dir + "/fifo.ini", 2, "not a regular file"},
      {"/dev/zero", 2, "not a regular file"},
      {dir + "/big.ini", 2, "larger than 1048576 bytes"},
      {dir + "/crlf.ini", 1, ""},  // CR LF counts as one byte, as the compiler reads it: checked
      {dir, 2, ""},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck({FormFactor::Custom, c.file}, out, err), c.rc) << c.file;
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
  }
  std::filesystem::remove_all(dir);
}

TEST(CheckRun, UnreadableFileSaysWhyOnStandardError) {
  const std::string dir = testing::TempDir();
  const struct {
    std::string file;
    std::string err;  // the message, or its start when it does not end in a line feed
  } cases[] = {
      {dir + "zefr_no_such_file.ini",
       "zefrct_gui: cannot read \"" + dir + "zefr_no_such_file.ini\": No such file or directory\n"},
      {dir, "zefrct_gui: cannot read \"" + dir + "\": Is a directory\n"},
      // Opens, but reading it fails: the reader's reason follows.
      {"/proc/self/mem", "zefrct_gui: cannot read \"/proc/self/mem\": "},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck({FormFactor::Custom, c.file}, out, err), 2) << c.file;
    EXPECT_EQ(out.str(), "");
    if (c.err.back() == '\n') {
      EXPECT_EQ(err.str(), c.err);
    } else {
      EXPECT_EQ(err.str().substr(0, c.err.size()), c.err);
      EXPECT_GT(err.str().size(), c.err.size() + 1) << err.str();
    }
  }
}

}  // namespace
}  // namespace zefr
