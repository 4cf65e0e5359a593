#include "win_error.h"

#include <cerrno>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace zefr::win {

namespace {

#if !defined(_WIN32)
// Only our own thread's code; each module keeps its own copy on POSIX.
thread_local std::uint32_t t_lastError = 0;
#endif

struct MessageRow {
  std::uint32_t code;
  const char* text;
};

// The texts of the English system message table for the codes we produce.
constexpr MessageRow kMessages[] = {
    {kSuccess, "The operation completed successfully."},
    {kFileNotFound, "The system cannot find the file specified."},
    {kPathNotFound, "The system cannot find the path specified."},
    {kTooManyOpenFiles, "The system cannot open the file."},
    {kAccessDenied, "Access is denied."},
    {kInvalidHandle, "The handle is invalid."},
    {kNotEnoughMemory, "Not enough memory resources are available to process this command."},
    {kBadFormat, "An attempt was made to load a program with an incorrect format."},
    {kInvalidData, "The data is invalid."},
    {kOutOfMemory, "Not enough memory resources are available to complete this operation."},
    {kBadCommand, "The device does not recognize the command."},
    {kBadLength, "The program issued a command but the command length is incorrect."},
    {kGenFailure, "A device attached to the system is not functioning."},
    {kNotSupported, "The request is not supported."},
    {kDevNotExist, "The specified network resource or device is no longer available."},
    {kInvalidParameter, "The parameter is incorrect."},
    {kBrokenPipe, "The pipe has been ended."},
    {kInsufficientBuffer, "The data area passed to a system call is too small."},
    {kModNotFound, "The specified module could not be found."},
    {kProcNotFound, "The specified procedure could not be found."},
    {kBusy, "The requested resource is in use."},
    {kBadExeFormat, "%1 is not a valid Win32 application."},
    {kFilenameExcedRange, "The filename or extension is too long."},
    {kMoreData, "More data is available."},
    {kOperationAborted,
     "The I/O operation has been aborted because of either a thread exit or an application request."},
    {kIoPending, "Overlapped I/O operation is in progress."},
    {kDllInitFailed, "A dynamic link library (DLL) initialization routine failed."},
    {kIoDevice, "The request could not be performed because of an I/O device error."},
    {kDeviceNotConnected, "The device is not connected."},
    {kNoSystemResources, "Insufficient system resources exist to complete the requested service."},
    {kTimeout, "This operation returned because the timeout period expired."},
};

}  // namespace

#if defined(_WIN32)
std::uint32_t LastError() { return ::GetLastError(); }

void SetLastError(std::uint32_t code) { ::SetLastError(code); }

std::string SystemMessage(std::uint32_t code) {
  char* text = nullptr;
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result(text != nullptr ? text : "", n);
  if (text != nullptr) ::LocalFree(text);
  return result;
}
#else
std::uint32_t LastError() { return t_lastError; }

void SetLastError(std::uint32_t code) { t_lastError = code; }

std::string SystemMessage(std::uint32_t code) {
  for (const MessageRow& row : kMessages) {
    if (row.code == code) return std::string(row.text) + "\r\n";
  }
  return {};
}
#endif

std::uint32_t FromErrno(int err) {
  switch (err) {
    case 0: return kSuccess;
    case ENOENT:
    case ECONNREFUSED:  // a socket left behind with nobody serving it: the device is gone
      return kFileNotFound;
    case ENOTDIR: return kPathNotFound;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case EACCES:
    case EPERM: return kAccessDenied;
    case EBADF: return kInvalidHandle;
    case ENOMEM: return kNotEnoughMemory;
    case EMSGSIZE: return kBadLength;
    case EPROTOTYPE:
    case EOPNOTSUPP:
    case ENOSYS: return kNotSupported;
    case ENODEV:
    case ENXIO: return kDevNotExist;
    case EINVAL:
    case EFAULT: return kInvalidParameter;
    case EAGAIN: return kBusy;
    case ENAMETOOLONG: return kFilenameExcedRange;
    case ECANCELED:
    case EINTR: return kOperationAborted;
    case EIO: return kIoDevice;
    case EPIPE:
    case ECONNRESET:
    case ENOTCONN:
    case ESHUTDOWN: return kDeviceNotConnected;
    case ENOBUFS: return kNoSystemResources;
    case ETIMEDOUT: return kTimeout;
    default: return kGenFailure;
  }
}

}  // namespace zefr::win
