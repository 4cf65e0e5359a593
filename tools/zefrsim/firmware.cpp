#include "firmware.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "firmware_codes.h"

namespace zefrsim {

namespace firmware = zefr::firmware;

namespace {

struct KindSlots {
  int kind;
  std::size_t offset;
  int count;
  int length;
};

constexpr KindSlots kKinds[] = {
    {1, 8, 12, 37}, {2, 452, 8, 14}, {3, 564, 8, 33}, {4, 828, 12, 43}, {5, 1344, 8, 80},
};

constexpr std::uint8_t kClientId[16] = {0xB9, 0x05, 0x52, 0x6B, 0x85, 0x81, 0x19, 0x45,
                                        0xB8, 0x89, 0xD9, 0x87, 0x24, 0xB5, 0x86, 0x07};
constexpr std::uint32_t kConnectCode = 0x8000E004;

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// bit 0: information present; 1-3 kind; 4-7 instance - 1; 8-13 parameter.
std::uint16_t EntityWord(int kind, int index, int parameter) {
  return static_cast<std::uint16_t>(1 | (kind << 1) | (index << 4) | (parameter << 8));
}

bool ParseNumber(const std::string& text, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 0);
  return *end == '\0';
}

std::string Format(const char* fmt, auto... args) {
  char text[256];
  std::snprintf(text, sizeof text, fmt, args...);
  return text;
}

}  // namespace

std::uint8_t CheckPayload(const std::uint8_t* data, std::size_t length, std::uint16_t& failingEntity) {
  const std::uint16_t headerWord = EntityWord(0, 0, 0);
  if (length < 8 || std::memcmp(data, "RFEZ", 4) != 0 || data[4] != 1 || Get16(data + 6) != kPayloadSize ||
      length != kPayloadSize) {
    failingEntity = headerWord;
    return firmware::kIncompatibleFormat;
  }
  for (const KindSlots& k : kKinds) {
    for (int i = 0; i < k.count; ++i) {
      const std::uint16_t h = Get16(data + k.offset + static_cast<std::size_t>(i) * k.length);
      if ((h & 7) != k.kind || ((h >> 3) & 31) != i || (h >> 9) != k.length) {
        failingEntity = EntityWord(k.kind, i, 0);
        return firmware::kInvalidParameter;
      }
    }
  }
  return firmware::kAccepted;
}

bool Settings::Apply(const std::string& setting, std::string* err) {
  std::string key = setting;
  std::string value;
  long count = -1;
  if (auto at = key.find('@'); at != std::string::npos) {
    if (!ParseNumber(key.substr(at + 1), count) || count < 1) {
      *err = "bad count in \"" + setting + "\"";
      return false;
    }
    key.resize(at);
  }
  if (auto eq = key.find('='); eq != std::string::npos) {
    value = key.substr(eq + 1);
    key.resize(eq);
  }
  long number = 0;
  const bool hasNumber = ParseNumber(value, number);
  auto arm = [&](Fault& f, bool needsValue) {
    if (needsValue && (!hasNumber || number < 0)) {
      *err = "\"" + key + "\" needs a number";
      return false;
    }
    f.value = number;
    f.remaining = static_cast<int>(count);
    return true;
  };
  if (key == "reset") {
    Settings fresh;
    fresh.maxMessageLength = maxMessageLength;
    *this = fresh;
    return true;
  }
  if (key == "maxlen") {
    if (!hasNumber || number < 0 || number > 0xFFFFFFFFL) {
      *err = "\"maxlen\" needs a number";
      return false;
    }
    maxMessageLength = static_cast<std::uint32_t>(number);
    return true;
  }
  if (key == "entity") {
    if (!hasNumber || number < 0 || number > 0xFFFF) {
      *err = "\"entity\" needs a 16-bit number";
      return false;
    }
    entity = static_cast<std::uint16_t>(number);
    return true;
  }
  if (key == "echo") {
    echo = true;
    return true;
  }
  if (key == "ccode") {
    if (hasNumber && number > 255) number = -1;
    return arm(ccode, true);
  }
  if (key == "delay") return arm(delayMs, true);
  if (key == "short") return arm(shortBy, true);
  if (key == "long") return arm(longBy, true);
  if (key == "drop") return arm(drop, false);
  if (key == "close") return arm(close, false);
  if (key == "refuse") return arm(refuse, false);
  *err = "unknown setting \"" + key + "\"";
  return false;
}

