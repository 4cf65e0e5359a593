#include "file_outline.h"

namespace zefr::lint {

namespace {

// The name's place in text: trimmed; without an exact place when quotes
// (which the reader drops) are part of it.
NamePlace PlaceOf(std::string_view text, std::uint32_t line, std::uint32_t column) {
  NamePlace place;
  const std::string_view trimmed = TrimIni(text);
  place.line = line;
  place.column = column + static_cast<std::uint32_t>(trimmed.data() - text.data());
  place.endColumn = place.column + static_cast<std::uint32_t>(trimmed.size());
  for (char c : trimmed) {
    if (c == '"')
      place.nameExact = false;
    else
      place.text.push_back(c);
  }
  return place;
}

}  // namespace

FileOutline ReadOutline(std::string_view content) {
  FileOutline outline;
  outline.sections.emplace_back();  // lines before the first header
  std::uint32_t lineNumber = 1;
  std::size_t lineStart = 0, scanned = 0;
  auto columnOf = [&](const char* p) {
    return static_cast<std::uint32_t>(static_cast<std::size_t>(p - content.data()) - lineStart + 1);
  };
  for (std::string_view raw : SplitProfileLines(content)) {
    for (const std::size_t start = static_cast<std::size_t>(raw.data() - content.data()); scanned < start; ++scanned) {
      if (content[scanned] == '\n') {
        ++lineNumber;
        lineStart = scanned + 1;
      }
    }
    const std::string_view trimmed = TrimIni(raw);
    const KeyPart part = SplitKeyPart(trimmed);
    if (part.key.empty()) continue;
    if (part.key[0] == '[') {
      // A header; its name runs to "]" (or the end of the key part).
      OutlineSection section;
      std::string_view name = trimmed.substr(1);
      const std::size_t stop = name.find_first_of("];=");
      if (stop != std::string_view::npos) name = name.substr(0, stop);
      section.name = PlaceOf(name, lineNumber, columnOf(name.data()));
      outline.sections.push_back(std::move(section));
      continue;
    }
    OutlineKey key;
    const std::size_t stop = trimmed.find_first_of("=;");
    const std::string_view written = trimmed.substr(0, stop);
    key.name = PlaceOf(written, lineNumber, columnOf(written.data()));
    key.name.text = std::string(TrimIni(part.key));
    key.hasValue = part.hasValue;
    key.valueSpot.line = lineNumber;
    key.valueSpot.column = key.valueSpot.endColumn = columnOf(trimmed.data() + trimmed.size());
    if (part.hasValue) {
      key.value = CleanValue(part.value);
      const std::string_view extent = ValueExtent(part.value);
      key.valueSpot.column = columnOf(extent.data());
      key.valueSpot.endColumn = columnOf(extent.data() + extent.size());
    }
    outline.sections.back().keys.push_back(std::move(key));
  }
  return outline;
}

}  // namespace zefr::lint
