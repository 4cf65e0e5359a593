#pragma once
// Row builders the kinds share: the two rows every kind starts with, bytes,
// counts, decimals and rows bound to an earlier one.

#include "field_table.h"
#include "rules.h"

namespace zefr::format::rows {

inline constexpr FieldRow Enabled() {
  return {.key = "Enabled", .reading = Reading::kBoolean, .store = Store::kHeader,
          .absent = Absent::kPresumeFalse, .absentMessage = "Not Specified, Presuming FALSE"};
}

inline constexpr FieldRow Usage(std::int32_t max) {
  return {.key = "Usage", .offset = payload::record::kUsage, .max = max};
}

// A byte from 0 to 255; NONE, where allowed, stores 0xFF.
inline constexpr FieldRow Byte(const char* key, std::size_t offset, bool noneAllowed = false) {
  return {.key = key, .offset = static_cast<std::uint16_t>(offset), .max = 255, .noneAllowed = noneAllowed,
          .noneStored = 0xFF, .hex = true};
}

// A count from 0 to max stored as 16 bits.
inline constexpr FieldRow Word(const char* key, std::size_t offset, std::int32_t max) {
  return {.key = key, .store = Store::kWord, .offset = static_cast<std::uint16_t>(offset), .max = max};
}

// A fixed-point value stored as 32 bits.
inline constexpr FieldRow Decimal(const char* key, std::size_t offset, int decimals, std::int32_t min,
                                   std::int32_t max) {
  return {.key = key, .reading = Reading::kDecimal, .store = Store::kLong,
          .offset = static_cast<std::uint16_t>(offset), .decimals = static_cast<std::int8_t>(decimals),
          .min = min, .max = max};
}

// A threshold that keeps its relation to an earlier key.
inline constexpr FieldRow Related(FieldRow row, Compare compare, std::int8_t relatedTo, const char* message) {
  row.compare = compare;
  row.relatedTo = relatedTo;
  row.relationMessage = message;
  return row;
}

inline constexpr FieldRow WithBounds(FieldRow row, BoundsRule rule) {
  row.bounds = rule;
  return row;
}

}  // namespace zefr::format::rows
