#include "library.h"

#include <memory>

#include "ZefrComm.h"
#include "device.h"
#include "link.h"
#include "win_error.h"

namespace zefr::comm {

namespace {

// Plain pointers: constant-initialised, so the load entry may run before
// any other static constructor of the library.
Device* g_device = nullptr;
Link* g_link = nullptr;
std::uint32_t g_attachResult = win::kDllInitFailed;

}  // namespace

std::uint32_t ProcessAttach() {
  if (g_link != nullptr) return g_attachResult;
  g_attachResult = win::kDllInitFailed;
  try {
    std::unique_ptr<Device> device = MakeSystemDevice();
    auto link = std::make_unique<Link>(*device);
    if (!link->Attach()) return g_attachResult;
    g_device = device.release();
    g_link = link.release();
  } catch (...) {
    // Nothing may leave a load entry; a failed load is the honest answer.
    return g_attachResult;
  }
  g_attachResult = 0;
  return 0;
}

void ProcessDetach() {
  delete g_link;
  g_link = nullptr;
  delete g_device;
  g_device = nullptr;
  g_attachResult = win::kDllInitFailed;
}

std::uint32_t AttachResult() { return g_attachResult; }

}  // namespace zefr::comm

extern "C" ZEFRCOMM_API ZefrBool ZEFRCOMM_CALL ZefrCommand(const uint8_t* request, uint32_t requestLength,
                                                           uint8_t* response, uint32_t responseLength) {
  using namespace zefr;
  if (comm::g_link == nullptr) {
    // Loaded without its load result being honoured; still check the header first.
    std::uint32_t bad = comm::CheckRequest(request, requestLength, response, responseLength);
    win::SetLastError(bad != 0 ? bad : win::kDllInitFailed);
    return 0;
  }
  return comm::g_link->Command(request, requestLength, response, responseLength);
}
