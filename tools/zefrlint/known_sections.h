#pragma once
// The sections the compiler reads: each kind's family name numbered from 1
// to its count, matched without regard to case as the compiler matches them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "field_table.h"

namespace zefr::lint {

struct KnownSection {
  const format::KindTable* table = nullptr;
  int number = 0;          // from 1
  std::string name;        // as the compiler spells it: "TemperatureMonitor3"
};

std::optional<KnownSection> FindSection(std::string_view name);

// Every section name the compiler reads, in image order.
const std::vector<std::string>& SectionNames();

// The table row of key (any case) in a kind, or null.
const format::FieldRow* FindRow(const format::KindTable& table, std::string_view key);

}  // namespace zefr::lint
