#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
  enum class Eol : std::uint8_t { kNone, kLf, kCrLf };
  // Kept small and free of allocations: a file can hold a million lines,
  // and copies of a text are made per edit.
  struct Line {
    std::size_t at = 0;  // where its text (without the line ending) is in chars_
    std::size_t size = 0;
    // The section or key name, trimmed, as spelled: a part of the text.
    std::size_t nameAt = 0;
    std::size_t nameSize = 0;
    Kind kind = Kind::kBlank;
    Eol eol = Eol::kNone;
  };
  // An index entry: the first section of a name (in sections_) or the first
  // line of a key in such a section (in keys_, owned by the line of the
  // section's header). `hash` is that of the folded name. Sorted by owner
  // and hash, so that a name is found without a copy of it.
  struct Entry {
    std::uint64_t hash = 0;
    std::size_t owner = 0;
    std::size_t line = 0;
  };

  std::string_view Text(const Line& line) const { return std::string_view(chars_).substr(line.at, line.size); }
  std::string_view Name(const Line& line) const { return Text(line).substr(line.nameAt, line.nameSize); }
  static std::string_view EolText(Eol eol);
  // Classifies the text held in chars_ at `at`.
  Line Parse(std::size_t at, std::size_t size, Eol eol) const;
  // Adds the text at the end of chars_ and classifies it.
  Line Append(std::string_view text, Eol eol);
  // The owner's entry of that name, and true; or where it would go, and false.
  std::pair<std::vector<Entry>::iterator, bool> Seek(std::vector<Entry>& list, std::size_t owner,
                                                     std::string_view name);
  std::pair<std::vector<Entry>::const_iterator, bool> Seek(const std::vector<Entry>& list, std::size_t owner,
                                                           std::string_view name) const;
  // The header line of the first section of that name, or npos.
  std::size_t FindSection(std::string_view section) const;
  // Index of the key's first line in the section of that header, or npos.
  std::size_t FindKey(std::size_t header, std::string_view key) const;
  // Index of the line after the section's last key line, or after its header.
  std::size_t AfterLastKey(std::size_t header) const;
  void Insert(std::size_t at, Line line);
  void Erase(std::size_t at);
  // Moves every indexed line at or after `from` by `delta` lines.
  void Shift(std::size_t from, std::ptrdiff_t delta);
  // Drops the texts of rewritten lines once they are most of chars_.
  void Compact();

  // The text of every line: the file as read, then the new text of each line
  // written since, so a copy of the whole file is one allocation.
  std::string chars_;
  std::size_t unused_ = 0;  // bytes of chars_ no line refers to any more
  std::vector<Line> lines_;
  std::vector<Entry> sections_;
  std::vector<Entry> keys_;
  Eol eol_ = Eol::kLf;  // ending of lines we add: the file's own
  bool modified_ = false;
};

}  // namespace zefr
