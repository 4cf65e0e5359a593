#pragma once
// The one checker: every diagnostic of a configuration file, in the order the
// compiler reports them, and the payload image it builds. The compiler prints
// them up to its first refusing error; tools report them all.
//
// Past an error it goes on so that one mistake gives one error: a refused
// value counts as absent for later relations and rules (bounds that depend
// on it widen to all they could be, keys it would gate are read only when
// present), and an entity whose Enabled is refused still counts as enabled.

#include <span>
#include <string>
#include <vector>

#include "diagnostic.h"
#include "ini_reader.h"
#include "payload_image.h"

namespace zefr {

// The compiler's passes, in order; referenced kinds come first.
struct CheckStage {
  payload::Kind kind;
  const char* progress;     // printed as the pass starts
  const char* noneEnabled;  // warned when the pass finds nothing enabled
};
std::span<const CheckStage> CheckStages();
// Stage of the diagnostics that follow every pass.
inline constexpr int kFinalStage = 5;

struct CheckResult {
  std::vector<Diagnostic> diagnostics;
  PayloadImage image;     // as the compiler builds it when accepted
  bool accepted = false;  // no refusing error
};

// file: null for one that reads as empty (unloadable, or over the size bound).
CheckResult CheckConfiguration(const ProfileFile* file);

// The file's bytes as read from disk.
CheckResult CheckText(std::string raw);

}  // namespace zefr
