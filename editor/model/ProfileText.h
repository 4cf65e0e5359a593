#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zefr {

// One INI file held in memory as its lines, read and edited the way the
// platform's private-profile service does it: names match without case, only
// the first section of a name counts, and an edit touches only the line of
// its key, so comments, blank lines and unknown lines survive byte for byte.
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
  enum class Kind { kBlank, kComment, kSection, kKey };
  struct Line {
    std::string text;  // without its line ending
    std::string eol;   // "\n", "\r\n" or "" for a last line without one
    Kind kind = Kind::kBlank;
    std::string name;  // section or key name, trimmed, as spelled
  };

  static Line Parse(std::string text, std::string eol);
  // Index of the first header of the section, or npos.
  std::size_t FindSection(std::string_view section) const;
  // Index of the key's first line after the header at `header`, or npos.
  std::size_t FindKey(std::size_t header, std::string_view key) const;
  void Insert(std::size_t at, Line line);

  std::vector<Line> lines_;
  // The last section looked for and where it is (npos: absent). A whole
  // configuration is read and written key by key, section by section.
  mutable std::string lastSection_;
  mutable std::size_t lastHeader_ = 0;
  mutable bool lastKnown_ = false;
  std::string eol_ = "\n";  // ending of lines we add: the file's own
  bool modified_ = false;
};

}  // namespace zefr
