#pragma once
// The compiler's own INI reader: one question at a time, "what is key K of
// section S?". The first section of a name and the first line of a key win;
// every rule below decides what a configuration file may contain.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zefr {

inline constexpr std::size_t kProfileMaxBytes = 1048576;  // a larger file reads as empty
inline constexpr std::size_t kLinePieceMax = 511;         // longer lines continue as the next line
inline constexpr std::size_t kKeyPartMax = 255;
inline constexpr std::size_t kValueCapacity = 80;         // values of 80 or more read as absent

// Space, tab, line feed, vertical tab, form feed, carriage return.
bool IsIniSpace(char c);
std::string_view TrimIni(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string LowerAscii(std::string_view s);

// The file as a text-mode read yields it: each CR LF pair becomes LF, so both
// line endings read the same everywhere, line lengths and size limit included.
std::string TextModeContent(std::string raw);

// The lines the reader sees: pieces of at most 511 bytes up to and including a
// line feed, each cut at its first NUL; a last piece without line feed is dropped.
std::vector<std::string_view> SplitProfileLines(std::string_view content);

// One line split at its first "=" or ";" outside double quotes.
struct KeyPart {
  std::string key;         // quotes left out, at most 255 characters
  bool hasValue = false;   // text follows the "="
  std::string_view value;  // the raw text after the "="
};
KeyPart SplitKeyPart(std::string_view line);

// The value's extent in raw text after the "=": cut at ";" outside quotes and
// trimmed, as CleanValue takes it; an empty value sits at the start.
std::string_view ValueExtent(std::string_view raw);

// A value as returned: cut at ";" outside quotes, trimmed, one enclosing pair of
// quotes removed when it holds exactly two.
std::string CleanValue(std::string_view raw);

// Where a value is in the file, 1-based, as an editor counts: its line and the
// column (byte) where the value starts and the one after it ends. A key that
// is not there points at its section's header, a section that is not there
// at line 1.
struct TextSpot {
  std::uint32_t line = 1;
  std::uint32_t column = 1;
  std::uint32_t endColumn = 1;
};

// A loaded configuration file with every line classified once, so a lookup
// costs a hash probe and a walk through one section, with the results of a
// top-to-bottom scan.
class ProfileFile {
 public:
  // content as the text-mode read gives it (see TextModeContent).
  explicit ProfileFile(std::string content);
  // where, when given, is set whether or not the key is found; a key line
  // whose value is too long reads as absent but is still where it points.
  bool Lookup(std::string_view section, std::string_view key, std::string& value,
              std::size_t capacity, TextSpot* where = nullptr) const;

 private:
  enum class LineKind : std::uint8_t { kSectionEnd, kKey };
  // Blank and comment lines are left out: they never change a result.
  struct Line {
    LineKind kind;
    bool hasValue;
    std::uint32_t key, keySize;      // lower-case key in text_
    std::uint32_t value, valueSize;  // cleaned value in text_
    TextSpot spot;                   // of the value
  };
  struct Header {
    std::size_t first;  // index in lines_ of the first line after it
    std::uint32_t line;
  };
  std::string_view Text(std::uint32_t at, std::uint32_t size) const { return {text_.data() + at, size}; }

  std::string text_;
  std::vector<Line> lines_;
  // Looked up by a folded name without copying it.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  // Lower-case section name -> its first header.
  std::unordered_map<std::string, Header, NameHash, std::equal_to<>> firstHeader_;
};

// Reads a whole file into content; false when it cannot be opened or read
// (ReadIniFile of platform.h, without the reason).
using FileLoader = std::function<bool(const std::string& name, std::string& content)>;
bool LoadFileFromDisk(const std::string& name, std::string& content);
// Serves files from memory by exact name, for tests and benchmarks.
FileLoader MemoryLoader(std::map<std::string, std::string> files);

// The lookup, with a one-file cache: the file is loaded at the first lookup
// and served from memory for every later lookup of the same name.
class ProfileReader {
 public:
  ProfileReader();
  explicit ProfileReader(FileLoader loader);

  // value is emptied first; true when the key was found (value possibly empty).
  bool GetProfileValue(const std::string& iniPath, std::string_view section, std::string_view key,
                       std::string& value, std::size_t capacity = kValueCapacity);

  // The file the lookups of iniPath read; null when it cannot be loaded or
  // is over the size bound (every lookup then finds nothing).
  const ProfileFile* File(const std::string& iniPath) { return Open(iniPath); }

 private:
  const ProfileFile* Open(const std::string& iniPath);

  FileLoader loader_;
  bool cached_ = false;
  std::string cachedName_;
  std::unique_ptr<ProfileFile> file_;  // null when the cached name failed to load
};

}  // namespace zefr
