#include "zefrdump.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "decoded_payload.h"
#include "dot_printer.h"
#include "ini_printer.h"

namespace zefrdump {
namespace {

constexpr size_t kPayloadSize = 1984;

// Keeps one byte more than a payload holds but counts all of them, so an
// oversized file (or a pipe) is measured without being held in memory.
bool ReadPayloadFile(const std::string& path, std::vector<uint8_t>* bytes, size_t* size,
                     std::string* err) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *err = "Unable to open payload file \"" + path + "\", cond = \"" + std::strerror(errno) + "\"";
    return false;
  }
  bytes->assign(kPayloadSize + 1, 0);
  size_t kept = std::fread(bytes->data(), 1, bytes->size(), f);
  *size = kept;
  uint8_t scratch[4096];
  for (size_t n; (n = std::fread(scratch, 1, sizeof scratch, f)) > 0;) *size += n;
  bool failed = std::ferror(f) != 0;
  int readErrno = errno;
  std::fclose(f);
  if (failed) {
    *err = "Unable to read payload file \"" + path + "\", cond = \"" + std::strerror(readErrno) +
           "\"";
    return false;
  }
  bytes->resize(kept);
  return true;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::string* out, std::string* err) {
  bool graph = false;
  std::string path;
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "-?")) {
    *out += std::string(kUsage) + "\n";
    return 0;
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
  if (size != kPayloadSize) why = "Payload holds " + std::to_string(size) + " bytes, expected 1984";
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
