#include "ini_printer.h"

#include <cstdio>

#include "decimal_text.h"
#include "field_codec.h"
#include "field_table.h"
#include "rules.h"
#include "usage_names.h"

namespace zefrdump {
namespace {

namespace F = zefr::format;
namespace L = zefr::payload;

std::string Hex(uint32_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v);
  return buf;
}
std::string Number(long v) { return std::to_string(v); }

UsageFamily FamilyOf(L::Kind kind) {
  switch (kind) {
    case L::Kind::kFanMonitor:
    case L::Kind::kFanController: return UsageFamily::Fan;
    case L::Kind::kVoltageMonitor: return UsageFamily::Voltage;
    default: return UsageFamily::Temperature;
  }
}

// The name after the value is a comment to the compiler's reader.
std::string UsageText(L::Kind kind, uint32_t usage) {
  std::string value = std::to_string(usage);
  value.resize(24, ' ');
  return value + ";; " + UsageName(FamilyOf(kind), usage);
}

// The text the compiler reads back as the stored value of the row.
std::string ValueText(const F::KindTable& table, int field, const DecodedPayload& p, size_t record,
                      std::span<const std::optional<int32_t>> values) {
  const F::FieldRow& row = table.fields[static_cast<size_t>(field)];
  const uint32_t raw = F::LoadRaw(p.image, record, row);
  const int32_t value = F::LoadField(p.image, record, row);
  if (field == 1) return UsageText(table.layout.kind, raw);
  switch (row.reading) {
    case F::Reading::kBoolean: return raw == 0 ? "FALSE" : raw == 1 ? "TRUE" : Number(raw);
    case F::Reading::kMinOff: return raw ? "OFF" : "MIN";
    case F::Reading::kList: return Number(row.list[raw]);
    case F::Reading::kDecimal: return DecimalText(value, row.decimals);
    case F::Reading::kInteger: break;
  }
  if (row.references != L::Kind::kPayloadHeader) return raw == L::kNoReference ? "NONE" : Number(value);
  // NONE where the record allows it: "never" is stored as 0 only without a device.
  const auto bounds = F::RowBounds(table, field, values);
  if (row.noneAllowed && raw == row.noneStored && bounds && bounds->noneAllowed) return "NONE";
  return row.hex ? Hex(raw) : Number(static_cast<int32_t>(raw) - row.bias);
}

void PrintRecord(std::string& out, const F::KindTable& table, int number, const DecodedPayload& p) {
  // Appended piece by piece: a payload prints some 1000 lines.
  out.append("[").append(table.layout.section).append(std::to_string(number)).append("]\n");
  const bool enabled = p.image.IsEnabled(table.layout, number);
  out.append(table.fields[0].key).append("=").append(enabled ? "TRUE" : "FALSE").append("\n");
  if (enabled) {
    const size_t record = L::RecordOffset(table.layout, number);
    std::array<std::optional<int32_t>, F::fan_controller_field::kCount> values{};
    for (size_t i = 1; i < table.fields.size(); ++i) values[i] = F::LoadField(p.image, record, table.fields[i]);
    for (size_t i = 1; i < table.fields.size(); ++i) {
      const F::FieldRow& row = table.fields[i];
      std::string text;
      // A key the compiler does not read is left empty, or NONE where a
      // stand-in is stored for it (a command without a device).
      if (F::GateOpen(table, static_cast<int>(i), values) == false)
        text = row.gatedOffStored >= 0 ? "NONE" : "";
      else
        text = ValueText(table, static_cast<int>(i), p, record, values);
      out.append(row.key).append("=").append(text).append("\n");
    }
  }
  out += "\n";
}

// A line break in a file name would end the comment and start a key line.
std::string CommentSafe(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

}  // namespace

std::string PrintIni(const DecodedPayload& p, const std::string& source) {
  std::string out = ";; Configuration decoded from payload file \"";
  out.append(CommentSafe(source)).append("\" by zefrdump.\n\n");
  for (const F::KindTable* table : F::AllTables())
    for (int n = 1; n <= table->layout.count; ++n) PrintRecord(out, *table, n, p);
  return out;
}

}  // namespace zefrdump
