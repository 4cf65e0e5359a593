#pragma once
// One thing the checker found in a configuration file. The record carries
// what every face needs: the compiler's own line, a "FILE:LINE:COLUMN:" line,
// or a structured report with a rule id and a value range.

#include <cstdint>
#include <string>

#include "ini_reader.h"

namespace zefr {

enum class Severity : std::uint8_t { kError, kWarning };

struct Diagnostic {
  Severity severity = Severity::kError;
  // The compiler stops at the first refusing error; a few errors (a disabled
  // response still weighted) are printed without stopping it.
  bool refuses = false;
  int stage = 0;        // the compiler pass that reports it (see CheckStages)
  std::string section;  // empty: the file as a whole
  std::string key;
  std::string message;  // the compiler's words, without its "!"
  const char* rule = "";  // stable id of the check, for tools
  TextSpot spot;
  // A name that is likely meant (tools only); fixable when putting it in the
  // place of spot is safe.
  std::string suggestion;
  bool fixable = false;
};

// The line the compiler prints: "  ERROR: Section "S", Parameter "K" - message!\n".
std::string CompilerLine(const Diagnostic& d);

}  // namespace zefr
