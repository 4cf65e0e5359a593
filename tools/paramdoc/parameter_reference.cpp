#include "parameter_reference.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace zefr {

namespace {

std::string Hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", value);
  return buffer;
}

std::string Code(const std::string& text) {
  return text.empty() ? "(empty)" : "`" + text + "`";
}

// GitHub-style heading anchor.
std::string Anchor(const std::string& heading) {
  std::string anchor;
  for (char c : heading) {
    if (c >= 'A' && c <= 'Z')
      anchor += static_cast<char>(c - 'A' + 'a');
    else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')
      anchor += c;
    else if (c == ' ')
      anchor += '-';
  }
  return anchor;
}

// Help texts may hold line breaks and tabs (the mode list of Min/Off Mode).
std::string Paragraph(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "  \n";
    else if (c == '\t')
      out += ' ';
    else
      out += c;
  }
  return out;
}

std::string TypeText(const ParameterDescriptor& d) {
  std::string type = TypeName(d.attributes);
  if (d.Has(attr::kSelector)) return "device selector (" + type + ")";
  return type;
}

std::string PlainRange(const ParameterSchema& s, const ParameterDescriptor& d) {
  const auto range = s.Range(d.id, rows::kPlain);
  if (!range) return "";
  return FormatBound(range->first) + " .. " + FormatBound(range->second);
}

// Ranges that change with the chosen `Usage`, grouped by the usages that
// select the same row.
std::vector<std::string> UsageRanges(const ParameterSchema& s, const ParameterDescriptor& d) {
  std::vector<std::string> lines;
  if (d.controlling == kNoParameter) return lines;
  const ParameterDescriptor* usage = s.Descriptor(d.controlling);
  std::vector<std::pair<std::uint16_t, std::vector<std::string>>> groups;
  for (int i = 1; i < usage->OptionCount(); ++i) {
    const std::uint16_t row = s.RowClass(d.id, usage->options[i].stored, FormFactor::Custom);
    auto group = groups.begin();
    while (group != groups.end() && group->first != row) ++group;
    if (group == groups.end()) group = groups.insert(groups.end(), {row, {}});
    group->second.push_back(usage->options[i].display);
  }
  if (groups.size() == 1 && groups.front().first == rows::kPlain) return lines;
  for (const auto& [row, usages] : groups) {
    const auto range = s.Range(d.id, row);
    std::string line = FormatBound(range->first) + " .. " + FormatBound(range->second) + " for ";
    for (std::size_t i = 0; i < usages.size(); ++i) line += (i ? ", " : "") + usages[i];
    lines.push_back(line);
  }
  return lines;
}

void WriteParameter(std::ostringstream& out, const ParameterSchema& s,
                    const ParameterDescriptor& d) {
  out << "#### " << (d.key.empty() ? d.displayName + " (editor only, not in the INI file)"
                                   : "`" + d.key + "`")
      << "\n\n";
  if (!d.help.empty()) out << Paragraph(d.help) << "\n\n";
  out << "- Display name: " << (d.index == 0 ? s.Kind(d.kind)->displayName + " *n*" : d.displayName)
      << "\n";
  out << "- Type: " << TypeText(d) << "\n";
  if (d.maxLength != 0) out << "- Maximum length: " << d.maxLength << " characters\n";
  const std::string range = PlainRange(s, d);
  if (!range.empty()) out << "- Range: " << range << "\n";
  const auto byUsage = UsageRanges(s, d);
  if (!byUsage.empty()) {
    out << "- Range by `Usage`:\n";
    for (const std::string& line : byUsage) out << "  - " << line << "\n";
  }
  if (!d.defaultText.empty()) out << "- Default: " << Code(d.defaultText) << "\n";
  if (d.Has(attr::kSelector)) {
    out << "- Fills:";
    const auto fills = s.ResolvedDependents(d.id);
    for (std::size_t i = 0; i < fills.size(); ++i)
      out << (i ? ", " : " ") << "`" << s.Descriptor(fills[i])->key << "`";
    out << "\n";
  }
  if (d.Has(attr::kCommentDisplay) && !d.Has(attr::kDerived))
    out << "- Saved with the chosen option's display text as a comment\n";
  if (d.Has(attr::kDerived))
    out << "- Filled by the Device selector; saved with the selector's display text as a "
           "comment\n";
  if (!d.options.empty() && IsListType(d.attributes)) {
    const bool classes = d.HasClassWords();
    out << "\n| # | Stored value | Display text |" << (classes ? " Usage class |" : "") << "\n";
    out << "|---|---|---|" << (classes ? "---|" : "") << "\n";
    for (int i = 0; i < d.OptionCount(); ++i) {
      const ParameterOption& o = d.options[i];
      out << "| " << i << " | " << TableCell(Code(o.stored)) << " | "
          << (o.display.empty() ? "(blank)" : TableCell(o.display)) << " |";
      if (classes) out << " " << Hex(o.classWord) << " |";
      out << "\n";
    }
  }
  out << "\n";
}

