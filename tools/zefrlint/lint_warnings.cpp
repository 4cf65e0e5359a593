#include "lint_warnings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "field_table.h"
#include "file_outline.h"
#include "known_sections.h"
#include "parameter_schema.h"
#include "rules.h"
#include "suggest.h"
#include "value_text.h"

namespace zefr::lint {

namespace {

using format::FieldRow;
using format::KindTable;

Diagnostic Warning(const char* rule, std::string section, std::string key, std::string message,
                   const NamePlace& at) {
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.stage = kFinalStage;
  d.rule = rule;
  d.section = std::move(section);
  d.key = std::move(key);
  d.message = std::move(message);
  d.spot = TextSpot{at.line, at.column, at.endColumn};
  return d;
}

class WarningFinder {
 public:
  WarningFinder(std::string_view content, const std::vector<Diagnostic>& checked)
      : outline_(ReadOutline(content)), file_(std::string(content)) {
    for (const Diagnostic& d : checked) reported_.insert(LowerAscii(d.section) + "\n" + LowerAscii(d.key));
    for (const OutlineSection& s : outline_.sections) present_.insert(LowerAscii(s.name.text));
  }

  std::vector<Diagnostic> Find() {
    std::map<std::string, std::uint32_t> firstHeader;
    for (std::size_t i = 0; i < outline_.sections.size(); ++i) {
      const OutlineSection& s = outline_.sections[i];
      if (i == 0) {
        for (const OutlineKey& k : s.keys)
          found_.push_back(Warning("unread-key", "", k.name.text, "Never read: it stands before the first section", k.name));
        continue;
      }
      const std::string lower = LowerAscii(s.name.text);
      auto [first, isFirst] = firstHeader.emplace(lower, s.name.line);
      if (!isFirst) {
        found_.push_back(Warning("duplicate-section", s.name.text, "",
                                 "Given again and ignored: the compiler reads the section at line " +
                                     std::to_string(first->second),
                                 s.name));
        continue;
      }
      const std::optional<KnownSection> known = FindSection(TrimIni(s.name.text));
      if (!known) {
        UnknownSection(s);
        continue;
      }
      KnownSectionKeys(s, *known);
    }
    std::stable_sort(found_.begin(), found_.end(), [](const Diagnostic& a, const Diagnostic& b) {
      return a.spot.line != b.spot.line ? a.spot.line < b.spot.line : a.spot.column < b.spot.column;
    });
    return std::move(found_);
  }

 private:
  void UnknownSection(const OutlineSection& s) {
    const std::string& name = s.name.text;
    Diagnostic d = Warning("unknown-section", name, "", "Unknown section, never read", s.name);
    // A kind's name with a number it does not have.
    for (const KindTable* table : format::AllTables()) {
      const std::string_view family = table->layout.section;
      if (name.size() > family.size() && EqualsNoCase(std::string_view(name).substr(0, family.size()), family) &&
          name.find_first_not_of("0123456789", family.size()) == std::string::npos) {
        d.message += ": there are " + std::to_string(table->layout.count) + " " + std::string(family) +
                     " sections, numbered from 1";
        found_.push_back(std::move(d));
        return;
      }
    }
    if (auto near = Closest(name, SectionNames())) {
      d.message += "; did you mean " + *near + "?";
      d.suggestion = *near;
      // Renaming onto a section the file has would hide one of the two.
      d.fixable = s.name.nameExact && !present_.count(LowerAscii(*near));
    }
    found_.push_back(std::move(d));
  }

  void KnownSectionKeys(const OutlineSection& s, const KnownSection& known) {
    const KindTable& table = *known.table;
    std::vector<std::string> keys;
    for (const FieldRow& row : table.fields) keys.emplace_back(row.key);
    std::set<std::string> given;
    for (const OutlineKey& k : s.keys) given.insert(LowerAscii(k.name.text));

    const std::string& section = s.name.text;
    const std::optional<std::string> shut = WhyNotEnabled(section);
    const std::vector<std::optional<std::int32_t>> values = ReadValues(table, section);
    std::map<std::string, std::uint32_t> firstLine;
    std::string usage;
    file_.Lookup(known.name, "Usage", usage, kValueCapacity);
    for (const OutlineKey& k : s.keys) {
      const std::string lower = LowerAscii(k.name.text);
      auto [first, isFirst] = firstLine.emplace(lower, k.name.line);
      if (!isFirst) {
        found_.push_back(Warning("duplicate-key", section, k.name.text,
                                 "Given again and ignored: the compiler reads line " + std::to_string(first->second),
                                 k.name));
        continue;
      }
      const int field = format::FieldIndex(table, k.name.text);
      if (field == format::kNoField) {
        Diagnostic d = Warning("unknown-key", section, k.name.text, "Unknown key, never read", k.name);
        if (auto near = Closest(k.name.text, keys)) {
          d.message += "; did you mean " + *near + "?";
          d.suggestion = *near;
          d.fixable = k.name.nameExact && !given.count(LowerAscii(*near));
        }
        found_.push_back(std::move(d));
        continue;
      }
      // Enabled is always read; an empty value is nothing lost.
      if (field == 0 || !k.hasValue || k.value.empty()) continue;
      if (shut) {
        found_.push_back(Warning("unread-key", section, k.name.text, "Never read: " + *shut, k.name));
        continue;
      }
      if (format::GateOpen(table, field, values) == false) {
        const FieldRow& gate = table.fields[static_cast<std::size_t>(table.fields[static_cast<std::size_t>(field)].gate)];
        found_.push_back(Warning("unread-key", section, k.name.text,
                                 std::string("Never read: ") + gate.key + " is NONE", k.name));
        continue;
      }
      const FieldRow& row = table.fields[static_cast<std::size_t>(field)];
      CutDecimal(row, section, k);
      EditorRange(known, usage, row, k);
    }
  }

