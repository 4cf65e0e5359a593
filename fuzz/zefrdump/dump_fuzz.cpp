// Any bytes as a payload file: zefrdump either refuses them with a reason or
// prints them; a payload it reads without any finding must compile back from
// its INI text to the very same bytes, and its graph must be whole. An input
// of another size is also laid over a sound payload, so that every input
// gives a 1984-byte one that gets past the header checks.
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

// A payload the compiler built: one voltage monitor, everything else disabled.
const std::vector<std::uint8_t>& SoundPayload() {
  static const std::vector<std::uint8_t> bytes = [] {
    zefr::ProfileReader reader(zefr::MemoryLoader({{"one.ini",
        "[VoltageMonitor1]\nEnabled=TRUE\nUsage=1\nDeviceAddress=0x2C\nGetReadingCommand=0x01\n"
        "VoltageNominal=12.000\nUnderVoltageNonCritical=11.500\nUnderVoltageCritical=11.000\n"
        "UnderVoltageNonRecoverable=10.500\nOverVoltageNonCritical=12.500\nOverVoltageCritical=13.000\n"
        "OverVoltageNonRecoverable=13.500\n"}}));
    zefr::CaptureConsole out;
    zefr::PayloadImage image;
    Check(zefr::ParseConfiguration("one.ini", reader, out, image));
    return std::vector<std::uint8_t>(image.bytes.begin(), image.bytes.end());
  }();
  return bytes;
}

void Dump(std::span<const std::uint8_t> bytes);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Dump({data, size});
  if (size == zefr::payload::kImageSize || size < 2) return 0;
  // The first two bytes say where the rest goes; the header stays sound.
  std::vector<std::uint8_t> image = SoundPayload();
  std::size_t at = 8 + (data[0] | (data[1] << 8)) % (image.size() - 8);
  for (std::size_t i = 2; i < size && at < image.size(); ++i) image[at++] = data[i];
  Dump(image);
  return 0;
}

namespace {

void Dump(std::span<const std::uint8_t> bytes) {
  const std::size_t size = bytes.size();
  zefrdump::DecodedPayload decoded;
  std::vector<zefrdump::Finding> findings;
  std::string err;
  if (!zefrdump::DecodePayload(bytes, &decoded, &findings, &err)) {
    Check(!err.empty());
    return;
  }
  Check(size == zefr::payload::kImageSize);
  for (const auto& f : zefrdump::CheckPayload(decoded)) findings.push_back(f);
  for (const auto& f : findings) Check(!zefrdump::FormatFinding(f).empty());

  const std::string graph = zefrdump::PrintGraph(decoded);
  Check(graph.rfind("digraph", 0) == 0 && graph.size() >= 2 && graph.compare(graph.size() - 2, 2, "}\n") == 0);
  const std::string ini = zefrdump::PrintIni(decoded, "fuzz.bin");
  if (!findings.empty()) return;

  zefr::ProfileReader reader(zefr::MemoryLoader({{"fuzz.ini", ini}}));
  zefr::CaptureConsole out;
  zefr::PayloadImage image;
  Check(zefr::ParseConfiguration("fuzz.ini", reader, out, image));
  Check(std::vector<std::uint8_t>(image.bytes.begin(), image.bytes.end()) ==
        std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

}  // namespace
