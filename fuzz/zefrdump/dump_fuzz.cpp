// Any bytes as a payload file: zefrdump either refuses them with a reason or
// prints them; a payload it reads without any finding must compile back from
// its INI text to the very same bytes, and its graph must be whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "decoded_payload.h"
#include "dot_printer.h"
#include "ini_printer.h"
#include "ini_reader.h"
#include "parse_driver.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  zefrdump::DecodedPayload decoded;
  std::vector<zefrdump::Finding> findings;
  std::string err;
  if (!zefrdump::DecodePayload(bytes, &decoded, &findings, &err)) {
    Check(!err.empty());
    return 0;
  }
  Check(size == zefr::payload::kImageSize);
  for (const auto& f : zefrdump::CheckPayload(decoded)) findings.push_back(f);
  for (const auto& f : findings) Check(!zefrdump::FormatFinding(f).empty());

  const std::string graph = zefrdump::PrintGraph(decoded);
  Check(graph.rfind("digraph", 0) == 0 && graph.size() >= 2 && graph.compare(graph.size() - 2, 2, "}\n") == 0);
  const std::string ini = zefrdump::PrintIni(decoded, "fuzz.bin");
  if (!findings.empty()) return 0;

  zefr::ProfileReader reader(zefr::MemoryLoader({{"fuzz.ini", ini}}));
  zefr::CaptureConsole out;
  zefr::PayloadImage image;
  Check(zefr::ParseConfiguration("fuzz.ini", reader, out, image));
  Check(std::vector<std::uint8_t>(image.bytes.begin(), image.bytes.end()) ==
        std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  return 0;
}