  // A number the compiler takes that the editor's narrower range refuses.
  void EditorRange(const KnownSection& known, const std::string& usage, const FieldRow& row,
                   const OutlineKey& k) {
    if (!k.hasValue || reported_.count(LowerAscii(known.name) + "\n" + LowerAscii(k.name.text))) return;
    const auto range = ParameterSchema::RangeOfKey(known.name, row.key, usage, FormFactor::Custom);
    if (!range) return;
    char* end = nullptr;
    const double v = std::strtod(k.value.c_str(), &end);
    if (end == k.value.c_str() || *end != '\0') return;
    const bool inside = range->type == attr::kReal
                            ? range->minimum <= static_cast<float>(v) && static_cast<float>(v) <= range->maximum
                            : static_cast<double>(static_cast<long long>(range->minimum)) <= v &&
                                  v <= static_cast<double>(static_cast<long long>(range->maximum));
    if (inside) return;
    char bounds[64];
    std::snprintf(bounds, sizeof bounds, "%.15g to %.15g", static_cast<double>(range->minimum),
                  static_cast<double>(range->maximum));
    NamePlace at;
    at.line = k.valueSpot.line;
    at.column = k.valueSpot.column;
    at.endColumn = k.valueSpot.endColumn;
    found_.push_back(Warning("editor-range", known.name, k.name.text,
                             "Accepted by the compiler, but the editor flags it: outside its range " +
                                 std::string(bounds) + " for \"" + range->displayName + "\"",
                             at));
  }

  // Why the compiler reads nothing of the section but Enabled; nullopt when
  // it is enabled or its Enabled is refused (it then counts as enabled).
  std::optional<std::string> WhyNotEnabled(const std::string& section) const {
    std::string text;
    if (!file_.Lookup(section, "Enabled", text, kValueCapacity) || text.empty())
      return std::string("Enabled is not given, so FALSE");
    std::int32_t v = 0;
    if (format::ReadBooleanText(text, v) != format::Verdict::kOk || v != 0) return std::nullopt;
    return std::string("Enabled is FALSE");
  }

  // Each row's value as read with the row's widest bounds; nullopt where it
  // is not there or not readable.
  std::vector<std::optional<std::int32_t>> ReadValues(const KindTable& table, const std::string& section) const {
    std::vector<std::optional<std::int32_t>> values(table.fields.size());
    for (std::size_t i = 0; i < table.fields.size(); ++i) {
      const FieldRow& row = table.fields[i];
      std::string text;
      if (!file_.Lookup(section, row.key, text, kValueCapacity) || text.empty()) continue;
      std::int32_t v = 0;
      if (format::ReadRowValue(row, format::Bounds{row.min, row.max, row.noneAllowed}, text, v) == format::Verdict::kOk)
        values[i] = v;
    }
    return values;
  }

  // A decimal with more places than the record keeps loses the rest.
  void CutDecimal(const FieldRow& row, const std::string& section, const OutlineKey& k) {
    if (row.reading != format::Reading::kDecimal || !k.hasValue) return;
    if (reported_.count(LowerAscii(section) + "\n" + LowerAscii(k.name.text))) return;
    std::int32_t stored = 0;
    if (format::ReadDecimalText(k.value, INT32_MIN, INT32_MAX, row.decimals, stored) != format::Verdict::kOk) return;
    double value = 0;
    format::ConvertDecimal(k.value.c_str(), value);
    if (format::ScaledDecimal(value, row.decimals) == static_cast<double>(stored)) return;
    NamePlace at;
    at.line = k.valueSpot.line;
    at.column = k.valueSpot.column;
    at.endColumn = k.valueSpot.endColumn;
    found_.push_back(Warning("truncated-decimal", section, k.name.text,
                             k.value + " is stored as " + format::ExactDecimalText(stored, row.decimals) + " (" +
                                 std::to_string(row.decimals) + " decimals kept, the rest cut off)",
                             at));
  }

  FileOutline outline_;
  ProfileFile file_;
  std::set<std::string> reported_;
  std::set<std::string> present_;
  std::vector<Diagnostic> found_;
};

}  // namespace

std::vector<Diagnostic> FindWarnings(std::string_view content, const std::vector<Diagnostic>& checked) {
  return WarningFinder(content, checked).Find();
}

}  // namespace zefr::lint
