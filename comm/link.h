#pragma once
// The library's whole behaviour over the device seam: header checks, the
// process lock, the connection with its tries, and the exchange attempts.

#include <cstdint>
#include <string>
#include <vector>

#include "device.h"

namespace zefr::comm {

// Timing and retry counts the firmware's driver is built around.
inline constexpr std::uint32_t kStepLimitMs = 1000;
inline constexpr std::uint32_t kPauseMs = 1000;
inline constexpr int kConnectTries = 5;
inline constexpr int kAttempts = 10;
inline constexpr std::uint32_t kMaxDevicePath = 255;

// The client identifier the connect request carries, in memory order.
inline constexpr std::uint8_t kClientId[16] = {0xB9, 0x05, 0x52, 0x6B, 0x85, 0x81, 0x19, 0x45,
                                               0xB8, 0x89, 0xD9, 0x87, 0x24, 0xB5, 0x86, 0x07};

// Checks a request packet against its own header; 0 when it may be sent,
// else the error code. Never touches the device.
std::uint32_t CheckRequest(const std::uint8_t* request, std::uint32_t requestLength,
                           const std::uint8_t* response, std::uint32_t responseLength);

class Link {
 public:
  explicit Link(Device& device) : device_(device) {}
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;
  ~Link() { Detach(); }

  // Load: finds the device and creates the lock. False means the library
  // must not stay loaded.
  bool Attach();
  // Unload: closes the connection and the lock.
  void Detach();

  // One request and its response; nonzero on success, else 0 with the last
  // error set.
  int Command(const std::uint8_t* request, std::uint32_t requestLength, std::uint8_t* response,
              std::uint32_t responseLength);

  bool Connected() const { return connected_; }
  const std::string& DevicePath() const { return path_; }
  std::uint32_t MaxMessageLength() const { return maxMessage_; }

 private:
  // Up to kConnectTries; on failure returns the last try's error.
  std::uint32_t Open();
  void CloseConnection();
  std::uint32_t Arm();
  IoResult Complete(bool report);
  void Cancel();
  // One write and, when a response is expected, its receive.
  enum class Outcome { kDone, kFailed, kBadLength };
  Outcome Attempt(const std::uint8_t* request, std::uint32_t requestLength, std::uint8_t* response,
                  std::uint16_t expected, std::uint32_t& error);

  Device& device_;
  Lock lock_;
  bool attached_ = false;
  std::string path_;
  bool connected_ = false;
  std::uint32_t maxMessage_ = 0;
  std::vector<std::uint8_t> receive_;
  bool pending_ = false;
};

}  // namespace zefr::comm
