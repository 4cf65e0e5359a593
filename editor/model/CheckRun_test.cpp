#include "CheckRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
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

TEST(CheckRun, ExitStatusSaysWhetherTheFileIsClean) {
  const std::string path = testing::TempDir() + "zefr_check_run.ini";
  const struct {
    const char* text;
    int rc;
    const char* out;
  } cases[] = {
      {"[FanMonitor1]\nEnabled=TRUE\nFanSpeedNominal=2500\n", 0, ""},
      {"[FanMonitor1]\nEnabled=TRUE\nFanSpeedNominal=-1\n", 1,
       "Fan Monitors 1\xC2\xBBNominal Fan Speed: Value out of range (0, 20000). \n"},
      {"[Other]\nKey=1\n", 2, ""},  // nothing to check
  };
  for (const auto& c : cases) {
    std::ofstream(path, std::ios::binary) << c.text;
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck({FormFactor::Custom, path}, out, err), c.rc) << c.text;
    EXPECT_EQ(out.str(), c.out);
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace zefr
