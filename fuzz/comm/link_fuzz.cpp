// The link library against a device that answers with whatever the input
// says: any byte counts, any bytes, failures at any step. Half the inputs go
// through the compiler's delivery (its two fixed requests and its report of
// the verdict), half send a request packet made from the input itself.
// Nothing may be written beyond a caller's buffer, a failed call must leave
// an error code, and delivery must end with one verdict.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ZefrComm.h"
#include "console.h"
#include "delivery.h"
#include "link.h"
#include "loader.h"
#include "payload_image.h"
#include "win_error.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The input read front to back; zeros once it runs out.
class Script {
 public:
  Script(const std::uint8_t* data, std::size_t size) : p_(data), left_(size) {}
  std::uint8_t U8() {
    if (left_ == 0) return 0;
    --left_;
    return *p_++;
  }
  std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | (U8() << 8)); }
  // A reply may be tens of kilobytes: copied, not read byte by byte.
  void Fill(std::uint8_t* out, std::size_t n) {
    if (n == 0) return;
    const std::size_t from = std::min(n, left_);
    std::memcpy(out, p_, from);
    std::memset(out + from, 0, n - from);
    p_ += from;
    left_ -= from;
  }

 private:
  const std::uint8_t* p_;
  std::size_t left_;
};

class ScriptedDevice : public zefr::comm::Device {
 public:
  explicit ScriptedDevice(Script& s) : s_(s) {}
  int calls = 0;

  bool Discover(std::string& path) override {
    path = "/dev/zefr-fuzz";
    return true;
  }
  std::uint32_t Open(const std::string&) override {
    ++calls;
    open_ = (s_.U8() & 7) != 7;
    return open_ ? 0u : std::uint32_t{zefr::win::kFileNotFound};
  }
  bool IsOpen() const override { return open_; }
  void Close() override { open_ = false; }
  zefr::comm::IoResult Control(std::uint32_t, const void*, std::uint32_t, void* out, std::uint32_t outLength,
                               std::uint32_t) override {
    ++calls;
    // Mostly a whole reply, sometimes any count; the driver fills at most the buffer.
    const std::uint8_t how = s_.U8();
    const std::uint32_t claimed = (how & 3) != 3 ? outLength : how >> 2;
    s_.Fill(static_cast<std::uint8_t*>(out), std::min(claimed, outLength));
    return {claimed, claimed == 0 ? Error(how) : 0};
  }
  zefr::comm::IoResult Write(const void*, std::uint32_t length, std::uint32_t) override {
    ++calls;
    const std::uint8_t how = s_.U8();
    if ((how & 15) == 15) return {0, Error(how)};
    if ((how & 15) == 14) return {s_.U16(), 0};
    return {length, 0};
  }
  std::uint32_t ArmReceive(void* buffer, std::uint32_t capacity) override {
    ++calls;
    buffer_ = static_cast<std::uint8_t*>(buffer);
    capacity_ = capacity;
    const std::uint8_t how = s_.U8();
    return (how & 31) == 31 ? Error(how) : 0;
  }
  zefr::comm::IoResult CompleteReceive(std::uint32_t) override {
    ++calls;
    const std::uint32_t claimed = s_.U16();
    s_.Fill(buffer_, std::min(claimed, capacity_));
    return {claimed, claimed == 0 ? std::uint32_t{zefr::win::kTimeout} : 0u};
  }
  void CancelReceive() override {}
  void Pause(std::uint32_t) override {}

 private:
  // Any error, including none at all.
  std::uint32_t Error(std::uint8_t how) { return how & 0x80 ? s_.U16() : 0; }

  Script& s_;
  bool open_ = false;
  std::uint8_t* buffer_ = nullptr;
  std::uint32_t capacity_ = 0;
};

zefr::comm::Link* g_link = nullptr;
Script* g_script = nullptr;

ZefrBool ScriptedCommand(const std::uint8_t* request, std::uint32_t requestLength, std::uint8_t* response,
                         std::uint32_t responseLength) {
  return g_link->Command(request, requestLength, response, responseLength);
}

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

}  // namespace

// The loader seam of the compiler, served by the scripted link.
namespace zefr::loader {
struct Library {};
const char kLinkLibraryFile[] = "ZefrComm.so";
Library* Load(const char*) {
  static Library library;
  if ((g_script->U8() & 15) == 15) {
    win::SetLastError(win::kModNotFound);
    return nullptr;
  }
  return &library;
}
void* EntryByOrdinal(Library*, unsigned ordinal) {
  return ordinal == 1 ? reinterpret_cast<void*>(&ScriptedCommand) : nullptr;
}
void Free(Library*) {}
void AdoptLastError(Library*) {}
}  // namespace zefr::loader

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  Script script(data + 1, size - 1);
  ScriptedDevice device(script);
  zefr::comm::Link link(device);
  Check(link.Attach());
  g_link = &link;
  g_script = &script;

  if (data[0] & 1) {
    zefr::PayloadImage image;
    zefr::CaptureConsole out;
    const bool accepted = zefr::DeliverPayload(image, out);
    const std::string& text = out.Text();
    Check(text.rfind("Opening ZEFR Subsystem Connection...\n", 0) == 0);
    Check(accepted == (text.find("Payload Accepted.\n") != std::string::npos));
    Check(accepted == (text.find("***") == std::string::npos));
    Check(EndsWith(text, "\n\n"));
    return 0;
  }

  // A request packet from the input: header, data, and the caller's buffer size.
  std::vector<std::uint8_t> request(std::min<std::size_t>(script.U16() % 4096, size));
  script.Fill(request.data(), request.size());
  const std::uint32_t asked = request.size() >= 5 ? request[3] | (request[4] << 8) : 0;
  const std::uint32_t responseLength = (script.U8() & 1) ? script.U16() : asked;
  // Exactly as long as asked, so a write past it is caught.
  std::vector<std::uint8_t> response(responseLength);
  const bool valid = zefr::comm::CheckRequest(request.data(), static_cast<std::uint32_t>(request.size()),
                                              response.data(), responseLength) == 0;
  for (int call = 0; call < 2; ++call) {
    zefr::win::SetLastError(0);
    device.calls = 0;
    const int ok = link.Command(request.data(), static_cast<std::uint32_t>(request.size()),
                                response.empty() ? nullptr : response.data(), responseLength);
    if (!ok) Check(zefr::win::LastError() != 0);
    if (!valid) Check(!ok && device.calls == 0);
  }
  return 0;
}
