#include "value_text.h"

#include <gtest/gtest.h>

namespace zefr {
namespace {

TEST(ValidNumber, FollowsTheNumericFieldParse) {
  const struct {
    const char* text;
    int base;
    bool valid;
  } cases[] = {
      {"12", 10, true},    {"-3", 10, true},   {"60.00", 10, true}, {"1.5e3", 10, true},
      {"5f", 10, false},   {"5.0f", 10, true}, {"7u", 10, true},    {"abc", 10, false},
      {"", 10, false},     {"1a", 10, false},  {".", 10, false},    {"0x1FF", 16, true},
      {"0xZZ", 16, false}, {"0x", 16, false},  {"0x4c", 16, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(valuetext::IsValidNumber(c.text, c.base), c.valid) << c.text;
}

TEST(HexFromPlainInteger, LeavesWhatTheCompilerWouldNotReadAsANumber) {
  for (const char* text : {"", "09", "-1", "+5", " 5", "0x", "12a", "99999999999"})
    EXPECT_EQ(valuetext::HexFromPlainInteger(text), text) << text;
  EXPECT_EQ(valuetext::HexFromPlainInteger("4294967295"), "4294967295");
  EXPECT_EQ(valuetext::HexFromPlainInteger("2147483647"), "0x7FFFFFFF");
}

}  // namespace
}  // namespace zefr