void WriteKind(std::ostringstream& out, const ParameterSchema& s, const EntityKind& kind) {
  out << "## " << kind.displayName << "\n\n";
  out << kind.description << "\n\n";
  out << "Sections `" << kind.family << "1` to `" << kind.family << kind.instanceCount << "` ("
      << kind.instanceCount << " instances). Every instance carries the same keys, types, "
      << "ranges and options; the tables show instance 1.\n\n";
  out << "| # | Key | Display name | Type | Max length | Range |\n";
  out << "|---|---|---|---|---|---|\n";
  for (int i = 0; i < kind.parametersPerInstance; ++i) {
    const ParameterDescriptor& d = *s.Descriptor(static_cast<ParameterId>(kind.firstParameterId + i));
    out << "| " << i << " | " << (d.key.empty() ? "(none)" : "`" + d.key + "`") << " | "
        << TableCell(i == 0 ? kind.displayName + " *n*" : d.displayName) << " | " << TypeText(d)
        << " | " << (d.maxLength != 0 ? std::to_string(d.maxLength) : "") << " | "
        << PlainRange(s, d) << (d.controlling != kNoParameter && !UsageRanges(s, d).empty()
                                    ? " (by `Usage`)"
                                    : "")
        << " |\n";
  }
  out << "\n";
  for (int i = 0; i < kind.parametersPerInstance; ++i)
    WriteParameter(out, s, *s.Descriptor(static_cast<ParameterId>(kind.firstParameterId + i)));
}

}  // namespace

std::string FormatBound(float value) {
  char buffer[32];
  if (std::nearbyint(value) == value && std::fabs(value) < 1e9f)
    std::snprintf(buffer, sizeof buffer, "%.0f", static_cast<double>(value));
  else
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(value));
  return buffer;
}

std::string TableCell(const std::string& text) {
  std::string cell;
  for (char c : text) {
    if (c == '|')
      cell += "\\|";
    else if (c == '\n' || c == '\t')
      cell += ' ';
    else
      cell += c;
  }
  return cell;
}

std::string ParameterReference(const ParameterSchema& s) {
  std::ostringstream out;
  out << "# Zefr parameter reference\n\n"
      << "<!-- Generated from the editor's parameter schema by paramdoc; do not edit. "
         "Regenerate with: build/bin/paramdoc docs/parameters.md -->\n\n"
      << "Every parameter a Zefr configuration can carry, as the editor shows and checks it. "
         "A configuration is an INI file with one section per entity; each kind of entity is "
         "a section family numbered from 1. Integers and reals are written as decimal text, hex "
         "bytes as hexadecimal text of at most two digits (the editor writes them with a `0x` "
         "prefix; `NONE` stands for an absent device), "
         "and lists as one of the stored values of their options. Where a range depends on "
         "the chosen `Usage`, the range for each usage is listed; the plain range applies "
         "while no usage is chosen.\n\n";
  for (int k = 0; k < ParameterSchema::kKindCount; ++k) {
    const EntityKind& kind = *s.Kind(k);
    out << "- [" << kind.displayName << "](#" << Anchor(kind.displayName) << "): `"
        << kind.family << "1` .. `" << kind.family << kind.instanceCount << "`\n";
  }
  out << "\n";
  for (int k = 0; k < ParameterSchema::kKindCount; ++k) WriteKind(out, s, *s.Kind(k));
  std::string text = out.str();
  while (text.size() >= 2 && text[text.size() - 1] == '\n' && text[text.size() - 2] == '\n')
    text.pop_back();
  return text;
}

}  // namespace zefr
