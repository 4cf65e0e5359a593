#pragma once
// The three faces of zefrlint's findings: lines for people and editors,
// JSON for scripts, SARIF 2.1.0 for code-scanning services.

#include <string>
#include <vector>

#include "diagnostic.h"

namespace zefr::lint {

struct FileFindings {
  std::string file;
  std::vector<Diagnostic> diagnostics;
};

// The words after the severity: "Section "S", Parameter "K" - message".
std::string DiagnosticWords(const Diagnostic& d);

// "FILE:LINE:COLUMN: error: Section "S", Parameter "K" - message".
std::string LintLine(const std::string& file, const Diagnostic& d);

// One JSON array, one object per diagnostic: file, line, column, endColumn,
// severity, rule, section, key, message, suggestion (null when none).
std::string JsonReport(const std::vector<FileFindings>& files);

// A SARIF 2.1.0 log with one run: the tool with every rule, and one result
// per diagnostic at its file, line and columns.
std::string SarifReport(const std::vector<FileFindings>& files, const std::string& version);

}  // namespace zefr::lint
