// Each value text as one key of a section, looked up and read as the checker
// reads it: the message it draws, or the value it stores.
#include <gtest/gtest.h>

#include "diagnostic.h"
#include "field_table.h"
#include "ini_reader.h"
#include "value_text.h"

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

// What reading gives: a message, or nullptr and the stored value.
const char* Read(const FieldCase& c, std::int64_t& stored) {
  std::string ini = "[S]\n";
  if (c.value) ini += std::string("K=") + c.value + "\n";
  const ProfileFile file(ini);
  std::string text;
  if (!file.Lookup("S", "K", text, kValueCapacity)) return "Not Found";
  if (text.empty()) return "Input Missing";
  std::int32_t v = 0;
  format::Verdict verdict = format::Verdict::kOk;
  switch (c.reader) {
    case Reader::kInteger: verdict = format::ReadIntegerText(text, c.min, c.max, false, v), stored = v; break;
    case Reader::kIntegerNone: verdict = format::ReadIntegerText(text, c.min, c.max, true, v), stored = v; break;
    case Reader::kByteNone:
      verdict = format::ReadIntegerText(text, c.min, c.max, true, v), stored = static_cast<std::uint8_t>(v);
      break;
    case Reader::kWord:
      verdict = format::ReadIntegerText(text, c.min, c.max, false, v), stored = static_cast<std::uint16_t>(v);
      break;
    case Reader::kDecimal2: verdict = format::ReadDecimalText(text, c.min, c.max, 2, v), stored = v; break;
    case Reader::kDecimal3: verdict = format::ReadDecimalText(text, c.min, c.max, 3, v), stored = v; break;
    case Reader::kBoolean: verdict = format::ReadBooleanText(text, v), stored = v; break;
    case Reader::kMinOff: verdict = format::ReadMinOffText(text, v), stored = v; break;
    case Reader::kList: verdict = format::ReadListText(text, format::kSignalFrequencies, v), stored = v; break;
  }
  return verdict == format::Verdict::kOk ? nullptr : format::VerdictText(verdict);
}

TEST_P(FieldTest, ReadsAndReports) {
  const FieldCase& c = GetParam();
  std::int64_t stored = -999;
  const char* message = Read(c, stored);
  if (c.message) {
    EXPECT_STREQ(message, c.message);
  } else {
    EXPECT_EQ(message, nullptr) << message;
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
  auto line = [](Severity severity, const char* section, const char* key, const char* message) {
    Diagnostic d;
    d.severity = severity;
    d.section = section;
    d.key = key;
    d.message = message;
    return CompilerLine(d);
  };
  EXPECT_EQ(line(Severity::kError, "FanMonitor1", "Usage", "Out of Range") +
                line(Severity::kWarning, "", "", "No Fan Monitors Enabled") +
                line(Severity::kError, "", "", "No Entities Enabled; Not valid INI file"),
            "  ERROR: Section \"FanMonitor1\", Parameter \"Usage\" - Out of Range!\n"
            "  WARNING: No Fan Monitors Enabled!\n"
            "  ERROR: No Entities Enabled; Not valid INI file!\n");
}

}  // namespace
}  // namespace zefr
