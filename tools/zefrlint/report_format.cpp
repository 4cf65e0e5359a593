#include "report_format.h"

#include <nlohmann/json.hpp>

#include "rule_catalog.h"

namespace zefr::lint {

namespace {

using nlohmann::json;

const char* SeverityName(const Diagnostic& d) { return d.severity == Severity::kError ? "error" : "warning"; }

// Dumped as the bytes are, never throwing on text that is not UTF-8.
std::string Dump(const json& j, int indent) { return j.dump(indent, ' ', false, json::error_handler_t::replace) + "\n"; }

}  // namespace

std::string DiagnosticWords(const Diagnostic& d) {
  std::string words;
  if (!d.section.empty()) {
    words += "Section \"" + d.section + "\"";
    if (!d.key.empty()) words += ", Parameter \"" + d.key + "\"";
    words += " - ";
  }
  return words + d.message;
}

std::string LintLine(const std::string& file, const Diagnostic& d) {
  return file + ":" + std::to_string(d.spot.line) + ":" + std::to_string(d.spot.column) + ": " + SeverityName(d) +
         ": " + DiagnosticWords(d) + "\n";
}

std::string JsonReport(const std::vector<FileFindings>& files) {
  json all = json::array();
  for (const FileFindings& f : files) {
    for (const Diagnostic& d : f.diagnostics) {
      all.push_back({{"file", f.file},
                     {"line", d.spot.line},
                     {"column", d.spot.column},
                     {"endColumn", d.spot.endColumn},
                     {"severity", SeverityName(d)},
                     {"rule", d.rule},
                     {"section", d.section},
                     {"key", d.key},
                     {"message", d.message},
                     {"suggestion", d.suggestion.empty() ? json(nullptr) : json(d.suggestion)}});
    }
  }
  return Dump(all, 2);
}

std::string SarifReport(const std::vector<FileFindings>& files, const std::string& version) {
  json rules = json::array();
  for (const RuleInfo& r : Rules())
    rules.push_back({{"id", r.id}, {"shortDescription", {{"text", r.summary}}}});
  json results = json::array();
  for (const FileFindings& f : files) {
    for (const Diagnostic& d : f.diagnostics) {
      json region = {{"startLine", d.spot.line},
                     {"startColumn", d.spot.column},
                     {"endColumn", std::max(d.spot.endColumn, d.spot.column)}};
      json location = json::object();
      location["physicalLocation"] = {{"artifactLocation", {{"uri", f.file}}}, {"region", region}};
      json result = json::object();
      result["ruleId"] = d.rule;
      result["level"] = SeverityName(d);
      result["message"] = {{"text", DiagnosticWords(d)}};
      result["locations"] = json::array({location});
      if (const int index = RuleIndex(d.rule); index >= 0) result["ruleIndex"] = index;
      if (!d.suggestion.empty()) result["properties"] = {{"suggestion", d.suggestion}};
      results.push_back(std::move(result));
    }
  }
  json driver = {{"name", "zefrlint"}, {"version", version}, {"rules", rules}};
  json run = json::object();
  run["tool"] = {{"driver", driver}};
  run["results"] = results;
  json log = json::object();
  log["$schema"] = "https://json.schemastore.org/sarif-2.1.0.json";
  log["version"] = "2.1.0";
  log["runs"] = json::array({run});
  return Dump(log, 2);
}

}  // namespace zefr::lint
