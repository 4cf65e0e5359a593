#include "ini_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform.h"

namespace zefr {

bool IsIniSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimIni(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsIniSpace(s[b])) ++b;
  while (e > b && IsIniSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

static char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  return true;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerChar(c);
  return out;
}

std::string TextModeContent(std::string raw) {
  if (raw.find('\r') == std::string::npos) return raw;
  size_t out = 0;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    raw[out++] = raw[i];
  }
  raw.resize(out);
  return raw;
}

std::vector<std::string_view> SplitProfileLines(std::string_view content) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  const size_t size = content.size();
  while (pos < size) {
    size_t window = std::min(kLinePieceMax, size - pos);
    const void* lf = std::memchr(content.data() + pos, '\n', window);
    size_t len;
    if (lf) {
      len = static_cast<size_t>(static_cast<const char*>(lf) - (content.data() + pos)) + 1;
    } else if (window == kLinePieceMax) {
      len = kLinePieceMax;
    } else {
      break;  // end of file before a line feed: that line is not seen
    }
    std::string_view line = content.substr(pos, len);
    const void* nul = std::memchr(line.data(), '\0', line.size());
    if (nul) line = line.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - line.data()));
    lines.push_back(line);
    pos += len;
  }
  return lines;
}

KeyPart SplitKeyPart(std::string_view line) {
  KeyPart part;
  bool quoted = false;
  // The key is taken a run at a time: the characters between quotes.
  size_t run = 0;
  auto keep = [&](size_t end) {
    part.key.append(line.substr(run, std::min(end - run, kKeyPartMax - part.key.size())));
  };
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      keep(i);
      run = i + 1;
      quoted = !quoted;
      continue;
    }
    if (quoted || (c != '=' && c != ';')) continue;
    keep(i);
    if (c == '=') {
      part.value = line.substr(i + 1);
      part.hasValue = !part.value.empty();
    }
    return part;
  }
  keep(line.size());
  return part;
}

std::string_view ValueExtent(std::string_view raw) {
  bool quoted = false;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '"') {
      quoted = !quoted;
    } else if (raw[i] == ';' && !quoted) {
      raw = raw.substr(0, i);
      break;
    }
  }
  std::string_view v = TrimIni(raw);
  return v.empty() ? raw.substr(0, 0) : v;
}

namespace {

// One enclosing pair of quotes removed when the value holds exactly two.
std::string_view Unquoted(std::string_view v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
    size_t quotes = 0;
    for (char c : v) quotes += (c == '"');
    if (quotes == 2) v = v.substr(1, v.size() - 2);
  }
  return v;
}

}  // namespace

std::string CleanValue(std::string_view raw) { return std::string(Unquoted(ValueExtent(raw))); }

