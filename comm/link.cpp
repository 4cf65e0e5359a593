#include "link.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ZefrComm.h"
#include "win_error.h"

namespace zefr::comm {

namespace {

std::uint16_t Get16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// A step that failed without naming a reason still must not leave the
// caller with error 0 after a failed call.
std::uint32_t Reason(std::uint32_t error) { return error != 0 ? error : win::kGenFailure; }

// The firmware's message length limit; nothing larger than a 16-bit length
// plus the header can ever be sent or expected.
constexpr std::uint32_t kLargestPacket = 0xFFFF + ZEFR_REQUEST_HEADER_SIZE;

}  // namespace

std::uint32_t CheckRequest(const std::uint8_t* request, std::uint32_t requestLength,
                           const std::uint8_t* response, std::uint32_t responseLength) {
  if (request == nullptr) return win::kInvalidParameter;
  // The header itself must be there before any of it is read.
  if (requestLength < ZEFR_REQUEST_HEADER_SIZE) return win::kBadFormat;
  if (request[0] > ZEFR_MAX_COMMAND) return win::kBadCommand;
  const std::uint32_t dataLength = Get16(request + 1);
  const std::uint32_t expected = Get16(request + 3);
  if (requestLength != dataLength + ZEFR_REQUEST_HEADER_SIZE) return win::kBadFormat;
  if (responseLength != expected) return win::kBadFormat;
  if (request[0] == ZEFR_COUNTED_COMMAND) {
    // The counts sit in data bytes 1 and 2; too short a packet cannot hold them.
    if (requestLength < 8) return win::kBadFormat;
    if (dataLength != request[6] + 3u || expected != request[7] + 1u) return win::kBadFormat;
  }
  if (response == nullptr && responseLength != 0) return win::kInvalidParameter;
  return 0;
}

bool Link::Attach() {
  path_.clear();
  std::string found;
  if (!device_.Discover(found) || found.empty() || found.size() > kMaxDevicePath) return false;
  if (!lock_.Create()) return false;
  path_ = found;
  attached_ = true;
  return true;
}

void Link::Detach() {
  if (!attached_) return;
  if (connected_) CloseConnection();
  lock_.Destroy();
  attached_ = false;
}

std::uint32_t Link::Open() {
  std::uint32_t error = 0;
  for (int attempt = 0; attempt < kConnectTries; ++attempt) {
    error = device_.Open(path_);
    if (error == 0) {
      std::uint8_t reply[ZEFR_CONNECT_REPLY_SIZE] = {};
      IoResult r = device_.Control(ZEFR_CONNECT_CONTROL_CODE, kClientId, sizeof kClientId, reply,
                                   sizeof reply, kStepLimitMs);
      if (r.bytes != sizeof reply) {
        error = r.error != 0 ? r.error : win::kBadLength;
      } else {
        maxMessage_ = reply[0] | (reply[1] << 8) | (reply[2] << 16) |
                      (static_cast<std::uint32_t>(reply[3]) << 24);
        try {
          receive_.assign(std::min(maxMessage_, kLargestPacket), 0);
          connected_ = true;
          return 0;
        } catch (const std::bad_alloc&) {
          error = win::kNotEnoughMemory;
        }
      }
    }
    if (device_.IsOpen()) device_.Close();
    device_.Pause(kPauseMs);
  }
  error = Reason(error);
  win::SetLastError(error);
  return error;
}

void Link::CloseConnection() {
  device_.Close();
  // The buffer is kept for the next connection (at most 64 KiB): opening
  // one should not cost an allocation.
  receive_.clear();
  connected_ = false;
  maxMessage_ = 0;
}

std::uint32_t Link::Arm() {
  std::uint32_t error = device_.ArmReceive(receive_.data(), static_cast<std::uint32_t>(receive_.size()));
  pending_ = error == 0;
  if (error != 0) win::SetLastError(error);
  return error;
}

IoResult Link::Complete(bool report) {
  IoResult r = device_.CompleteReceive(kStepLimitMs);
  pending_ = false;
  if (r.bytes == 0) r.error = Reason(r.error);
  if (report && r.bytes == 0) win::SetLastError(r.error);
  return r;
}

void Link::Cancel() {
  if (!pending_) return;
  device_.CancelReceive();
  Complete(false);
}

Link::Outcome Link::Attempt(const std::uint8_t* request, std::uint32_t requestLength,
                            std::uint8_t* response, std::uint16_t expected, std::uint32_t& error) {
  pending_ = false;
  if (expected != 0) {
    error = Arm();
    if (error != 0) return Outcome::kFailed;
  }
  IoResult w = device_.Write(request, requestLength, kStepLimitMs);
  if (w.bytes == 0) {
    error = Reason(w.error);
    win::SetLastError(error);
    return Outcome::kFailed;
  }
  if (expected == 0) return Outcome::kDone;
  IoResult r = Complete(true);
  if (r.bytes == 0 || r.bytes > receive_.size()) {
    error = r.bytes == 0 ? r.error : win::kMoreData;
    win::SetLastError(error);
    return Outcome::kFailed;
  }
  const std::uint8_t code = receive_[0];
  if (r.bytes == expected || code != 0) {
    // A refusal may come back longer than asked for; the caller's buffer
    // holds only what it asked for.
    std::memcpy(response, receive_.data(), std::min<std::uint32_t>(r.bytes, expected));
    return Outcome::kDone;
  }
  error = win::kBadLength;
  return Outcome::kBadLength;
}

int Link::Command(const std::uint8_t* request, std::uint32_t requestLength, std::uint8_t* response,
                  std::uint32_t responseLength) {
  if (std::uint32_t bad = CheckRequest(request, requestLength, response, responseLength)) {
    win::SetLastError(bad);
    return 0;
  }
  if (!attached_) {
    // Only reachable when something loaded us without honouring the load result.
    win::SetLastError(win::kDllInitFailed);
    return 0;
  }
  // System calls on the way may reset the thread's code even when they
  // succeed; a successful call hands back the one it found.
  const std::uint32_t callerError = win::LastError();
  switch (lock_.Wait()) {
    case Lock::WaitResult::kAcquired:
    case Lock::WaitResult::kAbandoned: break;
    case Lock::WaitResult::kFailed: return 0;
  }

  std::uint32_t error = 0;
  bool ok = false;
  const auto expected = static_cast<std::uint16_t>(responseLength);
  if (!connected_) error = Open();
  if (error == 0) {
    if (requestLength > maxMessage_ || responseLength > maxMessage_) {
      error = win::kBadLength;
    } else {
      std::uint32_t first = 0;
      for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::uint32_t stepError = 0;
        Outcome outcome = Attempt(request, requestLength, response, expected, stepError);
        if (outcome == Outcome::kDone) {
          ok = true;
          break;
        }
        if (outcome == Outcome::kBadLength) {
          first = stepError;
          break;
        }
        if (attempt == 0) first = stepError;
        if (expected != 0) Cancel();
        CloseConnection();
        if (Open() != 0) break;
        device_.Pause(kPauseMs);
      }
      error = first;
    }
  }
  lock_.Release();
  if (ok) {
    win::SetLastError(callerError);
    return 1;
  }
  win::SetLastError(Reason(error));
  return 0;
}

}  // namespace zefr::comm
