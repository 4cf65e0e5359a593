#include "zefrdump.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "decoded_payload.h"
#include "dot_printer.h"
#include "ini_printer.h"
#include "payload_layout.h"

namespace zefrdump {
namespace {

constexpr size_t kPayloadSize = zefr::payload::kImageSize;
constexpr size_t kUnknownLength = SIZE_MAX;

// Reads one byte more than a payload holds, so that a longer file shows
// without being read to its end (which a device such as /dev/zero lacks).
// `size` is the file's length, kUnknownLength when a longer one has none.
bool ReadPayloadFile(const std::string& path, std::vector<uint8_t>* bytes, size_t* size,
                     std::string* err) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *err = "Unable to open payload file \"" + path + "\", cond = \"" + std::strerror(errno) + "\"";
    return false;
  }
  bytes->assign(kPayloadSize + 1, 0);
  size_t kept = std::fread(bytes->data(), 1, bytes->size(), f);
  bool failed = std::ferror(f) != 0;
  int readErrno = errno;
  struct stat st {};
  bool regular = ::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode);
  std::fclose(f);
  if (failed) {
    *err = "Unable to read payload file \"" + path + "\", cond = \"" + std::strerror(readErrno) +
           "\"";
    return false;
  }
  bytes->resize(kept);
  *size = kept <= kPayloadSize ? kept : regular ? size_t(st.st_size) : kUnknownLength;
  return true;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::string* out, std::string* err) {
  bool graph = false;
  std::string path;
  // As GNU tools do, --help or --version anywhere wins over the rest.
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h" || a == "-?") {
      *out += std::string(kUsage) + "\n" + kHelp;
      return 0;
    }
  }
  for (const std::string& a : args) {
    if (a == "--version") {
      *out += "zefrdump (Zefr) " ZEFR_VERSION "\n";
      return 0;
    }
  }
  if (args.size() == 1 && args[0] != "--graph") {
    path = args[0];
  } else if (args.size() == 2 && args[0] == "--graph") {
    graph = true;
    path = args[1];
  } else {
    *err += "zefrdump: Invalid Command Syntax\n" + std::string(kUsage) + "\n";
    return 1;
  }

  std::vector<uint8_t> bytes;
  size_t size = 0;
  std::string why;
  if (!ReadPayloadFile(path, &bytes, &size, &why)) {
    *err += "zefrdump: " + why + "\n";
    return 1;
  }
  DecodedPayload payload;
  std::vector<Finding> findings;
  if (size != kPayloadSize)
    why = "Payload holds " + (size == kUnknownLength ? "more than 1984" : std::to_string(size)) +
          " bytes, expected 1984";
  if (size != kPayloadSize || !DecodePayload(bytes, &payload, &findings, &why)) {
    *err += "zefrdump: Payload file \"" + path + "\": " + why + "\n";
    return 1;
  }

  for (const Finding& f : CheckPayload(payload)) findings.push_back(f);
  for (const Finding& f : findings) *err += FormatFinding(f) + "\n";
  *out += graph ? PrintGraph(payload) : PrintIni(payload, path);
  return 0;
}

}  // namespace zefrdump
