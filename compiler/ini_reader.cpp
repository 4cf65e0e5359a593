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
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && c == '=') {
      part.value = line.substr(i + 1);
      part.hasValue = !part.value.empty();
      return part;
    }
    if (!quoted && c == ';') return part;
    if (part.key.size() < kKeyPartMax) part.key.push_back(c);
  }
  return part;
}

namespace {

// CleanValue without the copy: what it returns is always a piece of raw.
std::string_view CleanValueView(std::string_view raw) {
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
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
    size_t quotes = 0;
    for (char c : v) quotes += (c == '"');
    if (quotes == 2) v = v.substr(1, v.size() - 2);
  }
  return v;
}

void AppendLower(std::string& out, std::string_view s) {
  const std::size_t at = out.size();
  out += s;
  for (std::size_t i = at; i < out.size(); ++i) out[i] = LowerChar(out[i]);
}

}  // namespace

std::string CleanValue(std::string_view raw) { return std::string(CleanValueView(raw)); }

std::size_t ProfileFile::NameHash::operator()(std::string_view name) const {
  std::uint64_t h = 14695981039346656037u;  // FNV-1a
  for (const char c : name) h = (h ^ static_cast<unsigned char>(LowerChar(c))) * 1099511628211u;
  return static_cast<std::size_t>(h);
}

bool ProfileFile::SameName::operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }

ProfileFile::ProfileFile(std::string content) {
  // Every file is parsed whole, so this is the reader's hot loop: the common
  // line, without quotes before its "=", is split and stored without copies.
  const std::vector<std::string_view> raws = SplitProfileLines(content);
  lines_.reserve(raws.size());
  text_.reserve(content.size());
  std::string quotedKey;
  for (std::string_view raw : raws) {
    // As a key line: trim the line first, then split (as SplitKeyPart does).
    const std::string_view trimmed = TrimIni(raw);
    std::size_t stop = 0;
    while (stop < trimmed.size() && trimmed[stop] != '"' && trimmed[stop] != '=' && trimmed[stop] != ';') ++stop;
    std::string_view key, value;
    bool hasValue = false;
    if (stop < trimmed.size() && trimmed[stop] == '"') {
      KeyPart part = SplitKeyPart(trimmed);
      quotedKey = std::move(part.key);
      key = quotedKey;
      hasValue = part.hasValue;
      value = part.value;
    } else {
      key = trimmed.substr(0, std::min(stop, kKeyPartMax));
      if (stop < trimmed.size() && trimmed[stop] == '=') {
        value = trimmed.substr(stop + 1);
        hasValue = !value.empty();
      }
    }
    if (key.empty()) continue;  // nor can the line as read be a header then
    Line line{};
    line.kind = key[0] == '[' ? LineKind::kSectionEnd : LineKind::kKey;
    if (line.kind == LineKind::kKey) {
      const std::string_view name = TrimIni(key);
      line.key = static_cast<std::uint32_t>(text_.size());
      line.keySize = static_cast<std::uint32_t>(name.size());
      AppendLower(text_, name);
      line.hasValue = hasValue;
      if (hasValue) {
        const std::string_view cleaned = CleanValueView(value);
        line.value = static_cast<std::uint32_t>(text_.size());
        line.valueSize = static_cast<std::uint32_t>(cleaned.size());
        text_ += cleaned;
      }
    }
    lines_.push_back(line);
    // As a section header: split the line as read, then trim the key part.
    // Its leading blanks only push the key further, so only a key part that
    // starts with "[" once trimmed can make a header.
    const std::string_view trimmedKey = TrimIni(key);
    if (trimmedKey.empty() || trimmedKey[0] != '[') continue;
    KeyPart asRead = SplitKeyPart(raw);
    std::string_view head = TrimIni(asRead.key);
    if (!head.empty() && head[0] == '[') {
      std::string_view name = head.substr(1);
      size_t close = name.find(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      firstHeader_.emplace(TrimIni(name), lines_.size());
    }
  }
}

bool ProfileFile::Lookup(std::string_view section, std::string_view key, std::string& value,
                         size_t capacity) const {
  value.clear();
  auto header = firstHeader_.find(TrimIni(section));
  if (header == firstHeader_.end()) return false;
  const std::string_view wanted = TrimIni(key);
  for (size_t i = header->second; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::kSectionEnd) return false;
    if (!EqualsNoCase(Text(line.key, line.keySize), wanted)) continue;
    if (!line.hasValue) return true;
    if (line.valueSize >= capacity) return false;  // too long reads as absent
    value = Text(line.value, line.valueSize);
    return true;
  }
  return false;
}

bool LoadFileFromDisk(const std::string& name, std::string& content) {
  content.clear();
  std::FILE* f = std::fopen(name.c_str(), "r");
  if (!f) return false;
  char buf[32768];
  bool ok = true;
  while (content.size() <= 2 * kProfileMaxBytes + 1) {
    size_t n = std::fread(buf, 1, sizeof buf, f);
    content.append(buf, n);
    if (n < sizeof buf) {
      ok = !std::ferror(f);
      break;
    }
  }
  std::fclose(f);
  return ok;
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
  // The same name as the last lookup's: a parse asks a thousand times.
  if (cached_ && iniPath == cachedName_) return file_.get();
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
