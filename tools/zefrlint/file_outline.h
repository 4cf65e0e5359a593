#pragma once
// Every section header and key line of a configuration file, where it
// stands, split by the compiler's reading rules: what the compiler never
// looks at (unknown names, repeats) shows here and nowhere else.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ini_reader.h"

namespace zefr::lint {

// A name as written, with its place (1-based line, first column, the column
// after it). A name with quotes in it has no exact place: nameExact is false.
struct NamePlace {
  std::string text;
  std::uint32_t line = 1;
  std::uint32_t column = 1;
  std::uint32_t endColumn = 1;
  bool nameExact = true;
};

struct OutlineKey {
  NamePlace name;
  bool hasValue = false;
  std::string value;  // as the reader cleans it
  TextSpot valueSpot;
};

struct OutlineSection {
  NamePlace name;  // empty text: the lines before the first header
  std::vector<OutlineKey> keys;
};

struct FileOutline {
  std::vector<OutlineSection> sections;
};

// content as the text-mode read gives it (see TextModeContent).
FileOutline ReadOutline(std::string_view content);

}  // namespace zefr::lint
