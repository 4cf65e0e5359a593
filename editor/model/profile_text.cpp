#include "profile_text.h"

#include <utility>

namespace zefr {
namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string Fold(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = Lower(c);
  return folded;
}

// A name folded for a lookup: on the stack when short, as names are, since
// the document looks up every key of the schema on each load and save.
class Folded {
 public:
  explicit Folded(std::string_view name) {
    if (name.size() > sizeof short_) {
      long_ = Fold(name);
      view_ = long_;
      return;
    }
    for (std::size_t i = 0; i < name.size(); ++i) short_[i] = Lower(name[i]);
    view_ = std::string_view(short_, name.size());
  }
  Folded(const Folded&) = delete;
  Folded& operator=(const Folded&) = delete;
  std::string_view View() const { return view_; }

 private:
  char short_[64];
  std::string long_;
  std::string_view view_;
};

}  // namespace

ProfileText::ProfileText(std::string_view bytes) {
  std::size_t lineFeeds = 0;
  for (std::size_t at = bytes.find('\n'); at != npos; at = bytes.find('\n', at + 1)) ++lineFeeds;
  lines_.reserve(lineFeeds + 1);
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    std::string_view body =
        lf == npos ? bytes.substr(start) : bytes.substr(start, lf - start);
    std::string_view eol = lf == npos ? "" : "\n";
    if (!eol.empty() && !body.empty() && body.back() == '\r') {
      body.remove_suffix(1);
      eol = "\r\n";
    }
    lines_.push_back(Parse(std::string(body), eol));
    if (lf == npos) break;
    start = lf + 1;
  }
  // Lines we add take the ending the file already uses.
  for (const Line& line : lines_)
    if (!line.eol.empty()) {
      eol_ = line.eol;
      break;
    }
  SectionIndex* current = nullptr;  // null in a later section of a name: never read
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kSection) {
      auto [entry, first] = sections_.try_emplace(Fold(line.Name()));
      if (first) entry->second.header = i;
      current = first ? &entry->second : nullptr;
    } else if (line.kind == Kind::kKey && current != nullptr) {
      current->keys.try_emplace(Fold(line.Name()), i);
    }
  }
}

ProfileText::Line ProfileText::Parse(std::string text, std::string_view eol) {
  Line line;
  std::string_view t = Trim(text);
  std::string_view name = t.substr(0, 0);
  // A stray carriage return at the very end of the file is no content.
  if (eol.empty() && !t.empty() && t.back() == '\r') t = Trim(t.substr(0, t.size() - 1));
  if (t.empty()) {
    line.kind = Kind::kBlank;
  } else if (t.front() == ';') {
    line.kind = Kind::kComment;
  } else if (t.front() == '[') {
    line.kind = Kind::kSection;
    std::string_view inside = t.substr(1);
    inside = inside.substr(0, inside.find(']'));
    name = Trim(inside);
  } else {
    line.kind = Kind::kKey;
    name = Trim(t.substr(0, t.find('=')));
  }
  line.nameAt = static_cast<std::uint32_t>(name.data() - text.data());
  line.nameSize = static_cast<std::uint32_t>(name.size());
  line.text = std::move(text);
  line.eol = eol;
  return line;
}

const ProfileText::SectionIndex* ProfileText::FindSection(std::string_view section) const {
  auto found = sections_.find(Folded(Trim(section)).View());
  return found == sections_.end() ? nullptr : &found->second;
}

ProfileText::SectionIndex* ProfileText::FindSection(std::string_view section) {
  return const_cast<SectionIndex*>(std::as_const(*this).FindSection(section));
}

std::size_t ProfileText::FindKey(const SectionIndex& section, std::string_view key) {
  auto found = section.keys.find(Folded(Trim(key)).View());
  return found == section.keys.end() ? npos : found->second;
}

std::size_t ProfileText::AfterLastKey(const SectionIndex& section) const {
  std::size_t after = section.header;
  for (std::size_t i = section.header + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i)
    if (lines_[i].kind == Kind::kKey) after = i;
  return after + 1;
}

