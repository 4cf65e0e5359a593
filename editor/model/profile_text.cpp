#include "profile_text.h"

#include <algorithm>
#include <array>
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

// A table rather than comparisons: names are folded a character at a time
// in every lookup, and a fuzzing build traces each comparison.
constexpr std::array<char, 256> kLower = [] {
  std::array<char, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return table;
}();

char Lower(char c) { return kLower[static_cast<unsigned char>(c)]; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// FNV-1a of the name folded to lower case.
std::uint64_t HashOf(std::string_view name) {
  std::uint64_t h = 14695981039346656037ull;
  for (const char c : name) h = (h ^ static_cast<unsigned char>(Lower(c))) * 1099511628211ull;
  return h;
}

// Folded names in byte order.
int CompareNames(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(Lower(a[i])), y = static_cast<unsigned char>(Lower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

ProfileText::ProfileText(std::string_view bytes) : chars_(bytes) {
  std::size_t lineFeeds = 0;
  for (std::size_t at = bytes.find('\n'); at != npos; at = bytes.find('\n', at + 1)) ++lineFeeds;
  lines_.reserve(lineFeeds + 1);
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    std::size_t size = (lf == npos ? bytes.size() : lf) - start;
    Eol eol = lf == npos ? Eol::kNone : Eol::kLf;
    if (eol == Eol::kLf && size > 0 && bytes[start + size - 1] == '\r') {
      --size;
      eol = Eol::kCrLf;
    }
    lines_.push_back(Parse(start, size, eol));
    if (lf == npos) break;
    start = lf + 1;
  }
  // Lines we add take the ending the file already uses.
  for (const Line& line : lines_)
    if (line.eol != Eol::kNone) {
      eol_ = line.eol;
      break;
    }
  // Every section and key line, then the first of each name kept.
  std::size_t header = npos;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kSection) {
      header = i;
      sections_.push_back({HashOf(Name(line)), 0, i});
    } else if (line.kind == Kind::kKey && header != npos) {
      keys_.push_back({HashOf(Name(line)), header, i});
    }
  }
  const auto byName = [this](const Entry& a, const Entry& b) {
    if (a.owner != b.owner) return a.owner < b.owner;
    if (a.hash != b.hash) return a.hash < b.hash;
    const int names = CompareNames(Name(lines_[a.line]), Name(lines_[b.line]));
    return names != 0 ? names < 0 : a.line < b.line;
  };
  const auto sameName = [this](const Entry& a, const Entry& b) {
    return a.owner == b.owner && a.hash == b.hash && SameName(Name(lines_[a.line]), Name(lines_[b.line]));
  };
  std::sort(sections_.begin(), sections_.end(), byName);
  sections_.erase(std::unique(sections_.begin(), sections_.end(), sameName), sections_.end());
  // A later section of a name is never read, nor are its keys.
  std::vector<bool> first(lines_.size(), false);
  for (const Entry& s : sections_) first[s.line] = true;
  keys_.erase(std::remove_if(keys_.begin(), keys_.end(), [&first](const Entry& k) { return !first[k.owner]; }),
              keys_.end());
  std::sort(keys_.begin(), keys_.end(), byName);
  keys_.erase(std::unique(keys_.begin(), keys_.end(), sameName), keys_.end());
}

std::string_view ProfileText::EolText(Eol eol) {
  switch (eol) {
    case Eol::kLf:
      return "\n";
    case Eol::kCrLf:
      return "\r\n";
    case Eol::kNone:
      break;
  }
  return "";
}

ProfileText::Line ProfileText::Parse(std::size_t at, std::size_t size, Eol eol) const {
  Line line;
  line.at = at;
  line.size = size;
  line.eol = eol;
  const std::string_view text = std::string_view(chars_).substr(at, size);
  std::string_view t = Trim(text);
  std::string_view name = t.substr(0, 0);
  // A stray carriage return at the very end of the file is no content.
  if (eol == Eol::kNone && !t.empty() && t.back() == '\r') t = Trim(t.substr(0, t.size() - 1));
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
  line.nameAt = static_cast<std::size_t>(name.data() - text.data());
  line.nameSize = name.size();
  return line;
}

ProfileText::Line ProfileText::Append(std::string_view text, Eol eol) {
  const std::size_t at = chars_.size();
  chars_.append(text);
  return Parse(at, text.size(), eol);
}

std::pair<std::vector<ProfileText::Entry>::const_iterator, bool> ProfileText::Seek(const std::vector<Entry>& list,
                                                                                  std::size_t owner,
                                                                                  std::string_view name) const {
  const std::uint64_t hash = HashOf(name);
  // By owner and hash alone; the names of a run of one hash are then compared.
  auto at = std::lower_bound(list.begin(), list.end(), std::pair{owner, hash}, [](const Entry& e, const auto& k) {
    return e.owner != k.first ? e.owner < k.first : e.hash < k.second;
  });
  for (; at != list.end() && at->owner == owner && at->hash == hash; ++at)
    if (SameName(Name(lines_[at->line]), name)) return {at, true};
  return {at, false};
}

