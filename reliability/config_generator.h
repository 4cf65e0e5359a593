#pragma once
// Random configurations that the compiler must accept: every value within its
// bounds, every relation and reference satisfied, written in the many forms
// the readers take (hex, octal, any case, NONE, comments, unknown lines).
// The same seed gives the same text.

#include <cstdint>
#include <string>
#include <vector>

namespace zefr::reliability {

struct GeneratedConfig {
  std::string text;
  // Lines that are neither section headers nor keys of the configuration,
  // each unique within the text, which a save must keep.
  std::vector<std::string> foreignLines;
};

// How values are spelled. kAnyForm uses every form the compiler reads;
// kEditorForm only those the editor also reads back as the same value: hex
// bytes as 0xNN, other numbers in decimal (the editor takes any hex byte
// field's digits as hex, so 32 or 040 would come back as 0x32 or 0x040).
enum class Spelling { kAnyForm, kEditorForm };

GeneratedConfig GenerateConfig(std::uint32_t seed, Spelling spelling = Spelling::kAnyForm);

}  // namespace zefr::reliability
