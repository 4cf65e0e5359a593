#include "language_features.h"

#include <set>

#include "file_outline.h"
#include "ini_reader.h"
#include "known_sections.h"
#include "lint.h"
#include "report_format.h"
#include "value_text.h"

namespace zefr::lint {

namespace {

using nlohmann::json;

// LSP kinds used here.
constexpr int kSymbolStruct = 23, kSymbolProperty = 7;
constexpr int kCompletionField = 5, kCompletionModule = 9, kCompletionValue = 12, kCompletionEnumMember = 20;

json Position(std::uint32_t line1, std::uint32_t column1) {
  return {{"line", line1 == 0 ? 0 : line1 - 1}, {"character", column1 == 0 ? 0 : column1 - 1}};
}

json Range(std::uint32_t line1, std::uint32_t column1, std::uint32_t endColumn1) {
  return {{"start", Position(line1, column1)}, {"end", Position(line1, std::max(column1, endColumn1))}};
}

json NameRange(const NamePlace& p) { return Range(p.line, p.column, p.endColumn); }

json DiagnosticJson(const Diagnostic& d) {
  return {{"range", Range(d.spot.line, d.spot.column, d.spot.endColumn)},
          {"severity", d.severity == Severity::kError ? 1 : 2},
          {"code", d.rule},
          {"source", "zefrlint"},
          {"message", DiagnosticWords(d)}};
}

// The text's lines without their line ends; the last may have none.
std::vector<std::string_view> LinesOf(const std::string& text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    std::string_view line(text.data() + start, (end == std::string::npos ? text.size() : end) - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

// The document as the compiler reads it, and its sections and keys.
struct Parsed {
  explicit Parsed(const std::string& text) : content(TextModeContent(text)), outline(ReadOutline(content)), file(content) {}
  std::string content;
  FileOutline outline;
  ProfileFile file;

  // The section whose header is at or above 1-based line (null before the first).
  const OutlineSection* SectionAt(std::uint32_t line) const {
    const OutlineSection* found = nullptr;
    for (std::size_t i = 1; i < outline.sections.size(); ++i)
      if (outline.sections[i].name.line <= line) found = &outline.sections[i];
    return found;
  }
  const OutlineKey* KeyAt(const OutlineSection* s, std::uint32_t line) const {
    if (!s) return nullptr;
    for (const OutlineKey& k : s->keys)
      if (k.name.line == line) return &k;
    return nullptr;
  }
  std::string Value(const std::string& section, std::string_view key) const {
    std::string v;
    file.Lookup(section, key, v, kValueCapacity);
    return v;
  }
  bool Enabled(const std::string& section) const {
    std::int32_t v = 0;
    return format::ReadBooleanText(Value(section, "Enabled"), v) == format::Verdict::kOk && v == 1;
  }
};

std::string Number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", static_cast<double>(v));
  return text;
}

// What the compiler takes for the row, in words.
std::string CompilerTakes(const format::FieldRow& row) {
  std::string takes;
  switch (row.reading) {
    case format::Reading::kBoolean: takes = "TRUE or FALSE"; break;
    case format::Reading::kMinOff: takes = "MIN or OFF"; break;
    case format::Reading::kList:
      for (std::int32_t v : row.list) takes += (takes.empty() ? "" : ", ") + std::to_string(v);
      takes = "one of " + takes;
      break;
    case format::Reading::kDecimal:
      takes = format::ExactDecimalText(row.min, row.decimals) + " to " + format::ExactDecimalText(row.max, row.decimals) + ", " +
              std::to_string(row.decimals) + " decimals kept";
      break;
    case format::Reading::kInteger: takes = std::to_string(row.min) + " to " + std::to_string(row.max); break;
  }
  if (row.bounds != format::BoundsRule::kFixed) takes += " (the widest; the bounds follow Usage and the device)";
  if (row.noneAllowed) takes += ", or NONE";
  if (row.references != payload::Kind::kPayloadHeader) takes += " (the number of an enabled entity)";
  return takes;
}

// The unit a key's value is in, from its name.
std::string UnitOf(std::string_view key) {
  const auto has = [&](std::string_view part) { return key.find(part) != std::string_view::npos; };
  if (has("Weighting") || has("DutyCycle")) return "percent";
  if (has("Voltage")) return "volts";
  if (has("FanSpeed") || has("RPM")) return "revolutions per minute";
  if (has("Timeout") || has("TimeWindow")) return "seconds";
  if (has("SpinUpTime")) return "milliseconds";
  if (has("SignalFrequency")) return "hertz";
  if (has("Temperature") || has("TempMin") || has("TempRange")) return "degrees Celsius";
  return "";
}

bool ShownOption(const ParameterOption& o) {
  return o.stored.find(',') == std::string::npos && o.stored.find(kBogusOption) == std::string::npos &&
         o.stored != kBlankOption && !o.stored.empty();
}

json Markdown(const std::string& text, const json& range) {
  return {{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", range}};
}

json CompletionItem(const std::string& label, int kind, const std::string& detail, const std::string& insert) {
  json item = {{"label", label}, {"kind", kind}};
  if (!detail.empty()) item["detail"] = detail;
  if (!insert.empty()) item["insertText"] = insert;
  return item;
}

}  // namespace

LanguageFeatures::LanguageFeatures() : schema_(std::make_unique<ParameterSchema>()) {}

json LanguageFeatures::Diagnostics(const std::string& text) const {
  bool accepted = false;
  json all = json::array();
  for (const Diagnostic& d : LintContent(text, &accepted)) all.push_back(DiagnosticJson(d));
  return all;
}

json LanguageFeatures::Hover(const std::string& text, int line, int character) const {
  const Parsed p(text);
  const std::uint32_t line1 = static_cast<std::uint32_t>(line) + 1;
  const std::uint32_t column1 = static_cast<std::uint32_t>(character) + 1;
  const OutlineSection* section = p.SectionAt(line1);
  if (!section) return nullptr;
  const std::optional<KnownSection> known = FindSection(TrimIni(section->name.text));
  if (section->name.line == line1) {
    if (!known) return Markdown("Unknown section `" + section->name.text + "`: the compiler never reads it.", NameRange(section->name));
    const int index = schema_->InstanceOfSection(known->name).value_or(-1);
    const auto kind = schema_->KindOfInstance(index);
    const EntityKind* k = kind ? schema_->Kind(kind->first) : nullptr;
    std::string md = "**" + (k ? k->displayName : std::string(known->table->layout.section)) + " " +
                     std::to_string(known->number) + "** (`[" + known->name + "]`)\n\n";
    const std::string enabled = p.Value(known->name, "Enabled");
    md += p.Enabled(known->name) ? "Enabled: the compiler reads this section."
                                 : "Not enabled (Enabled=" + (enabled.empty() ? std::string("not given") : enabled) +
                                       "): the compiler reads only its Enabled key.";
    if (k && !k->description.empty()) md += "\n\n" + k->description;
    return Markdown(md, NameRange(section->name));
  }
  const OutlineKey* key = p.KeyAt(section, line1);
  if (!key || !known || column1 > key->name.endColumn) return nullptr;
  const format::FieldRow* row = FindRow(*known->table, key->name.text);
  if (!row) return Markdown("Unknown key `" + key->name.text + "`: the compiler never reads it.", NameRange(key->name));
  const int index = schema_->InstanceOfSection(known->name).value_or(-1);
  const auto id = schema_->ParameterOfKey(index, row->key);
  const ParameterDescriptor* d = id ? schema_->Descriptor(*id) : nullptr;
  std::string md = "**" + (d ? d->displayName : std::string(row->key)) + "** (`" + row->key + "` of `[" + known->name + "]`)\n\n";
  if (d && !d->help.empty()) md += d->help + "\n\n";
  if (const std::string unit = UnitOf(row->key); !unit.empty()) md += "- Unit: " + unit + "\n";
  md += "- The compiler takes: " + CompilerTakes(*row) + "\n";
  if (d && id && !d->ranges.empty()) {
    const std::uint16_t rowKey = schema_->RowClass(*id, p.Value(known->name, "Usage"), FormFactor::Custom);
    if (const auto range = schema_->Range(*id, rowKey))
      md += "- The editor checks: " + Number(range->first) + " to " + Number(range->second) + "\n";
  }
  if (d && IsListType(d->attributes) && !d->Has(attr::kEntityReference)) {
    std::string options;
    for (const ParameterOption& o : d->options)
      if (ShownOption(o)) options += "\n  - `" + o.stored + "` " + o.display;
    if (!options.empty()) md += "- Options:" + options + "\n";
  }
  return Markdown(md, NameRange(key->name));
}

json LanguageFeatures::Completion(const std::string& text, int line, int character) const {
  json items = json::array();
  const std::vector<std::string_view> lines = LinesOf(text);
  if (line < 0 || static_cast<std::size_t>(line) >= lines.size()) return items;
  const std::string_view whole = lines[static_cast<std::size_t>(line)];
  const std::string_view before = whole.substr(0, std::min(whole.size(), static_cast<std::size_t>(std::max(character, 0))));
  const std::string_view trimmed = TrimIni(before);
  const Parsed p(text);
  std::set<std::string> present;
  if (!trimmed.empty() && trimmed[0] == '[') {
    for (const OutlineSection& s : p.outline.sections) present.insert(LowerAscii(s.name.text));
    for (const std::string& name : SectionNames()) {
      if (present.count(LowerAscii(name))) continue;
      const std::optional<KnownSection> known = FindSection(name);
      const int index = schema_->InstanceOfSection(name).value_or(-1);
      const auto kind = schema_->KindOfInstance(index);
      const EntityKind* k = kind ? schema_->Kind(kind->first) : nullptr;
      items.push_back(CompletionItem(name, kCompletionModule, k ? k->displayName + " " + std::to_string(known->number) : "", ""));
    }
    return items;
  }
  // The section above the line (the line itself may not end yet).
  const OutlineSection* section = p.SectionAt(static_cast<std::uint32_t>(line) + 1);
  if (!section) return items;
  const std::optional<KnownSection> known = FindSection(TrimIni(section->name.text));
  if (!known) return items;
  const int index = schema_->InstanceOfSection(known->name).value_or(-1);
  const std::size_t equals = before.find('=');
  if (equals == std::string_view::npos) {
    for (const OutlineKey& k : section->keys)
      if (k.name.line != static_cast<std::uint32_t>(line) + 1) present.insert(LowerAscii(k.name.text));
    for (const format::FieldRow& row : known->table->fields) {
      if (present.count(LowerAscii(row.key))) continue;
      const auto id = schema_->ParameterOfKey(index, row.key);
      const ParameterDescriptor* d = id ? schema_->Descriptor(*id) : nullptr;
      items.push_back(CompletionItem(row.key, kCompletionField, d ? d->displayName : "", std::string(row.key) + "="));
    }
    return items;
  }
  const format::FieldRow* row = FindRow(*known->table, TrimIni(before.substr(0, equals)));
  if (!row) return items;
  std::set<std::string> offered;
  const auto offer = [&](const std::string& value, int kind, const std::string& detail) {
    if (offered.insert(value).second) items.push_back(CompletionItem(value, kind, detail, ""));
  };
  if (row->noneAllowed) offer("NONE", kCompletionEnumMember, "none");
  switch (row->reading) {
    case format::Reading::kBoolean:
      offer("TRUE", kCompletionEnumMember, "");
      offer("FALSE", kCompletionEnumMember, "");
      break;
    case format::Reading::kMinOff:
      offer("MIN", kCompletionEnumMember, "");
      offer("OFF", kCompletionEnumMember, "");
      break;
    case format::Reading::kList:
      for (std::int32_t v : row->list) offer(std::to_string(v), kCompletionValue, UnitOf(row->key));
      break;
    default: break;
  }
  if (row->references != payload::Kind::kPayloadHeader) {
    // The enabled entities of the kind referred to.
    for (const format::KindTable* table : format::AllTables()) {
      if (table->layout.kind != row->references) continue;
      for (int n = 1; n <= table->layout.count; ++n) {
        const std::string name = std::string(table->layout.section) + std::to_string(n);
        if (p.Enabled(name)) offer(std::to_string(n), kCompletionValue, name);
      }
    }
    return items;
  }
  const auto id = schema_->ParameterOfKey(index, row->key);
  if (const ParameterDescriptor* d = id ? schema_->Descriptor(*id) : nullptr; d && IsListType(d->attributes))
    for (const ParameterOption& o : d->options)
      if (ShownOption(o)) offer(o.stored, kCompletionEnumMember, o.display);
  return items;
}

json LanguageFeatures::Definition(const std::string& uri, const std::string& text, int line, int character) const {
  (void)character;
  const Parsed p(text);
  const std::uint32_t line1 = static_cast<std::uint32_t>(line) + 1;
  const OutlineSection* section = p.SectionAt(line1);
  const OutlineKey* key = p.KeyAt(section, line1);
  if (!key || !key->hasValue) return nullptr;
  const std::optional<KnownSection> known = FindSection(TrimIni(section->name.text));
  const format::FieldRow* row = known ? FindRow(*known->table, key->name.text) : nullptr;
  if (!row || row->references == payload::Kind::kPayloadHeader) return nullptr;
  std::int32_t number = 0;
  if (format::ReadIntegerText(key->value, 1, 12, false, number) != format::Verdict::kOk) return nullptr;
  for (const format::KindTable* table : format::AllTables()) {
    if (table->layout.kind != row->references) continue;
    const std::string target = LowerAscii(std::string(table->layout.section) + std::to_string(number));
    // The compiler reads the first section of a name.
    for (std::size_t i = 1; i < p.outline.sections.size(); ++i)
      if (LowerAscii(TrimIni(p.outline.sections[i].name.text)) == target)
        return {{"uri", uri}, {"range", NameRange(p.outline.sections[i].name)}};
  }
  return nullptr;
}

json LanguageFeatures::Symbols(const std::string& text) const {
  const Parsed p(text);
  json symbols = json::array();
  for (std::size_t i = 1; i < p.outline.sections.size(); ++i) {
    const OutlineSection& s = p.outline.sections[i];
    json children = json::array();
    std::uint32_t last = s.name.line;
    for (const OutlineKey& k : s.keys) {
      const std::uint32_t end = std::max(k.name.endColumn, k.valueSpot.endColumn);
      children.push_back({{"name", k.name.text.empty() ? std::string("?") : k.name.text},
                          {"detail", k.value},
                          {"kind", kSymbolProperty},
                          {"range", Range(k.name.line, 1, end)},
                          {"selectionRange", NameRange(k.name)}});
      last = k.name.line;
    }
    const std::uint32_t lastEnd = s.keys.empty() ? s.name.endColumn + 1 : std::max(s.keys.back().name.endColumn, s.keys.back().valueSpot.endColumn);
    symbols.push_back({{"name", s.name.text.empty() ? std::string("?") : s.name.text},
                       {"kind", kSymbolStruct},
                       {"range", {{"start", Position(s.name.line, 1)}, {"end", Position(last, lastEnd)}}},
                       {"selectionRange", NameRange(s.name)},
                       {"children", children}});
  }
  return symbols;
}

json LanguageFeatures::QuickFixes(const std::string& uri, const std::string& text, int first, int last) const {
  json actions = json::array();
  bool accepted = false;
  for (const Diagnostic& d : LintContent(text, &accepted)) {
    const int line = static_cast<int>(d.spot.line) - 1;
    if (!d.fixable || line < first || line > last) continue;
    json edit = {{"range", Range(d.spot.line, d.spot.column, d.spot.endColumn)}, {"newText", d.suggestion}};
    json changes = json::object();
    changes[uri] = json::array({edit});
    actions.push_back({{"title", "Change to " + d.suggestion},
                       {"kind", "quickfix"},
                       {"isPreferred", true},
                       {"diagnostics", json::array({DiagnosticJson(d)})},
                       {"edit", {{"changes", changes}}}});
  }
  return actions;
}

}  // namespace zefr::lint
