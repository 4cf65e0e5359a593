#include "known_sections.h"

#include <charconv>

#include "value_text.h"

namespace zefr::lint {

std::optional<KnownSection> FindSection(std::string_view name) {
  for (const format::KindTable* table : format::AllTables()) {
    const std::string_view family = table->layout.section;
    if (name.size() <= family.size() || !format::EqualsNoCase(name.substr(0, family.size()), family)) continue;
    const std::string_view digits = name.substr(family.size());
    int number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    // "TemperatureMonitor01" is not a section the compiler asks for.
    if (ec != std::errc() || end != digits.data() + digits.size() || digits[0] == '0') continue;
    if (number < 1 || number > table->layout.count) continue;
    return KnownSection{table, number, std::string(family) + std::to_string(number)};
  }
  return std::nullopt;
}

const std::vector<std::string>& SectionNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const format::KindTable* table : format::AllTables())
      for (int n = 1; n <= table->layout.count; ++n) all.push_back(std::string(table->layout.section) + std::to_string(n));
    return all;
  }();
  return names;
}

const format::FieldRow* FindRow(const format::KindTable& table, std::string_view key) {
  const int field = format::FieldIndex(table, key);
  return field == format::kNoField ? nullptr : &table.fields[static_cast<std::size_t>(field)];
}

}  // namespace zefr::lint
