// The firmware interface device on Windows: found through the device-interface
// enumeration of its class, opened for overlapped I/O, connected with one I/O
// control request; every step is bounded by waiting on its own event.

#include <windows.h>
#include <setupapi.h>

#include <cstdlib>
#include <new>

#include "device.h"
#include "win_error.h"

namespace zefr::comm {

namespace {

// {E2D1FF34-3458-49A9-88DA-8E6915CE9BE5}
constexpr GUID kInterfaceClass = {0xE2D1FF34, 0x3458, 0x49A9, {0x88, 0xDA, 0x8E, 0x69, 0x15, 0xCE, 0x9B, 0xE5}};

// The sizes the enumeration checks in the records' size fields on 32-bit Windows.
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 28);
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5);

// An unnamed, auto-reset, initially non-signalled event.
HANDLE NewEvent() { return ::CreateEventA(nullptr, FALSE, FALSE, nullptr); }

// Waits for a started operation and fetches its byte count. An operation
// still running when the limit passes is cancelled and waited for before we
// return: the kernel must be done with the record and the buffer before
// either goes away.
IoResult Finish(HANDLE handle, OVERLAPPED& ov, DWORD limitMs) {
  DWORD waited = ::WaitForSingleObject(ov.hEvent, limitMs);
  DWORD bytes = 0;
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    if (::GetOverlappedResult(handle, &ov, &bytes, TRUE)) return {bytes, 0};
    return {0, ::GetLastError()};
  }
  std::uint32_t error = waited == WAIT_TIMEOUT ? static_cast<std::uint32_t>(win::kTimeout) : ::GetLastError();
  ::CancelIo(handle);
  // Finished after all, between the wait and the cancel: that is its result.
  if (::GetOverlappedResult(handle, &ov, &bytes, TRUE) && bytes != 0) return {bytes, 0};
  return {0, error != 0 ? error : static_cast<std::uint32_t>(win::kGenFailure)};
}

// One overlapped step: `start` begins the operation on `ov`.
template <typename Start>
IoResult Step(HANDLE handle, DWORD limitMs, Start start) {
  if (handle == INVALID_HANDLE_VALUE) return {0, win::kInvalidHandle};
  OVERLAPPED ov{};
  ov.hEvent = NewEvent();
  if (ov.hEvent == nullptr) return {0, ::GetLastError()};
  IoResult r;
  if (!start(ov) && ::GetLastError() != ERROR_IO_PENDING) {
    r = {0, ::GetLastError()};
  } else {
    r = Finish(handle, ov, limitMs);
  }
  ::CloseHandle(ov.hEvent);
  return r;
}

class Win32Device final : public Device {
 public:
  ~Win32Device() override { Close(); }

  bool Discover(std::string& path) override {
    HDEVINFO set = ::SetupDiGetClassDevsA(&kInterfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return false;
    bool found = false;
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA data{};
      data.cbSize = sizeof data;
      if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &kInterfaceClass, index, &data)) break;
      DWORD required = 0;
      if (!::SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr) &&
          ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        continue;
      }
      // Only the first interface that answers the size query is tried.
      if (required > sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(std::calloc(1, required));
        if (detail != nullptr) {
          detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
          if (::SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr)) {
            path = detail->DevicePath;
            found = true;
          }
          std::free(detail);
        }
      }
      break;
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return found;
  }

  std::uint32_t Open(const std::string& path) override {
    Close();
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      std::uint32_t error = ::GetLastError();
      return error != 0 ? error : static_cast<std::uint32_t>(win::kGenFailure);
    }
    handle_ = h;
    return 0;
  }

  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

  void Close() override {
    AbandonReceive();
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  IoResult Control(std::uint32_t code, const void* in, std::uint32_t inLength, void* out,
                   std::uint32_t outLength, std::uint32_t limitMs) override {
    return Step(handle_, limitMs, [&](OVERLAPPED& ov) {
      return ::DeviceIoControl(handle_, code, const_cast<void*>(in), inLength, out, outLength, nullptr, &ov) != FALSE;
    });
  }

  IoResult Write(const void* data, std::uint32_t length, std::uint32_t limitMs) override {
    return Step(handle_, limitMs,
                [&](OVERLAPPED& ov) { return ::WriteFile(handle_, data, length, nullptr, &ov) != FALSE; });
  }

  std::uint32_t ArmReceive(void* buffer, std::uint32_t capacity) override {
    if (handle_ == INVALID_HANDLE_VALUE) return win::kInvalidHandle;
    AbandonReceive();  // never two reads into one record
    receive_ = OVERLAPPED{};
    receive_.hEvent = NewEvent();
    if (receive_.hEvent == nullptr) return ::GetLastError();
    if (!::ReadFile(handle_, buffer, capacity, nullptr, &receive_) && ::GetLastError() != ERROR_IO_PENDING) {
      std::uint32_t error = ::GetLastError();
      DropReceive();
      return error != 0 ? error : static_cast<std::uint32_t>(win::kGenFailure);
    }
    armed_ = true;
    return 0;
  }

  IoResult CompleteReceive(std::uint32_t limitMs) override {
    if (!armed_) return {0, win::kOperationAborted};
    IoResult r = Finish(handle_, receive_, limitMs);
    DropReceive();
    return r;
  }

  void CancelReceive() override {
    if (armed_) ::CancelIo(handle_);
  }

  void Pause(std::uint32_t ms) override { ::Sleep(ms); }

 private:
  // Ends a receive nobody will complete, once the kernel is done with it.
  void AbandonReceive() {
    if (!armed_) return;
    ::CancelIo(handle_);
    DWORD bytes = 0;
    ::GetOverlappedResult(handle_, &receive_, &bytes, TRUE);
    DropReceive();
  }

  void DropReceive() {
    if (receive_.hEvent != nullptr) ::CloseHandle(receive_.hEvent);
    receive_ = OVERLAPPED{};
    armed_ = false;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  OVERLAPPED receive_{};
  bool armed_ = false;
};

}  // namespace

std::unique_ptr<Device> MakeSystemDevice() { return std::make_unique<Win32Device>(); }

struct Lock::Impl {
  HANDLE mutex;
};

bool Lock::Create() {
  Destroy();
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, nullptr);
  if (mutex == nullptr) return false;  // last error as the call left it
  impl_ = new (std::nothrow) Impl{mutex};
  if (impl_ == nullptr) {
    ::CloseHandle(mutex);
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  return true;
}

void Lock::Destroy() {
  if (impl_ == nullptr) return;
  ::CloseHandle(impl_->mutex);
  delete impl_;
  impl_ = nullptr;
}

Lock::WaitResult Lock::Wait() {
  if (impl_ == nullptr) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return WaitResult::kFailed;
  }
  switch (::WaitForSingleObject(impl_->mutex, INFINITE)) {
    case WAIT_OBJECT_0: return WaitResult::kAcquired;
    case WAIT_ABANDONED: return WaitResult::kAbandoned;
    default: return WaitResult::kFailed;
  }
}

void Lock::Release() {
  if (impl_ != nullptr) ::ReleaseMutex(impl_->mutex);
}

}  // namespace zefr::comm