void ProfileText::Shift(std::size_t from, std::ptrdiff_t delta) {
  auto move = [from, delta](std::size_t& at) {
    if (at >= from) at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + delta);
  };
  for (auto& entry : sections_) {
    move(entry.second.header);
    for (auto& key : entry.second.keys) move(key.second);
  }
}

std::optional<std::string> ProfileText::Read(std::string_view section,
                                             std::string_view key) const {
  const SectionIndex* found = FindSection(section);
  if (found == nullptr) return std::nullopt;
  std::size_t at = FindKey(*found, key);
  if (at == npos) return std::nullopt;
  std::string_view text = lines_[at].text;
  std::size_t eq = text.find('=');
  if (eq == npos) return std::string();
  std::string_view value = Trim(text.substr(eq + 1));
  if (lines_[at].eol.empty() && !value.empty() && value.back() == '\r')
    value = Trim(value.substr(0, value.size() - 1));
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == '"' || value.front() == '\''))
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

std::string ProfileText::ValidEntry(std::string_view section, std::string_view key,
                                    std::string_view value) {
  auto has_break = [](std::string_view s) { return s.find_first_of("\r\n") != npos; };
  if (has_break(section) || has_break(key) || has_break(value))
    return "a name or value holds a line break";
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty()) return "the section or key name is empty";
  if (section.find(']') != npos) return "the section name holds \"]\"";
  if (key.find('=') != npos || key.front() == '[' || key.front() == ';')
    return "the key name holds \"=\" or starts with \"[\" or \";\"";
  return {};
}

void ProfileText::Insert(std::size_t at, Line line) {
  // Whatever follows a last line without a line ending needs one first.
  if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  Shift(at, 1);
  modified_ = true;
}

void ProfileText::Erase(std::size_t at) {
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
  Shift(at + 1, -1);
  modified_ = true;
}

bool ProfileText::Write(std::string_view section, std::string_view key,
                        std::string_view value) {
  if (!ValidEntry(section, key, value).empty()) return false;
  section = Trim(section);
  key = Trim(key);
  SectionIndex* found = FindSection(section);
  if (found == nullptr) {
    Insert(lines_.size(), Parse(std::string("[").append(section).append("]"), eol_));
    SectionIndex& added = sections_[Fold(section)];
    added.header = lines_.size() - 1;
    Insert(lines_.size(), Parse(std::string(key) + "=" + std::string(value), eol_));
    added.keys[Fold(key)] = lines_.size() - 1;
    return true;
  }
  std::size_t at = FindKey(*found, key);
  if (at != npos) {
    // The name stays as spelled, so the index needs no change.
    Line& line = lines_[at];
    std::string text = std::string(line.Name()) + "=" + std::string(value);
    // A written line always ends, so that no reader can miss it.
    std::string_view eol = line.eol.empty() ? eol_ : line.eol;
    if (text != line.text || eol != line.eol) {
      line = Parse(std::move(text), eol);
      modified_ = true;
    }
    return true;
  }
  at = AfterLastKey(*found);
  Insert(at, Parse(std::string(key) + "=" + std::string(value), eol_));
  found->keys[Fold(key)] = at;
  return true;
}

bool ProfileText::Remove(std::string_view section, std::string_view key) {
  SectionIndex* found = FindSection(section);
  if (found == nullptr) return false;
  key = Trim(key);
  auto entry = found->keys.find(Folded(key).View());
  if (entry == found->keys.end()) return false;
  const std::size_t at = entry->second;
  // A later line of the same key in the section becomes its first.
  std::size_t next = npos;
  for (std::size_t i = at + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i)
    if (lines_[i].kind == Kind::kKey && SameName(lines_[i].Name(), key)) {
      next = i;
      break;
    }
  if (next == npos)
    found->keys.erase(entry);
  else
    entry->second = next;
  Erase(at);
  return true;
}

std::string ProfileText::Bytes() const {
  std::size_t size = 0;
  for (const Line& line : lines_) size += line.text.size() + line.eol.size();
  std::string out;
  out.reserve(size);
  for (const Line& line : lines_) {
    out += line.text;
    out += line.eol;
  }
  return out;
}

}  // namespace zefr
