// The graph labels must name usages as the editor's option lists do.
#include "usage_names.h"

#include <gtest/gtest.h>

#include "parameter_schema.h"

namespace zefrdump {
namespace {

TEST(UsageNames, MatchTheEditorsOptionLists) {
  zefr::ParameterSchema schema;
  // Editor kind order: temperature monitor, fan monitor, voltage monitor,
  // temperature response, fan controller.
  const UsageFamily families[5] = {UsageFamily::Temperature, UsageFamily::Fan,
                                   UsageFamily::Voltage, UsageFamily::Temperature,
                                   UsageFamily::Fan};
  for (int kind = 0; kind < 5; ++kind) {
    const zefr::ParameterDescriptor* usage =
        schema.Descriptor(zefr::ParameterId(schema.Kind(kind)->firstParameterId + 1));
    ASSERT_NE(usage, nullptr);
    ASSERT_EQ(usage->key, "Usage");
    // Option 0 is the blank one; option i stores the code i - 1.
    for (size_t i = 1; i < usage->options.size(); ++i) {
      EXPECT_EQ(usage->options[i].stored, std::to_string(i - 1));
      EXPECT_EQ(UsageName(families[kind], unsigned(i - 1)), usage->options[i].display);
    }
    EXPECT_EQ(UsageName(families[kind], unsigned(usage->options.size() - 1)),
              "Usage " + std::to_string(usage->options.size() - 1));
  }
}

}  // namespace
}  // namespace zefrdump
