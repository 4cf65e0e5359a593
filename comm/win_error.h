#pragma once
// Windows error numbers are the error codes of the link library and of the
// compiler's delivery on every platform: callers print them. This is the small
// part of the system error service we need; where Windows is underneath it
// is GetLastError, SetLastError and FormatMessageA.

#include <cstdint>
#include <string>

namespace zefr::win {

enum : std::uint32_t {
  kSuccess = 0,
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kInvalidHandle = 6,
  kNotEnoughMemory = 8,
  kBadFormat = 11,
  kInvalidData = 13,
  kOutOfMemory = 14,
  kBadCommand = 22,
  kBadLength = 24,
  kGenFailure = 31,
  kNotSupported = 50,
  kDevNotExist = 55,
  kInvalidParameter = 87,
  kBrokenPipe = 109,
  kInsufficientBuffer = 122,
  kModNotFound = 126,
  kProcNotFound = 127,
  kBusy = 170,
  kBadExeFormat = 193,
  kFilenameExcedRange = 206,
  kMoreData = 234,
  kOperationAborted = 995,
  kIoPending = 997,
  kDllInitFailed = 1114,
  kIoDevice = 1117,
  kDeviceNotConnected = 1167,
  kNoSystemResources = 1450,
  kTimeout = 1460,
};

// The calling thread's last-error code (GetLastError / SetLastError).
std::uint32_t LastError();
void SetLastError(std::uint32_t code);

// The system message text for a code, as the message service gives it
// (with its trailing CR LF); empty when the service has no text for it.
std::string SystemMessage(std::uint32_t code);

// The Windows error number nearest to a C library errno value.
std::uint32_t FromErrno(int err);

}  // namespace zefr::win
