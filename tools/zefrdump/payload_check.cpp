// The compiler's limits and relations, applied to decoded values so that a
// dump can say which of them a recompile would stop at. Walks the same field
// tables as the compiler's checker, over the stored values.
#include <optional>
#include <string>

#include "decoded_payload.h"
#include "field_codec.h"
#include "field_table.h"
#include "rules.h"

namespace zefrdump {
namespace {

namespace F = zefr::format;
namespace L = zefr::payload;

bool Enabled(const DecodedPayload& p, L::Kind kind, int number) {
  return p.image.IsEnabled(F::TableOf(kind)->layout, number);
}

// Every value of the record as the compiler would have read it.
std::array<std::optional<int32_t>, F::fan_controller_field::kCount> Values(const DecodedPayload& p,
                                                                         const F::KindTable& table,
                                                                         size_t record) {
  std::array<std::optional<int32_t>, F::fan_controller_field::kCount> values{};
  for (size_t i = 1; i < table.fields.size(); ++i) values[i] = F::LoadField(p.image, record, table.fields[i]);
  return values;
}

void CheckRecord(const DecodedPayload& p, const F::KindTable& table, int number, std::vector<Finding>& out) {
  const std::string section = table.layout.section + std::to_string(number);
  const size_t record = L::RecordOffset(table.layout, number);
  const auto values = Values(p, table, record);
  auto add = [&](const F::FieldRow& row, const char* message) { out.push_back({section, row.key, message}); };
  for (size_t i = 1; i < table.fields.size(); ++i) {
    const F::FieldRow& row = table.fields[i];
    if (F::GateOpen(table, static_cast<int>(i), values) == false) continue;
    const int32_t v = *values[i];
    const uint32_t raw = F::LoadRaw(p.image, record, row);
    if (row.reading == F::Reading::kBoolean) {
      if (raw > 1) add(row, "Not TRUE or FALSE");
      continue;
    }
    if (row.reading != F::Reading::kInteger && row.reading != F::Reading::kDecimal) continue;  // every code is listed
    if (row.references != L::Kind::kPayloadHeader) {
      // Decoding held the number to its kind; the NONE code where NONE is
      // not allowed is a word the compiler reads as a number.
      if (raw == L::kNoReference && !row.noneAllowed) add(row, "Invalid Syntax");
      else if (v != -1 && !Enabled(p, row.references, v)) add(row, "Not Enabled");
      continue;
    }
    const std::optional<F::Bounds> b = F::RowBounds(table, static_cast<int>(i), values);
    if (b && !(b->noneAllowed && v == -1) && (v < b->min || v > b->max)) {
      add(row, "Out of Range");
      continue;
    }
    if (row.compare == F::Compare::kNone) continue;
    const int32_t earlier = *values[static_cast<size_t>(row.relatedTo)];
    if (row.compare == F::Compare::kAtLeast ? v < earlier : v > earlier) add(row, row.relationMessage);
  }
}

// An enabled controller that weighs a disabled response draws the compiler's
// "Not Enabled" line, though the compile goes on.
void CheckWeightings(const DecodedPayload& p, int response, std::vector<Finding>& out) {
  const F::FieldRow& row = F::WeightingRow(response);
  for (int j = 1; j <= L::kFanControllers.count; ++j) {
    const size_t record = L::RecordOffset(L::kFanControllers, j);
    if (F::WeighsDisabledResponse(p.image.IsEnabled(L::kFanControllers, j), F::LoadField(p.image, record, row)))
      out.push_back({L::kFanControllers.section + std::to_string(j), row.key, "Not Enabled"});
  }
}

}  // namespace

std::vector<Finding> CheckPayload(const DecodedPayload& p) {
  std::vector<Finding> out;
  int enabled = 0;
  // In the order of the printed INI.
  for (const F::KindTable* table : F::AllTables()) {
    for (int n = 1; n <= table->layout.count; ++n) {
      if (p.image.IsEnabled(table->layout, n)) {
        ++enabled;
        CheckRecord(p, *table, n, out);
      } else if (table->layout.kind == L::Kind::kTemperatureResponse) {
        CheckWeightings(p, n, out);
      }
    }
  }
  if (enabled == 0) out.push_back({"", "", "No Entities Enabled; Not valid INI file"});
  return out;
}

}  // namespace zefrdump
