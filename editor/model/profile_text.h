#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zefr {

// One INI file held in memory as its lines, read and edited the way the
// platform's private-profile service does it: names match without case, only
// the first section of a name counts, and an edit touches only the line of
// its key, so comments, blank lines and unknown lines survive byte for byte.
// The lines are indexed once, so a lookup does not scan the file.
class ProfileText {
 public:
  ProfileText() = default;
  explicit ProfileText(std::string_view bytes);

  // Value of the key in the first section of that name, trimmed of blanks
  // and tabs, one pair of enclosing quotes removed; nullopt when absent.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;

  // Sets the key's line to KEY=VALUE (the key spelled as in the file), or
  // adds the line after the section's last key line, or appends the section.
  // False, with nothing changed, when the names or the value would not fit
  // on one INI line (see ValidEntry).
  bool Write(std::string_view section, std::string_view key, std::string_view value);

  // Deletes the key's line; false when the key was not there.
  bool Remove(std::string_view section, std::string_view key);

  // The whole file as bytes.
  std::string Bytes() const;

  // True once a Write or Remove has changed the bytes.
  bool Modified() const { return modified_; }
  // Called once the bytes are safely stored.
  void ClearModified() { modified_ = false; }

  // Empty when the entry can be written; otherwise why it cannot: a line
  // break anywhere, an empty name, "=" or a leading "[" or ";" in the key,
  // or "]" in the section would change how the file reads back.
  static std::string ValidEntry(std::string_view section, std::string_view key,
                                std::string_view value);

 private:
  enum class Kind : std::uint8_t { kBlank, kComment, kSection, kKey };
  // Kept small: a file can hold a million lines.
  struct Line {
    std::string text;      // without its line ending
    std::string_view eol;  // "\n", "\r\n" or "" for a last line without one
    // The section or key name, trimmed, as spelled: a part of `text`.
    std::uint32_t nameAt = 0;
    std::uint32_t nameSize = 0;
    Kind kind = Kind::kBlank;

    std::string_view Name() const { return std::string_view(text).substr(nameAt, nameSize); }
  };

  // Found by a folded name without a copy of it.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  template <typename T>
  using NameMap = std::unordered_map<std::string, T, NameHash, std::equal_to<>>;

  // Where the first section of a name and the first line of each of its
  // keys are; names are folded to lower case.
  struct SectionIndex {
    std::size_t header = 0;
    NameMap<std::size_t> keys;
  };

  // `eol` is one of the literals above, never a copy.
  static Line Parse(std::string text, std::string_view eol);
  // The first section of that name, or nullptr.
  SectionIndex* FindSection(std::string_view section);
  const SectionIndex* FindSection(std::string_view section) const;
  // Index of the key's first line in the section, or npos.
  static std::size_t FindKey(const SectionIndex& section, std::string_view key);
  // Index of the line after the section's last key line, or after its header.
  std::size_t AfterLastKey(const SectionIndex& section) const;
  void Insert(std::size_t at, Line line);
  void Erase(std::size_t at);
  // Moves every indexed line at or after `from` by `delta` lines.
  void Shift(std::size_t from, std::ptrdiff_t delta);

  std::vector<Line> lines_;
  NameMap<SectionIndex> sections_;
  std::string_view eol_ = "\n";  // ending of lines we add: the file's own
  bool modified_ = false;
};

}  // namespace zefr
