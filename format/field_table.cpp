#include "field_table.h"

#include <array>

#include "value_text.h"

namespace zefr::format {

namespace {

constexpr std::array<const KindTable*, 5> kTables = {&kTemperatureMonitorTable, &kFanMonitorTable,
                                                     &kVoltageMonitorTable, &kTemperatureResponseTable,
                                                     &kFanControllerTable};

}  // namespace

const KindTable* TableOf(payload::Kind kind) {
  for (const KindTable* t : kTables)
    if (t->layout.kind == kind) return t;
  return nullptr;
}

std::span<const KindTable* const> AllTables() { return kTables; }

int FieldIndex(const KindTable& table, std::string_view key) {
  for (std::size_t i = 0; i < table.fields.size(); ++i)
    if (EqualsNoCase(table.fields[i].key, key)) return static_cast<int>(i);
  return kNoField;
}

}  // namespace zefr::format