ProfileFile::ProfileFile(std::string content) {
  // Names and values are parts of the content, so they never need more room.
  text_.reserve(content.size());
  // Physical line of the piece being read, and where that line starts.
  std::uint32_t lineNumber = 1;
  size_t lineStart = 0, scanned = 0;
  auto columnOf = [&](const char* p) {
    return static_cast<std::uint32_t>(static_cast<size_t>(p - content.data()) - lineStart + 1);
  };
  auto appendLower = [&](std::string_view s) {
    for (const char c : s) text_.push_back(LowerChar(c));
  };
  for (std::string_view raw : SplitProfileLines(content)) {
    for (const size_t start = static_cast<size_t>(raw.data() - content.data()); scanned < start;) {
      const void* lf = std::memchr(content.data() + scanned, '\n', start - scanned);
      if (lf == nullptr) {
        scanned = start;
        break;
      }
      scanned = static_cast<size_t>(static_cast<const char*>(lf) - content.data()) + 1;
      ++lineNumber;
      lineStart = scanned;
    }
    // As a key line: trim the line first, then split.
    const std::string_view trimmed = TrimIni(raw);
    KeyPart part = SplitKeyPart(trimmed);
    if (!part.key.empty()) {
      Line line{};
      line.kind = part.key[0] == '[' ? LineKind::kSectionEnd : LineKind::kKey;
      if (line.kind == LineKind::kKey) {
        line.key = static_cast<std::uint32_t>(text_.size());
        appendLower(TrimIni(part.key));
        line.keySize = static_cast<std::uint32_t>(text_.size() - line.key);
        line.hasValue = part.hasValue;
        line.spot.line = lineNumber;
        line.spot.column = line.spot.endColumn = columnOf(trimmed.data() + trimmed.size());
        if (part.hasValue) {
          const std::string_view extent = ValueExtent(part.value);
          line.value = static_cast<std::uint32_t>(text_.size());
          text_ += Unquoted(extent);
          line.valueSize = static_cast<std::uint32_t>(text_.size() - line.value);
          line.spot.column = columnOf(extent.data());
          line.spot.endColumn = columnOf(extent.data() + extent.size());
        }
      }
      lines_.push_back(line);
    }
    // As a section header: split the line as read, then trim the key part.
    // Only a line holding a "[" can be one.
    if (std::memchr(raw.data(), '[', raw.size()) == nullptr) continue;
    KeyPart asRead = SplitKeyPart(raw);
    std::string_view head = TrimIni(asRead.key);
    if (!head.empty() && head[0] == '[') {
      std::string_view name = head.substr(1);
      size_t close = name.find(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      firstHeader_.emplace(LowerAscii(TrimIni(name)), Header{lines_.size(), lineNumber});
    }
  }
}

bool ProfileFile::Lookup(std::string_view section, std::string_view key, std::string& value,
                         size_t capacity, TextSpot* where) const {
  value.clear();
  if (where) *where = TextSpot{};
  // Names are short: folded on the stack, not in a new string per lookup.
  section = TrimIni(section);
  char folded[64];
  std::string longName;
  std::string_view name;
  if (section.size() <= sizeof folded) {
    for (size_t i = 0; i < section.size(); ++i) folded[i] = LowerChar(section[i]);
    name = std::string_view(folded, section.size());
  } else {
    longName = LowerAscii(section);
    name = longName;
  }
  auto header = firstHeader_.find(name);
  if (header == firstHeader_.end()) return false;
  if (where) where->line = header->second.line;
  // Keys are held in lower case.
  const std::string_view wanted = TrimIni(key);
  for (size_t i = header->second.first; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::kSectionEnd) return false;
    if (!EqualsNoCase(Text(line.key, line.keySize), wanted)) continue;
    if (where) *where = line.spot;
    if (!line.hasValue) return true;
    if (line.valueSize >= capacity) return false;  // too long reads as absent
    value = Text(line.value, line.valueSize);
    return true;
  }
  return false;
}

bool LoadFileFromDisk(const std::string& name, std::string& content) {
  int ignored = 0;
  return ReadIniFile(name, content, ignored);
}

FileLoader MemoryLoader(std::map<std::string, std::string> files) {
  return [files = std::move(files)](const std::string& name, std::string& content) {
    auto it = files.find(name);
    if (it == files.end()) return false;
    content = it->second;
    return true;
  };
}

ProfileReader::ProfileReader() : loader_(LoadFileFromDisk) {}
ProfileReader::ProfileReader(FileLoader loader) : loader_(std::move(loader)) {}

const ProfileFile* ProfileReader::Open(const std::string& iniPath) {
  std::vector<std::string> names = ProfileFileNames(iniPath);
  if (cached_) {
    for (const std::string& name : names)
      if (SameProfileFileName(cachedName_, name)) return file_.get();
  }
  cached_ = false;
  file_.reset();
  for (const std::string& name : names) {
    std::string content;
    if (!loader_(name, content)) continue;
    // A file that opens but cannot be loaded fails; the second name is only
    // for a file that does not open.
    cached_ = true;
    cachedName_ = name;
    content = TextModeContent(std::move(content));
    if (content.size() <= kProfileMaxBytes) file_ = std::make_unique<ProfileFile>(std::move(content));
    return file_.get();
  }
  return nullptr;
}

bool ProfileReader::GetProfileValue(const std::string& iniPath, std::string_view section,
                                    std::string_view key, std::string& value, size_t capacity) {
  value.clear();
  const ProfileFile* file = Open(iniPath);
  return file && file->Lookup(section, key, value, capacity);
}

}  // namespace zefr