std::pair<std::vector<ProfileText::Entry>::iterator, bool> ProfileText::Seek(std::vector<Entry>& list,
                                                                            std::size_t owner,
                                                                            std::string_view name) {
  const auto [found, same] = std::as_const(*this).Seek(std::as_const(list), owner, name);
  return {list.begin() + (found - list.cbegin()), same};
}

std::size_t ProfileText::FindSection(std::string_view section) const {
  const auto [found, same] = Seek(sections_, 0, Trim(section));
  return same ? found->line : npos;
}

std::size_t ProfileText::FindKey(std::size_t header, std::string_view key) const {
  const auto [found, same] = Seek(keys_, header, Trim(key));
  return same ? found->line : npos;
}

std::size_t ProfileText::AfterLastKey(std::size_t header) const {
  std::size_t after = header;
  for (std::size_t i = header + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i)
    if (lines_[i].kind == Kind::kKey) after = i;
  return after + 1;
}

void ProfileText::Shift(std::size_t from, std::ptrdiff_t delta) {
  // Every line at or after `from` moves alike, so the order stays sorted.
  auto move = [from, delta](std::size_t& at) {
    if (at >= from) at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + delta);
  };
  for (Entry& s : sections_) move(s.line);
  for (Entry& k : keys_) {
    move(k.owner);
    move(k.line);
  }
}

std::optional<std::string> ProfileText::Read(std::string_view section,
                                             std::string_view key) const {
  const std::size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  const std::size_t at = FindKey(header, key);
  if (at == npos) return std::nullopt;
  const std::string_view text = Text(lines_[at]);
  std::size_t eq = text.find('=');
  if (eq == npos) return std::string();
  std::string_view value = Trim(text.substr(eq + 1));
  if (lines_[at].eol == Eol::kNone && !value.empty() && value.back() == '\r')
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
  if (at > 0 && lines_[at - 1].eol == Eol::kNone) lines_[at - 1].eol = eol_;
  const bool last = at == lines_.size();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
  // A line added at the end moves none: the document adds a whole file so.
  if (!last) Shift(at, 1);
  modified_ = true;
}

void ProfileText::Erase(std::size_t at) {
  unused_ += lines_[at].size;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
  Shift(at + 1, -1);
  modified_ = true;
}

void ProfileText::Compact() {
  if (unused_ < 4096 || unused_ < chars_.size() / 2) return;
  std::string kept;
  kept.reserve(chars_.size() - unused_);
  for (Line& line : lines_) {
    const std::size_t at = kept.size();
    kept.append(Text(line));
    line.at = at;
  }
  chars_ = std::move(kept);
  unused_ = 0;
}

bool ProfileText::Write(std::string_view section, std::string_view key,
                        std::string_view value) {
  if (!ValidEntry(section, key, value).empty()) return false;
  section = Trim(section);
  key = Trim(key);
  const std::size_t header = FindSection(section);
  if (header == npos) {
    std::string text = std::string("[").append(section).append("]");
    Insert(lines_.size(), Append(text, eol_));
    const std::size_t added = lines_.size() - 1;
    sections_.insert(Seek(sections_, 0, section).first, Entry{HashOf(section), 0, added});
    text.assign(key).append("=").append(value);
    Insert(lines_.size(), Append(text, eol_));
    keys_.insert(Seek(keys_, added, key).first, Entry{HashOf(key), added, lines_.size() - 1});
    return true;
  }
  std::size_t at = FindKey(header, key);
  if (at != npos) {
    // The name stays as spelled, so the index needs no change.
    const Line& line = lines_[at];
    std::string text = std::string(Name(line)).append("=").append(value);
    // A written line always ends, so that no reader can miss it.
    const Eol eol = line.eol == Eol::kNone ? eol_ : line.eol;
    if (text != Text(line) || eol != line.eol) {
      unused_ += line.size;
      lines_[at] = Append(text, eol);
      modified_ = true;
      Compact();
    }
    return true;
  }
  at = AfterLastKey(header);
  Insert(at, Append(std::string(key).append("=").append(value), eol_));
  keys_.insert(Seek(keys_, header, key).first, Entry{HashOf(key), header, at});
  return true;
}

bool ProfileText::Remove(std::string_view section, std::string_view key) {
  const std::size_t header = FindSection(section);
  if (header == npos) return false;
  key = Trim(key);
  const auto [entry, found] = Seek(keys_, header, key);
  if (!found) return false;
  const std::size_t at = entry->line;
  // A later line of the same key in the section becomes its first.
  std::size_t next = npos;
  for (std::size_t i = at + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i)
    if (lines_[i].kind == Kind::kKey && SameName(Name(lines_[i]), key)) {
      next = i;
      break;
    }
  if (next == npos)
    keys_.erase(entry);
  else
    entry->line = next;
  Erase(at);
  Compact();
  return true;
}

std::string ProfileText::Bytes() const {
  std::size_t size = 0;
  for (const Line& line : lines_) size += line.size + EolText(line.eol).size();
  std::string out;
  out.reserve(size);
  for (const Line& line : lines_) {
    out += Text(line);
    out += EolText(line.eol);
  }
  return out;
}

}  // namespace zefr
