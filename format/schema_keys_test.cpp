// The editor's schema keeps its own ranges, but its sections and keys must be
// the ones the compiler reads.
#include <gtest/gtest.h>

#include <set>

#include "field_table.h"
#include "parameter_schema.h"

namespace zefr::format {
namespace {

TEST(SchemaKeys, MatchTheFieldTables) {
  const ParameterSchema schema;
  std::vector<std::set<std::string>> schemaKeys(ParameterSchema::kInstanceCount);
  for (ParameterId id : schema.DisplayOrder()) {
    const auto instance = schema.InstanceIndexOf(id);
    const ParameterDescriptor* d = schema.Descriptor(id);
    if (instance && d && !d->key.empty()) schemaKeys[static_cast<std::size_t>(*instance)].insert(d->key);
  }
  // The editor keeps a free comment per entity, which the compiler never reads.
  for (std::set<std::string>& keys : schemaKeys) EXPECT_EQ(keys.erase("Comments"), 1u);
  int instance = 0;
  for (const KindTable* table : AllTables()) {
    std::set<std::string> keys;
    for (const FieldRow& row : table->fields) keys.insert(row.key);
    for (int n = 1; n <= table->layout.count; ++n, ++instance) {
      const std::string section = table->layout.section + std::to_string(n);
      EXPECT_EQ(schema.InstanceSection(instance), section);
      EXPECT_EQ(schemaKeys[static_cast<std::size_t>(instance)], keys) << section;
    }
  }
  EXPECT_EQ(instance, ParameterSchema::kInstanceCount);
}

}  // namespace
}  // namespace zefr::format
