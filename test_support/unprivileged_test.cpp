#include "unprivileged.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace zefr::test {
namespace {

namespace fs = std::filesystem;

class UnprivilegedTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zefr_unprivileged_XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string dir_;
};

TEST_F(UnprivilegedTest, BodyRunsWithoutRootRightsInTheHandedFolder) {
  const bool root = ::geteuid() == 0;
  RunAsOrdinaryUser(dir_, [&] {
    EXPECT_NE(::geteuid(), 0u);
    EXPECT_NE(::getuid(), 0u);
    EXPECT_NE(::getegid(), 0u);
    if (root) {
      EXPECT_EQ(::getgroups(0, nullptr), 0);
    }
    EXPECT_NE(::access("/", W_OK), 0);
    std::ofstream(dir_ + "/made", std::ios::binary) << "x";
  });
  struct stat st {};
  ASSERT_EQ(::stat((dir_ + "/made").c_str(), &st), 0) << "the body did not run";
  if (root) {
    EXPECT_NE(st.st_uid, 0u);
  }
}

TEST_F(UnprivilegedTest, WhatGoesWrongInTheBodyFailsTheTest) {
  struct Case {
    const char* name;
    std::function<void()> body;
    bool childOnly;  // would end the test program if run in it
    testing::TestPartResult::Type type;
    std::string text;
    int line;  // 0: reported at the helper
  };
  const Case cases[] = {
      {"EXPECT", [] { EXPECT_EQ(1 + 1, 3); }, false, testing::TestPartResult::kNonFatalFailure, "1 + 1", __LINE__},
      {"ASSERT", [] { ASSERT_TRUE(false) << "stop"; }, false, testing::TestPartResult::kFatalFailure, "stop", __LINE__},
      {"skip", [] { GTEST_SKIP() << "why"; }, false, testing::TestPartResult::kSkip, "why", __LINE__},
      {"exception", [] { throw std::runtime_error("boom"); }, true, testing::TestPartResult::kNonFatalFailure,
       "exception thrown: boom", 0},
      {"abort", [] { std::abort(); }, true, testing::TestPartResult::kNonFatalFailure, "died of signal 6", 0},
      {"exit", [] { ::_exit(7); }, true, testing::TestPartResult::kNonFatalFailure, "exited with code 7", 0},
  };
  const bool root = ::geteuid() == 0;
  for (const Case& c : cases) {
    if (c.childOnly && !root) continue;
    testing::TestPartResultArray parts;
    {
      testing::ScopedFakeTestPartResultReporter intercept(
          testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &parts);
      RunAsOrdinaryUser(dir_, c.body);
    }
    ASSERT_EQ(parts.size(), 1) << c.name;
    const testing::TestPartResult& r = parts.GetTestPartResult(0);
    EXPECT_EQ(r.type(), c.type) << c.name;
    EXPECT_NE(std::string(r.message()).find(c.text), std::string::npos) << c.name << ": " << r.message();
    if (c.line != 0) {
      EXPECT_EQ(r.line_number(), c.line) << c.name;
      EXPECT_EQ(fs::path(r.file_name()).filename(), "unprivileged_test.cpp") << c.name;
    }
  }
}

}  // namespace
}  // namespace zefr::test
