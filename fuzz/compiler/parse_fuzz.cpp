// Any bytes as a configuration file: the parse must end cleanly, a failure with
// its reason, and a payload it builds must read back with zefrdump and
// compile again to the same bytes. The reader is also asked for a section
// and key taken from the input, as the parse never would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decoded_payload.h"
#include "ini_printer.h"
#include "ini_reader.h"
#include "parse_driver.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// A reader of "fuzz.ini" holding text, without copies of a file table.
zefr::ProfileReader ReaderOf(std::string_view text) {
  return zefr::ProfileReader([text](const std::string& name, std::string& content) {
    if (name != "fuzz.ini") return false;
    content.assign(text);
    return true;
  });
}

bool Compile(zefr::ProfileReader& reader, zefr::PayloadImage& image, std::string* console) {
  zefr::CaptureConsole out;
  const bool ok = zefr::ParseConfiguration("fuzz.ini", reader, out, image);
  *console = out.Text();
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The lookup and the compile share the reader, which parses the file once;
  // a lookup changes nothing the compile reads.
  zefr::ProfileReader reader = ReaderOf(text);

  // A lookup named by the input's first line: "section|key".
  {
    const std::string_view first = text.substr(0, text.find('\n'));
    const std::size_t bar = first.find('|');
    std::string value;
    if (reader.GetProfileValue("fuzz.ini", first.substr(0, bar),
                               bar == std::string_view::npos ? "" : first.substr(bar + 1), value))
      Check(value.size() < zefr::kValueCapacity);
  }

  zefr::PayloadImage image;
  std::string console;
  const bool ok = Compile(reader, image, &console);
  // A failed parse always says why.
  Check(ok || console.find("  ERROR: ") != std::string::npos);
  if (!ok) return 0;

  std::span<const std::uint8_t> bytes(image.bytes.data(), image.bytes.size());
  zefrdump::DecodedPayload decoded;
  std::vector<zefrdump::Finding> findings;
  std::string err;
  // Whatever the compiler builds, zefrdump must be able to read.
  Check(zefrdump::DecodePayload(bytes, &decoded, &findings, &err));
  for (const auto& f : zefrdump::CheckPayload(decoded)) findings.push_back(f);
  if (!findings.empty()) return 0;  // e.g. a weighting for a disabled response
  zefr::PayloadImage again;
  const std::string printed = zefrdump::PrintIni(decoded, "fuzz.bin");
  zefr::ProfileReader printedReader = ReaderOf(printed);
  Check(Compile(printedReader, again, &console));
  Check(again.bytes == image.bytes);
  return 0;
}
