#include "compiler_findings.h"

#include "checker.h"

namespace zefr {

std::map<ParameterId, std::string> CompilerFindings(const ParameterSchema& schema, std::string text) {
  std::map<ParameterId, std::string> findings;
  const CheckResult result = CheckText(std::move(text));
  for (const Diagnostic& d : result.diagnostics) {
    if (d.severity != Severity::kError) continue;
    const auto instance = schema.InstanceOfSection(d.section);
    if (!instance) continue;  // about the file as a whole: no row to mark
    auto id = schema.ParameterOfKey(*instance, d.key);
    if (!id) id = schema.ParameterOfKey(*instance, "Enabled");
    if (!id) continue;
    std::string& line = findings[*id];
    line += "Compiler: " + d.message + "! ";
  }
  return findings;
}

}  // namespace zefr
