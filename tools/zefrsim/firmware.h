#pragma once
// What the simulated firmware answers, apart from any socket: the connect
// request, the configuration payload checks, the failure query, and the
// faults a test asks for.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "file_system.h"
#include "payload_layout.h"

namespace zefrsim {

inline constexpr std::size_t kPayloadSize = zefr::payload::kImageSize;

// Checks a configuration payload; returns the completion code and, for a
// refusal, the failing-entity word the failure query will report.
std::uint8_t CheckPayload(const std::uint8_t* data, std::size_t length, std::uint16_t& failingEntity);

// A fault that applies to the next `remaining` occasions (-1: every one).
struct Fault {
  int remaining = 0;
  long value = 0;

  bool Armed() const { return remaining != 0; }
  // Uses one occasion; false when the fault is not armed.
  bool Take() {
    if (remaining == 0) return false;
    if (remaining > 0) --remaining;
    return true;
  }
};

struct Settings {
  std::uint32_t maxMessageLength = 4096;
  Fault ccode;          // command 3 answered with this completion code
  std::uint16_t entity = 0;  // the failing-entity word that goes with it
  Fault delayMs;        // wait before answering a request
  Fault drop;           // read a request, never answer it
  Fault shortBy;        // answer this many bytes short (at least 1 byte stays)
  Fault longBy;         // answer this many bytes long
  Fault close;          // close the connection instead of answering
  Fault refuse;         // close the connection on a connect request
  bool echo = false;    // other commands answer code 1 followed by their data

  // Applies one "key[=value][@count]" setting; false with `*err` set when it
  // is not understood. "reset" clears every fault.
  bool Apply(const std::string& setting, std::string* err);
};

// What to do with one incoming message.
struct Reply {
  enum class Action { kSend, kNone, kClose } action = Action::kSend;
  std::vector<std::uint8_t> bytes;
  long delayMs = 0;
  std::string log;  // one line describing the exchange
};

struct Stats {
  long connects = 0;
  long requests = 0;
  long accepted = 0;
  long refused = 0;
};

class Firmware {
 public:
  // Accepted payloads are stored at storePath in files.
  explicit Firmware(std::string storePath, zefr::files::FileSystem& files = zefr::files::Disk())
      : storePath_(std::move(storePath)), files_(files) {}

  Settings& settings() { return settings_; }
  const Stats& stats() const { return stats_; }

  // The first message of a connection.
  Reply Connect(const std::vector<std::uint8_t>& message);
  // Every later message: one request packet.
  Reply Request(const std::vector<std::uint8_t>& packet);

 private:
  std::uint8_t Payload(const std::uint8_t* data, std::size_t length, std::string& note);
  void ApplyFaults(Reply& reply);

  std::string storePath_;
  zefr::files::FileSystem& files_;
  Settings settings_;
  Stats stats_;
  std::uint16_t lastRefusal_ = 0;
};

}  // namespace zefrsim
