#include "ProfileText.h"

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

}  // namespace

ProfileText::ProfileText(std::string_view bytes) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    std::string_view body =
        lf == npos ? bytes.substr(start) : bytes.substr(start, lf - start);
    std::string eol = lf == npos ? "" : "\n";
    if (!eol.empty() && !body.empty() && body.back() == '\r') {
      body.remove_suffix(1);
      eol = "\r\n";
    }
    lines_.push_back(Parse(std::string(body), std::move(eol)));
    if (lf == npos) break;
    start = lf + 1;
  }
  // Lines we add take the ending the file already uses.
  for (const Line& line : lines_)
    if (!line.eol.empty()) {
      eol_ = line.eol;
      break;
    }
}

ProfileText::Line ProfileText::Parse(std::string text, std::string eol) {
  Line line;
  std::string_view t = Trim(text);
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
    line.name = std::string(Trim(inside));
  } else {
    line.kind = Kind::kKey;
    line.name = std::string(Trim(t.substr(0, t.find('='))));
  }
  line.text = std::move(text);
  line.eol = std::move(eol);
  return line;
}

std::size_t ProfileText::FindSection(std::string_view section) const {
  section = Trim(section);
  if (lastKnown_ && SameName(lastSection_, section)) return lastHeader_;
  std::size_t at = npos;
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::kSection && SameName(lines_[i].name, section)) {
      at = i;
      break;
    }
  lastSection_.assign(section);
  lastHeader_ = at;
  lastKnown_ = true;
  return at;
}

std::size_t ProfileText::FindKey(std::size_t header, std::string_view key) const {
  key = Trim(key);
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kSection) break;
    if (line.kind == Kind::kKey && SameName(line.name, key)) return i;
  }
  return npos;
}

std::optional<std::string> ProfileText::Read(std::string_view section,
                                             std::string_view key) const {
  std::size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  std::size_t at = FindKey(header, key);
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
  // A new header, or a line above the remembered one, makes it stale.
  if (line.kind == Kind::kSection || (lastHeader_ != npos && at <= lastHeader_)) lastKnown_ = false;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  modified_ = true;
}

bool ProfileText::Write(std::string_view section, std::string_view key,
                        std::string_view value) {
  if (!ValidEntry(section, key, value).empty()) return false;
  section = Trim(section);
  key = Trim(key);
  std::size_t header = FindSection(section);
  if (header == npos) {
    Insert(lines_.size(), Parse("[" + std::string(section) + "]", eol_));
    Insert(lines_.size(), Parse(std::string(key) + "=" + std::string(value), eol_));
    return true;
  }
  std::size_t at = FindKey(header, key);
  if (at != npos) {
    Line& line = lines_[at];
    std::string text = line.name + "=" + std::string(value);
    // A written line always ends, so that no reader can miss it.
    std::string eol = line.eol.empty() ? eol_ : line.eol;
    if (text != line.text || eol != line.eol) {
      line = Parse(std::move(text), std::move(eol));
      modified_ = true;
    }
    return true;
  }
  std::size_t after = header;
  for (std::size_t i = header + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i)
    if (lines_[i].kind == Kind::kKey) after = i;
  Insert(after + 1, Parse(std::string(key) + "=" + std::string(value), eol_));
  return true;
}

bool ProfileText::Remove(std::string_view section, std::string_view key) {
  std::size_t header = FindSection(section);
  if (header == npos) return false;
  std::size_t at = FindKey(header, key);
  if (at == npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
  if (lastHeader_ != npos && at < lastHeader_) lastKnown_ = false;
  modified_ = true;
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
