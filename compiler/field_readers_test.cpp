#include "field_readers.h"

#include <gtest/gtest.h>

namespace zefr {
namespace {

enum class Reader { kInteger, kIntegerNone, kByteNone, kWord, kDecimal2, kDecimal3, kBoolean, kMinOff, kList };

struct FieldCase {
  const char* value;  // null: key absent
  Reader reader;
  std::int32_t min, max;
  const char* message;  // null: success
  std::int64_t stored;
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << (c.value ? c.value : "<absent>"); }

class FieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(FieldTest, ReadsAndReports) {
  const FieldCase& c = GetParam();
  std::string ini = "[S]\n";
  if (c.value) ini += std::string("K=") + c.value + "\n";
  ProfileReader reader(MemoryLoader({{"t.ini", ini}}));
  CaptureConsole out;
  FieldReader fr(reader, "t.ini", out);
  static const std::int32_t kList[] = {10, 23, 38, 62, 94, 22000, 25000, 28000};
  bool ok = false;
  std::int64_t stored = -999;
  std::int32_t i32 = 0;
  std::uint8_t u8 = 0;
  std::uint16_t u16 = 0;
  switch (c.reader) {
    case Reader::kInteger: ok = fr.ReadInteger("S", "K", i32, c.min, c.max, false), stored = i32; break;
    case Reader::kIntegerNone: ok = fr.ReadInteger("S", "K", i32, c.min, c.max, true), stored = i32; break;
    case Reader::kByteNone: ok = fr.ReadByte("S", "K", u8, c.min, c.max, true), stored = u8; break;
    case Reader::kWord: ok = fr.ReadWord("S", "K", u16, c.min, c.max), stored = u16; break;
    case Reader::kDecimal2: ok = fr.ReadDecimal("S", "K", i32, c.min, c.max, 2), stored = i32; break;
    case Reader::kDecimal3: ok = fr.ReadDecimal("S", "K", i32, c.min, c.max, 3), stored = i32; break;
    case Reader::kBoolean: ok = fr.ReadBoolean("S", "K", u8), stored = u8; break;
    case Reader::kMinOff: ok = fr.ReadMinOff("S", "K", u8), stored = u8; break;
    case Reader::kList: ok = fr.ReadListIndex("S", "K", kList, 8, u8), stored = u8; break;
  }
  if (c.message) {
    EXPECT_FALSE(ok);
    EXPECT_EQ(out.Text(), std::string("  ERROR: Section \"S\", Parameter \"K\" - ") + c.message + "!\n");
  } else {
    EXPECT_TRUE(ok);
    EXPECT_EQ(out.Text(), "");
    EXPECT_EQ(stored, c.stored);
  }
}

constexpr std::int32_t kBig = 2147483647;
constexpr std::int32_t kSmall = -2147483647 - 1;

INSTANTIATE_TEST_SUITE_P(
    Integers, FieldTest,
    testing::Values(FieldCase{"0x1F", Reader::kInteger, 0, 100, nullptr, 31},
                    FieldCase{"0X1f", Reader::kInteger, 0, 100, nullptr, 31},
                    FieldCase{"31", Reader::kInteger, 0, 100, nullptr, 31},
                    FieldCase{"037", Reader::kInteger, 0, 100, nullptr, 31},
                    FieldCase{"0", Reader::kInteger, 0, 100, nullptr, 0},
                    FieldCase{"0x", Reader::kInteger, 0, 100, nullptr, 0},
                    FieldCase{"08", Reader::kInteger, 0, 100, "Invalid Syntax", 0},
                    FieldCase{"0xg", Reader::kInteger, 0, 100, "Invalid Syntax", 0},
                    FieldCase{"0x0x5", Reader::kInteger, 0, 100, nullptr, 5},
                    FieldCase{"12 apples", Reader::kInteger, 0, 100, nullptr, 12},
                    FieldCase{"12\tx", Reader::kInteger, 0, 100, nullptr, 12},
                    FieldCase{"12apples", Reader::kInteger, 0, 100, "Invalid Syntax", 0},
                    FieldCase{"12.0", Reader::kInteger, 0, 100, "Invalid Syntax", 0},
                    FieldCase{"+7", Reader::kInteger, 0, 100, nullptr, 7},
                    FieldCase{"- 7", Reader::kInteger, -100, 100, "Invalid Syntax", 0},
                    FieldCase{"-5", Reader::kInteger, 0, 100, "Out of Range", 0},
                    FieldCase{"-0x5", Reader::kInteger, -100, 100, "Invalid Syntax", 0},
                    FieldCase{"0x-5", Reader::kInteger, -100, 100, nullptr, -5},
                    FieldCase{"0-5", Reader::kInteger, -100, 100, nullptr, -5},
                    FieldCase{"101", Reader::kInteger, 0, 100, "Out of Range", 0},
                    FieldCase{"99999999999", Reader::kInteger, 0, kBig, nullptr, kBig},
                    FieldCase{"-99999999999", Reader::kInteger, kSmall, 0, nullptr, kSmall},
                    FieldCase{"0xFFFFFFFF", Reader::kInteger, kSmall, kBig, nullptr, kBig},
                    FieldCase{"2147483648", Reader::kInteger, kSmall, kBig, nullptr, kBig},
                    FieldCase{"-2147483648", Reader::kInteger, kSmall, kBig, nullptr, kSmall},
                    FieldCase{"NONE", Reader::kInteger, 0, 100, "Invalid Syntax", 0},
                    FieldCase{"none", Reader::kIntegerNone, 0, 100, nullptr, -1},
                    FieldCase{"NONE x", Reader::kIntegerNone, 0, 100, "Invalid Syntax", 0},
                    FieldCase{"NONE", Reader::kByteNone, 0, 255, nullptr, 0xFF},
                    FieldCase{"255", Reader::kByteNone, 0, 255, nullptr, 0xFF},
                    FieldCase{"256", Reader::kByteNone, 0, 255, "Out of Range", 0},
                    FieldCase{"30000", Reader::kWord, 0, 30000, nullptr, 30000},
                    FieldCase{"30001", Reader::kWord, 0, 30000, "Out of Range", 0},
                    FieldCase{nullptr, Reader::kInteger, 0, 100, "Not Found", 0},
                    FieldCase{"", Reader::kInteger, 0, 100, "Input Missing", 0},
                    FieldCase{"; only a comment", Reader::kWord, 0, 100, "Input Missing", 0}));

INSTANTIATE_TEST_SUITE_P(
    Decimals, FieldTest,
    testing::Values(FieldCase{"0.29", Reader::kDecimal2, -kBig, kBig, nullptr, 28},
                    FieldCase{"1.15", Reader::kDecimal2, -kBig, kBig, nullptr, 114},
                    FieldCase{"2.3", Reader::kDecimal2, -kBig, kBig, nullptr, 229},
                    FieldCase{"1.1", Reader::kDecimal2, -kBig, kBig, nullptr, 110},
                    FieldCase{"12.345", Reader::kDecimal2, -kBig, kBig, nullptr, 1234},
                    FieldCase{"-12.345", Reader::kDecimal2, -kBig, kBig, nullptr, -1234},
                    FieldCase{"-0.001", Reader::kDecimal2, 0, 10, nullptr, 0},
                    FieldCase{"12.5", Reader::kDecimal2, -kBig, kBig, nullptr, 1250},
                    FieldCase{"1e2", Reader::kDecimal2, -kBig, kBig, nullptr, 10000},
                    FieldCase{"1E+2", Reader::kDecimal2, -kBig, kBig, nullptr, 10000},
                    FieldCase{".5", Reader::kDecimal2, -kBig, kBig, nullptr, 50},
                    FieldCase{"5.", Reader::kDecimal2, -kBig, kBig, nullptr, 500},
                    FieldCase{"14.001", Reader::kDecimal3, 10000, 14000, "Out of Range", 0},
                    FieldCase{"-0.400", Reader::kDecimal3, -800, 1500, nullptr, -400},
                    FieldCase{"20 degrees", Reader::kDecimal2, -kBig, kBig, nullptr, 2000},
                    FieldCase{"12,5", Reader::kDecimal2, -kBig, kBig, "Invalid Syntax", 0},
                    FieldCase{"0x10", Reader::kDecimal2, -kBig, kBig, "Invalid Syntax", 0},
                    FieldCase{"inf", Reader::kDecimal2, -kBig, kBig, "Invalid Syntax", 0},
                    FieldCase{"nan", Reader::kDecimal2, -kBig, kBig, "Invalid Syntax", 0},
                    FieldCase{"1e", Reader::kDecimal2, -kBig, kBig, "Invalid Syntax", 0},
                    FieldCase{".", Reader::kDecimal2, -kBig, kBig, "Invalid Syntax", 0},
                    FieldCase{"-", Reader::kDecimal2, -kBig, kBig, "Invalid Syntax", 0},
                    FieldCase{"21474836.47", Reader::kDecimal2, -kBig, kBig, nullptr, 2147483647},
                    FieldCase{"21474836.48", Reader::kDecimal2, -kBig, kBig, "Out of Range", 0},
                    FieldCase{"1e300", Reader::kDecimal2, -kBig, kBig, "Out of Range", 0},
                    FieldCase{"1e999", Reader::kDecimal2, -kBig, kBig, "Out of Range", 0},
                    FieldCase{"1e999x", Reader::kDecimal2, -kBig, kBig, "Invalid Syntax", 0},
                    FieldCase{"", Reader::kDecimal2, 0, 1, "Input Missing", 0},
                    FieldCase{nullptr, Reader::kDecimal2, 0, 1, "Not Found", 0}));

INSTANTIATE_TEST_SUITE_P(
    Words, FieldTest,
    testing::Values(FieldCase{"TRUE", Reader::kBoolean, 0, 0, nullptr, 1},
                    FieldCase{"false", Reader::kBoolean, 0, 0, nullptr, 0},
                    FieldCase{"True", Reader::kBoolean, 0, 0, nullptr, 1},
                    FieldCase{"1", Reader::kBoolean, 0, 0, "Not TRUE or FALSE", 0},
                    FieldCase{"yes", Reader::kBoolean, 0, 0, "Not TRUE or FALSE", 0},
                    FieldCase{"TRUE x", Reader::kBoolean, 0, 0, "Not TRUE or FALSE", 0},
                    FieldCase{"", Reader::kBoolean, 0, 0, "Input Missing", 0},
                    FieldCase{"min", Reader::kMinOff, 0, 0, nullptr, 0},
                    FieldCase{"OFF", Reader::kMinOff, 0, 0, nullptr, 1},
                    FieldCase{"MAX", Reader::kMinOff, 0, 0, "Not MIN or OFF", 0},
                    FieldCase{nullptr, Reader::kMinOff, 0, 0, "Not Found", 0},
                    FieldCase{"94", Reader::kList, 0, 0, nullptr, 4},
                    FieldCase{"25000", Reader::kList, 0, 0, nullptr, 6},
                    FieldCase{"0x61A8", Reader::kList, 0, 0, nullptr, 6},
                    FieldCase{"90", Reader::kList, 0, 0, "Invalid Value", 0},
                    FieldCase{"9", Reader::kList, 0, 0, "Out of Range", 0},
                    FieldCase{"28001", Reader::kList, 0, 0, "Out of Range", 0},
                    FieldCase{"NONE", Reader::kList, 0, 0, "Invalid Syntax", 0}));

TEST(Diagnostics, LineFormats) {
  ProfileReader reader(MemoryLoader({}));
  CaptureConsole out;
  FieldReader fr(reader, "t.ini", out);
  fr.ReportError("FanMonitor1", "Usage", "Out of Range");
  fr.ReportWarning(nullptr, nullptr, "No Fan Monitors Enabled");
  fr.ReportError(nullptr, nullptr, "No Entities Enabled; Not valid INI file");
  EXPECT_EQ(out.Text(),
            "  ERROR: Section \"FanMonitor1\", Parameter \"Usage\" - Out of Range!\n"
            "  WARNING: No Fan Monitors Enabled!\n"
            "  ERROR: No Entities Enabled; Not valid INI file!\n");
}

TEST(Diagnostics, IsSpecifiedPrintsNothing) {
  ProfileReader reader(MemoryLoader({{"t.ini", "[S]\nA=\nB=1\n"}}));
  CaptureConsole out;
  FieldReader fr(reader, "t.ini", out);
  EXPECT_FALSE(fr.IsSpecified("S", "A"));
  EXPECT_TRUE(fr.IsSpecified("S", "B"));
  EXPECT_FALSE(fr.IsSpecified("S", "C"));
  EXPECT_FALSE(fr.IsSpecified("T", "B"));
  EXPECT_EQ(out.Text(), "");
}

}  // namespace
}  // namespace zefr
