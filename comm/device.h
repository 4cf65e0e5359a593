#pragma once
// The seam between the exchange logic and the platform: the firmware interface
// device, the process lock and pauses. device_posix.cpp serves it here; a
// Windows build serves it with device-interface enumeration, CreateFileA,
// DeviceIoControl and overlapped I/O. Errors are Windows error numbers.

#include <cstdint>
#include <memory>
#include <string>

namespace zefr::comm {

// What one bounded I/O step came to: its byte count, or 0 and the error.
struct IoResult {
  std::uint32_t bytes = 0;
  std::uint32_t error = 0;
};

// One connection to the firmware interface device at a time.
class Device {
 public:
  virtual ~Device() = default;

  // Finds the path of the first present interface of the device class;
  // false when there is none.
  virtual bool Discover(std::string& path) = 0;
  // Opens the device at `path`, bounded like every other step where the
  // platform can bound it, and only if its server may be trusted; 0 or the error.
  virtual std::uint32_t Open(const std::string& path) = 0;
  virtual bool IsOpen() const = 0;
  virtual void Close() = 0;
  // Sends an I/O control request with its input and takes its reply into
  // `out`; the byte count is the reply's length. Bounded by `limitMs`.
  virtual IoResult Control(std::uint32_t code, const void* in, std::uint32_t inLength, void* out,
                           std::uint32_t outLength, std::uint32_t limitMs) = 0;
  // Writes one whole request packet. Bounded by `limitMs`.
  virtual IoResult Write(const void* data, std::uint32_t length, std::uint32_t limitMs) = 0;
  // Readies a receive of one whole packet into `buffer` before the request
  // goes out, so its response cannot be missed; 0 or the error.
  virtual std::uint32_t ArmReceive(void* buffer, std::uint32_t capacity) = 0;
  // Waits for the armed receive; the byte count is the packet's length.
  virtual IoResult CompleteReceive(std::uint32_t limitMs) = 0;
  // Abandons the armed receive; a later CompleteReceive reports it ended.
  virtual void CancelReceive() = 0;
  // Sleeps; a seam so tests need not wait.
  virtual void Pause(std::uint32_t ms) = 0;
};

// The platform's device.
std::unique_ptr<Device> MakeSystemDevice();

// An unnamed process-wide mutex.
class Lock {
 public:
  enum class WaitResult { kAcquired, kAbandoned, kFailed };

  Lock() = default;
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  ~Lock() { Destroy(); }

  // Creates the mutex, not owned; false (last error set) when it cannot.
  bool Create();
  void Destroy();
  // Waits without a time limit. kFailed leaves the last error as the wait did.
  WaitResult Wait();
  void Release();

 private:
  struct Impl;
  Impl* impl_ = nullptr;
};

}  // namespace zefr::comm
