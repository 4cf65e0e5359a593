#include "lint.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "checker.h"
#include "file_system.h"
#include "lint_warnings.h"
#include "platform.h"
#include "run.h"
#include "safe_fix.h"
#include "usage_text.h"

#ifndef ZEFR_VERSION
#define ZEFR_VERSION "unknown"
#endif

namespace zefr::lint {

namespace {

enum class Format { kText, kJson, kSarif };

struct Options {
  bool quiet = false;
  bool werror = false;
  bool fix = false;
  Format format = Format::kText;
  std::vector<std::string> files;
};

bool EndsWithIni(const std::string& path) {
  return path.size() >= 4 && EqualsNoCase(std::string_view(path).substr(path.size() - 4), ".INI");
}

// The file names zefrcfg refuses before it reads anything.
const char* RefusedName(const std::string& path) {
  if (path.size() > kIniPathMax) return "INI file pathname is longer than 127 characters, program cannot continue";
  if (!EndsWithIni(path)) return "INI file pathname does not end in \".INI\", program cannot continue";
  return nullptr;
}

// nullopt after a message in err: bad arguments. An empty file list with no
// message: --help or --version answered in out.
std::optional<Options> ParseArguments(const std::vector<std::string>& args, std::string* out, std::string* err) {
  Options o;
  bool options = true;
  for (const std::string& arg : args) {
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "-h" || arg == "--help")) {
      *out += kHelp;
      return Options{};
    } else if (options && (arg == "-V" || arg == "--version")) {
      *out += "zefrlint (Zefr) " ZEFR_VERSION "\n";
      return Options{};
    } else if (options && (arg == "-q" || arg == "--quiet")) {
      o.quiet = true;
    } else if (options && arg == "--werror") {
      o.werror = true;
    } else if (options && arg == "--fix") {
      o.fix = true;
    } else if (options && arg.rfind("--format=", 0) == 0) {
      const std::string name = arg.substr(9);
      if (name == "text") {
        o.format = Format::kText;
      } else if (name == "json") {
        o.format = Format::kJson;
      } else if (name == "sarif") {
        o.format = Format::kSarif;
      } else {
        *err += "zefrlint: unknown format \"" + name + "\" (text, json or sarif)\n" + kUsage;
        return std::nullopt;
      }
    } else if (options && arg == "--lsp") {
      *err += std::string("zefrlint: --lsp takes no other argument\n") + kUsage;
      return std::nullopt;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      *err += "zefrlint: unknown option \"" + arg + "\"\n" + kUsage;
      return std::nullopt;
    } else {
      o.files.push_back(arg);
    }
  }
  if (o.files.empty()) {
    *err += std::string("zefrlint: no configuration file named\n") + kUsage;
    return std::nullopt;
  }
  return o;
}

// Applies the safe fixes to file and says what changed; the new bytes
// replace raw. False after a message in err when the file cannot be written.
bool Fix(const std::string& file, std::string& raw, const std::vector<Diagnostic>& found, std::string* out,
         std::string* err) {
  std::vector<AppliedFix> applied;
  std::string fixed = ApplyFixes(raw, found, &applied);
  if (applied.empty()) return true;
  int error = 0;
  if (!files::Disk().Replace(file, fixed, error)) {
    *err += "zefrlint: " + file + ": cannot write the fixes: " + std::strerror(error) + "\n";
    return false;
  }
  // Said on standard error where standard output carries JSON or SARIF.
  for (const AppliedFix& f : applied)
    *out += file + ":" + std::to_string(f.spot.line) + ":" + std::to_string(f.spot.column) + ": fixed: " + f.from +
            " -> " + f.to + "\n";
  raw = std::move(fixed);
  return true;
}

}  // namespace

std::vector<Diagnostic> LintContent(const std::string& raw, bool* accepted, bool ownWarnings) {
  const std::string text = TextModeContent(raw);
  CheckResult result = CheckText(raw);
  *accepted = result.accepted;
  std::vector<Diagnostic> all = std::move(result.diagnostics);
  // Over the size bound the compiler reads nothing, so nothing is unread.
  if (ownWarnings && text.size() <= kProfileMaxBytes) {
    std::vector<Diagnostic> warnings = FindWarnings(text, all);
    all.insert(all.end(), std::make_move_iterator(warnings.begin()), std::make_move_iterator(warnings.end()));
  }
  return all;
}

int Run(const std::vector<std::string>& args, std::string* out, std::string* err) {
  const std::optional<Options> parsed = ParseArguments(args, out, err);
  if (!parsed) return kBadInput;
  const Options& o = *parsed;
  if (o.files.empty()) return kAccepted;

  int status = kAccepted;
  std::vector<FileFindings> findings;
  std::string fixes;
  for (const std::string& file : o.files) {
    FileFindings f{file, {}};
    if (const char* refused = RefusedName(file)) {
      Diagnostic d;
      d.refuses = true;
      d.message = refused;
      d.rule = "file-name";
      f.diagnostics.push_back(std::move(d));
      findings.push_back(std::move(f));
      status = std::max(status, kRefused);
      continue;
    }
    std::string raw;
    int error = 0;
    if (!ReadIniFile(file, raw, error)) {
      *err += "zefrlint: " + file + ": " + std::strerror(error) + "\n";
      status = kBadInput;
      continue;
    }
    bool accepted = false;
    // Errors only: zefrlint's own warnings are not worked out at all.
    const bool ownWarnings = !o.quiet || o.werror || o.fix;
    f.diagnostics = LintContent(raw, &accepted, ownWarnings);
    if (o.fix) {
      const std::size_t before = fixes.size();
      if (!Fix(file, raw, f.diagnostics, &fixes, err)) {
        status = kBadInput;
      } else if (fixes.size() != before) {
        f.diagnostics = LintContent(raw, &accepted, ownWarnings);
      }
    }
    if (!accepted) status = std::max(status, kRefused);
    const bool warned = std::any_of(f.diagnostics.begin(), f.diagnostics.end(),
                                    [](const Diagnostic& d) { return d.severity == Severity::kWarning; });
    if (o.werror && warned) status = std::max(status, kRefused);
    if (o.quiet) std::erase_if(f.diagnostics, [](const Diagnostic& d) { return d.severity != Severity::kError; });
    findings.push_back(std::move(f));
  }

  switch (o.format) {
    case Format::kText:
      *out += fixes;
      for (const FileFindings& f : findings)
        for (const Diagnostic& d : f.diagnostics) *out += LintLine(f.file, d);
      break;
    case Format::kJson:
      *err += fixes;
      *out += JsonReport(findings);
      break;
    case Format::kSarif:
      *err += fixes;
      *out += SarifReport(findings, ZEFR_VERSION);
      break;
  }
  return status;
}

}  // namespace zefr::lint
