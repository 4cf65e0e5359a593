#include "parameter_reference.h"

#include <gtest/gtest.h>

namespace zefr {
namespace {

TEST(ParameterReference, Bounds) {
  struct Row {
    float value;
    const char* text;
  } rows[] = {{1000000, "1000000"}, {-1000000, "-1000000"}, {0, "0"},       {255, "255"},
              {0.25f, "0.25"},      {-0.3f, "-0.3"},        {1.5f, "1.5"}, {-3, "-3"}};
  for (const Row& r : rows) EXPECT_EQ(FormatBound(r.value), r.text);
}

TEST(ParameterReference, TableCells) {
  EXPECT_EQ(TableCell("a|b"), "a\\|b");
  EXPECT_EQ(TableCell("MIN\t=\tx\nOFF"), "MIN = x OFF");
}

// The reference names every key of every kind and the ranges that follow
// the usage.
TEST(ParameterReference, CoversTheSchema) {
  const ParameterSchema schema;
  const std::string text = ParameterReference(schema);
  for (int k = 0; k < ParameterSchema::kKindCount; ++k) {
    const EntityKind& kind = *schema.Kind(k);
    EXPECT_NE(text.find("## " + kind.displayName + "\n"), std::string::npos);
    for (int i = 0; i < kind.parametersPerInstance; ++i) {
      const ParameterDescriptor& d = *schema.Descriptor(static_cast<ParameterId>(kind.firstParameterId + i));
      if (!d.key.empty()) {
        EXPECT_NE(text.find("#### `" + d.key + "`\n"), std::string::npos) << d.key;
      }
    }
  }
  EXPECT_NE(text.find("  - 1 .. 1 for Processor Core Temperature, Processor Die/Package Temperature\n"),
            std::string::npos);
  EXPECT_NE(text.find("- Range: -3 .. -0.3\n"), std::string::npos);
  EXPECT_NE(text.find("| 7 | `25000` | 25 kHz/25000 Hz (4-wire) |"), std::string::npos);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_NE(text[text.size() - 2], '\n');
}

}  // namespace
}  // namespace zefr
