#include "lint.h"

#include <algorithm>
#include <cstring>

#include "checker.h"
#include "platform.h"
#include "run.h"
#include "usage_text.h"

#ifndef ZEFR_VERSION
#define ZEFR_VERSION "unknown"
#endif

namespace zefr::lint {

namespace {

bool EndsWithIni(const std::string& path) {
  return path.size() >= 4 && EqualsNoCase(std::string_view(path).substr(path.size() - 4), ".INI");
}

// The file names zefrcfg refuses before it reads anything.
const char* RefusedName(const std::string& path) {
  if (path.size() > kIniPathMax) return "INI file pathname is longer than 127 characters, program cannot continue";
  if (!EndsWithIni(path)) return "INI file pathname does not end in \".INI\", program cannot continue";
  return nullptr;
}

}  // namespace

std::string LintLine(const std::string& file, const Diagnostic& d) {
  std::string line = file + ":" + std::to_string(d.spot.line) + ":" + std::to_string(d.spot.column) + ": ";
  line += d.severity == Severity::kError ? "error: " : "warning: ";
  if (!d.section.empty()) line += "Section \"" + d.section + "\", Parameter \"" + d.key + "\" - ";
  line += d.message;
  line += "\n";
  return line;
}

int Run(const std::vector<std::string>& args, std::string* out, std::string* err) {
  bool quiet = false;
  std::vector<std::string> files;
  bool options = true;
  for (const std::string& arg : args) {
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "-h" || arg == "--help")) {
      *out += kHelp;
      return kAccepted;
    } else if (options && (arg == "-V" || arg == "--version")) {
      *out += "zefrlint (Zefr) " ZEFR_VERSION "\n";
      return kAccepted;
    } else if (options && (arg == "-q" || arg == "--quiet")) {
      quiet = true;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      *err += "zefrlint: unknown option \"" + arg + "\"\n" + kUsage;
      return kBadInput;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    *err += std::string("zefrlint: no configuration file named\n") + kUsage;
    return kBadInput;
  }

  int status = kAccepted;
  for (const std::string& file : files) {
    if (const char* refused = RefusedName(file)) {
      *out += file + ":1:1: error: " + refused + "\n";
      status = std::max(status, kRefused);
      continue;
    }
    std::string content;
    int error = 0;
    if (!ReadIniFile(file, content, error)) {
      *err += "zefrlint: " + file + ": " + std::strerror(error) + "\n";
      status = kBadInput;
      continue;
    }
    const CheckResult result = CheckText(std::move(content));
    for (const Diagnostic& d : result.diagnostics)
      if (!quiet || d.severity == Severity::kError) *out += LintLine(file, d);
    if (!result.accepted) status = std::max(status, kRefused);
  }
  return status;
}

}  // namespace zefr::lint
