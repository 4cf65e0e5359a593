#include "decimal_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace zefrdump {
namespace {

TEST(DecimalText, PicksTextsThatReadBack) {
  struct Case {
    int32_t scaled;
    int decimals;
    const char* text;
  } cases[] = {
      {0, 2, "0.00"},          {28, 2, "0.28"},       {29, 2, "0.295"},
      {-29, 2, "-0.295"},      {-40, 2, "-0.40"},     {114, 2, "1.145"},
      {115, 2, "1.155"},       {230, 2, "2.305"},     {1234, 2, "12.34"},
      {10000, 2, "100.00"},    {-300, 2, "-3.00"},    {12000, 3, "12.000"},
      {-400, 3, "-0.400"},     {3134, 3, "3.134"},    {5, 3, "0.005"},
      {INT32_MAX, 2, "21474836.47"}, {INT32_MIN, 2, "-21474836.48"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecimalText(c.scaled, c.decimals), c.text) << c.scaled;
    EXPECT_EQ(TruncatedScaled(c.text, c.decimals), c.scaled) << c.text;
  }
}

// Every value a field can sensibly hold must come back unchanged.
TEST(DecimalText, EveryValueInTheFieldRangesRoundTrips) {
  for (int decimals : {2, 3}) {
    for (int32_t v = -310000; v <= 310000; ++v)
      ASSERT_EQ(TruncatedScaled(DecimalText(v, decimals), decimals), v) << v << " " << decimals;
  }
}

}  // namespace
}  // namespace zefrdump