Reply Firmware::Connect(const std::vector<std::uint8_t>& message) {
  Reply reply;
  const bool wellFormed = message.size() == 20 &&
                          (message[0] | (message[1] << 8) | (message[2] << 16) |
                           (static_cast<std::uint32_t>(message[3]) << 24)) == kConnectCode &&
                          std::memcmp(message.data() + 4, kClientId, 16) == 0;
  if (!wellFormed) {
    reply.action = Reply::Action::kClose;
    reply.log = Format("connect request of %zu bytes not understood -> closed", message.size());
    return reply;
  }
  if (settings_.refuse.Take()) {
    reply.action = Reply::Action::kClose;
    reply.log = "connect request -> refused, closed";
    return reply;
  }
  ++stats_.connects;
  const std::uint32_t max = settings_.maxMessageLength;
  reply.bytes = {static_cast<std::uint8_t>(max), static_cast<std::uint8_t>(max >> 8),
                 static_cast<std::uint8_t>(max >> 16), static_cast<std::uint8_t>(max >> 24), 0};
  reply.log = Format("connect request -> max message length %u", max);
  return reply;
}

std::uint8_t Firmware::Payload(const std::uint8_t* data, std::size_t length, std::string& note) {
  std::uint16_t word = 0;
  std::uint8_t code;
  if (settings_.ccode.Take()) {
    code = static_cast<std::uint8_t>(settings_.ccode.value);
    word = settings_.entity;
    note = " (injected)";
  } else {
    code = CheckPayload(data, length, word);
  }
  if (code != firmware::kAccepted) {
    lastRefusal_ = word;
    ++stats_.refused;
    note += Format(", failing entity 0x%04X", word);
    return code;
  }
  // Whole or not at all, and never through a name someone else prepared.
  int error = 0;
  if (!files_.Replace(storePath_, std::string_view(reinterpret_cast<const char*>(data), length), error)) {
    // The board would have taken it; say so loudly but keep answering.
    note += ", could not store " + storePath_;
  } else {
    note += ", stored in " + storePath_;
  }
  ++stats_.accepted;
  return code;
}

Reply Firmware::Request(const std::vector<std::uint8_t>& packet) {
  Reply reply;
  ++stats_.requests;
  if (packet.size() < 5) {
    reply.action = Reply::Action::kNone;
    reply.log = Format("packet of %zu bytes too short for a header -> ignored", packet.size());
    return reply;
  }
  const std::uint8_t command = packet[0];
  const std::uint16_t dataLength = Get16(&packet[1]);
  const std::uint16_t expected = Get16(&packet[3]);
  const std::uint8_t* data = packet.data() + 5;
  const std::size_t have = packet.size() - 5;
  std::string note;
  std::vector<std::uint8_t> answer;
  if (command == firmware::kPayloadCommand) {
    answer = {Payload(data, have < dataLength ? have : dataLength, note)};
  } else if (command == firmware::kFailureQuery) {
    answer = {firmware::kAccepted, 0, 0, 0, static_cast<std::uint8_t>(lastRefusal_),
              static_cast<std::uint8_t>(lastRefusal_ >> 8)};
  } else {
    answer = {firmware::kNotSupported};
    if (settings_.echo) answer.insert(answer.end(), data, data + have);
  }
  std::string head = Format("command %u, L=%u, R=%u -> code %u", command, dataLength, expected, answer[0]);
  // The firmware answers with the length the request asked for, and not at
  // all when it asked for none.
  if (expected == 0) {
    reply.action = Reply::Action::kNone;
    reply.log = head + note + ", no response expected";
    return reply;
  }
  answer.resize(expected, 0);
  reply.bytes = std::move(answer);
  ApplyFaults(reply);
  reply.log = head + note + reply.log;
  return reply;
}

void Firmware::ApplyFaults(Reply& reply) {
  if (settings_.close.Take()) {
    reply.action = Reply::Action::kClose;
    reply.log = ", connection closed instead";
    return;
  }
  if (settings_.drop.Take()) {
    reply.action = Reply::Action::kNone;
    reply.log = ", response dropped";
    return;
  }
  if (settings_.shortBy.Take()) {
    std::size_t cut = static_cast<std::size_t>(settings_.shortBy.value);
    reply.bytes.resize(cut >= reply.bytes.size() ? 1 : reply.bytes.size() - cut);
    reply.log += Format(", sent short (%zu bytes)", reply.bytes.size());
  }
  if (settings_.longBy.Take()) {
    reply.bytes.resize(reply.bytes.size() + static_cast<std::size_t>(settings_.longBy.value), 0);
    reply.log += Format(", sent long (%zu bytes)", reply.bytes.size());
  }
  if (settings_.delayMs.Take()) {
    reply.delayMs = settings_.delayMs.value;
    reply.log += Format(", after %ld ms", reply.delayMs);
  }
}

}  // namespace zefrsim
