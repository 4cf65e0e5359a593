// Any file must survive a parse untouched, and a written key must read back
// from the written bytes, whatever surrounds it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "profile_text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// What the service reads back for a written value.
std::string ReadBack(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == '"' || value.front() == '\''))
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zefr::ProfileText text(bytes);
  Check(text.Bytes() == bytes);

  // Names and value come from the input's first line, so the fuzzer can
  // steer them into the sections and keys the file holds.
  std::string_view first = bytes.substr(0, bytes.find_first_of("\r\n"));
  std::string_view section = first.substr(0, first.size() / 3);
  std::string_view key = first.substr(first.size() / 3, first.size() / 3);
  std::string_view value = first.substr(2 * (first.size() / 3));
  for (const auto& [s, k] : {std::pair{section, key}, std::pair{std::string_view("S"), key},
                             std::pair{std::string_view("S"), std::string_view("K")}}) {
    if (!zefr::ProfileText::ValidEntry(s, k, value).empty()) continue;
    zefr::ProfileText edited = text;  // the parse of the input, without parsing it again
    Check(edited.Write(s, k, value));
    const std::string written = edited.Bytes();
    const zefr::ProfileText reread(written);
    Check(reread.Bytes() == written);
    Check(reread.Read(s, k) == ReadBack(value));
    edited.Remove(s, k);
    const std::string removed = edited.Bytes();
    Check(zefr::ProfileText(removed).Bytes() == removed);
  }
  return 0;
}
