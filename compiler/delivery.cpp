// Sends the payload through the link library and reports the firmware's verdict.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ZefrComm.h"
#include "delivery.h"
#include "delivery_messages.h"
#include "field_table.h"
#include "firmware_codes.h"
#include "loader.h"
#include "win_error.h"

namespace zefr {

namespace delivery {

namespace {

constexpr std::uint32_t kPayloadCommandSize = ZEFR_REQUEST_HEADER_SIZE + payload::kImageSize;
constexpr std::uint16_t kFailureReplySize = 6;

const char* const kCompletionTexts[] = {
    nullptr,
    "Command Not Supported",
    "Configuration Update Disabled",
    "Invalid Configuration Parameter",
    "Incompatible Configuration Format",
    "Communications Error",
    "Sensor Error",
    "Not Enough Memory to Process Request",
    "Not Enough Resources to Process Request",
    "Invalid Context",
    "Invalid Command Packet Size",
    "Invalid Response Packet Size",
};

// The firmware names a kind by its code (0 the payload header, 7 none) and a
// parameter by its row in the kind's table.
const char* KindName(int kind) {
  if (kind == 0) return "Payload Header";
  const format::KindTable* table = format::TableOf(static_cast<payload::Kind>(kind));
  return table ? table->layout.section : "Unknown";
}

const char* ParameterName(int kind, std::size_t param) {
  const format::KindTable* table = kind == 0 ? nullptr : format::TableOf(static_cast<payload::Kind>(kind));
  return table && param < table->fields.size() ? table->fields[param].key : "Unknown";
}

// The held binding to the link library for one delivery.
class Binding {
 public:
  ~Binding() { Unload(); }

  // Loads the library and binds ordinal 1; false with the last error set.
  bool Load() {
    library_ = loader::Load(loader::kLinkLibraryFile);
    if (library_ != nullptr) {
      entry_ = reinterpret_cast<ZefrCommandProc>(loader::EntryByOrdinal(library_, 1));
    }
    if (library_ == nullptr || entry_ == nullptr) {
      loadError_ = win::LastError();
      if (library_ != nullptr) loader::Free(library_);
      library_ = nullptr;
      entry_ = nullptr;
      win::SetLastError(loadError_);
      return false;
    }
    return true;
  }

  void Unload() {
    if (library_ != nullptr) loader::Free(library_);
    library_ = nullptr;
    entry_ = nullptr;
  }

  ZefrBool Call(const std::uint8_t* request, std::uint32_t requestLength, std::uint8_t* response,
                std::uint32_t responseLength) {
    if (entry_ == nullptr) {
      win::SetLastError(loadError_);
      return 0;
    }
    ZefrBool ok = entry_(request, requestLength, response, responseLength);
    if (!ok) loader::AdoptLastError(library_);
    return ok;
  }

 private:
  loader::Library* library_ = nullptr;
  ZefrCommandProc entry_ = nullptr;
  std::uint32_t loadError_ = 0;
};

}  // namespace

void Report(Console& out, int code, Subject subject) {
  // Anything printed could change these, so they are taken first.
  const std::uint32_t lastError = win::LastError();
  const int errorNumber = errno;

  if (code == kSystemFailure) {
    out.Format("*** Unable to %s ZEFR Subsystem!!\n", subject == Subject::kConnect ? "connect to" : "communicate with");
    if (lastError != 0) {
      std::string text = win::SystemMessage(lastError);
      if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) {
        text.resize(text.size() - 2);
      } else if (!text.empty() && text.back() == '\n') {
        text.pop_back();
      }
      if (text.empty()) text = "Unknown error";
      out.Format("   Windows CCode = 0x%08X (%s)\n", lastError, text.c_str());
    }
  } else if (code == kLibraryFailure) {
    out.Line("*** Unable to allocate buffer for ZEFR Subsystem communications!!");
    if (errorNumber != 0) out.Format("   ERRNO = %d (%s)\n", errorNumber, std::strerror(errorNumber));
  } else if (code >= 1 && code <= 11) {
    out.Format("*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x%04X (%s)\n", code, kCompletionTexts[code]);
  } else {
    out.Format("*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x%04X (Unknown Error)\n", code);
  }
  out.Format("\n");
}

void PrintFailingEntity(Console& out, std::uint16_t word) {
  const int kind = (word >> 1) & 7;
  if ((word & 1) == 0 || kind == 7) return;
  const int instance = (word >> 4) & 15;
  const std::size_t param = (word >> 8) & 63;
  out.Format("    Failing Entity:    %s%d\n", KindName(kind), instance + 1);
  out.Format("    Failing Parameter: %s\n\n", ParameterName(kind, param));
}

}  // namespace delivery

bool DeliverPayload(const PayloadImage& image, Console& out) {
  using namespace delivery;
  out.Line("Opening ZEFR Subsystem Connection...");
  Binding binding;
  if (!binding.Load()) {
    Report(out, kSystemFailure, Subject::kConnect);
    return false;
  }
  errno = 0;
  auto* request = static_cast<std::uint8_t*>(std::calloc(kPayloadCommandSize, 1));
  if (request == nullptr) {
    Report(out, kLibraryFailure, Subject::kAllocate);
    return false;
  }
  request[0] = firmware::kPayloadCommand;
  request[1] = static_cast<std::uint8_t>(payload::kImageSize);
  request[2] = static_cast<std::uint8_t>(payload::kImageSize >> 8);
  request[3] = 1;
  request[4] = 0;
  std::memcpy(request + ZEFR_REQUEST_HEADER_SIZE, image.bytes.data(), payload::kImageSize);

  out.Line("Communicating Payload to ZEFR Subsystem...");
  bool accepted = false;
  std::uint8_t code = 0;
  if (!binding.Call(request, kPayloadCommandSize, &code, 1)) {
    Report(out, kSystemFailure, Subject::kCommunicate);
  } else if (code == firmware::kAccepted) {
    out.Line("Payload Accepted.\n");
    accepted = true;
  } else {
    Report(out, code, Subject::kCommunicate);
    const std::uint8_t query[ZEFR_REQUEST_HEADER_SIZE] = {firmware::kFailureQuery, 0, 0, kFailureReplySize, 0};
    // Zeroed, so a short answer reads as "no information" rather than stale bytes.
    std::uint8_t reply[kFailureReplySize] = {};
    if (!binding.Call(query, sizeof query, reply, sizeof reply)) {
      Report(out, kSystemFailure, Subject::kCommunicate);
    } else {
      PrintFailingEntity(out, static_cast<std::uint16_t>(reply[4] | (reply[5] << 8)));
    }
  }
  std::free(request);
  return accepted;
}

}  // namespace zefr
