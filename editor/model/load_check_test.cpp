#include "load_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace zefr {
namespace {

namespace fs = std::filesystem;

TEST(LoadCheck, WhatIsNoIniText) {
  struct Case {
    std::string bytes;
    bool ini;
  } cases[] = {
      {"", true},                                   // an empty file: nothing to load, nothing lost
      {"\n  \r\n; only a comment\n", true},
      {"[TemperatureMonitor1]\nEnabled=TRUE\n", true},
      {"Enabled=TRUE", true},                       // a key outside a section is still INI
      {"  [A]", true},
      {std::string("\x01\x02\x00\x00[A]\nk=v\n", 12), false},  // a payload's NUL bytes
      {"hello world\nsecond line\n", false},
      {"#!/bin/sh\necho hi\n", false},
  };
  for (const Case& c : cases) EXPECT_EQ(!NotIniText(c.bytes).has_value(), c.ini) << c.bytes;
}

class LoadCheckFiles : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/load_check.XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return (dir_ / name).string();
  }
  fs::path dir_;
};

TEST_F(LoadCheckFiles, RefusesWhatLoadCannotTakeAndSaysWhy) {
  const LoadCheck fine = CheckLoadable(Write("a.ini", "[FanMonitor1]\nEnabled=TRUE\n"));
  EXPECT_FALSE(fine.refusal);
  EXPECT_FALSE(fine.missing);

  const LoadCheck missing = CheckLoadable((dir_ / "new.ini").string());
  EXPECT_FALSE(missing.refusal);
  EXPECT_TRUE(missing.missing);

  const std::string payload = Write("atx.bin", std::string(1984, '\0'));
  EXPECT_EQ(CheckLoadable(payload).refusal,
            "Cannot load \"" + payload + "\": it holds NUL bytes, so it is no INI file (a payload file, perhaps)");

  EXPECT_EQ(CheckLoadable(dir_.string()).refusal, "Cannot read \"" + dir_.string() + "\": Is a directory");
  const std::string big = Write("big.ini", std::string(1048577, ';'));
  EXPECT_EQ(CheckLoadable(big).refusal, "Cannot read \"" + big + "\": larger than 1048576 bytes");
}

}  // namespace
}  // namespace zefr
