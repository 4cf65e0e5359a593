// A payload file checked to be soundly readable, and what is worth telling
// about it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "payload_image.h"

namespace zefrdump {

// The payload as read: every value is walked from the bytes through the
// field tables of format/, as the compiler stores it.
struct DecodedPayload {
  zefr::PayloadImage image;
};

// Something worth telling about a payload that still decodes: a value the
// compiler would refuse, or bytes that recompiling would not give back.
// An empty section means the payload as a whole; an empty key the section.
struct Finding {
  std::string section;
  std::string key;
  std::string message;
  bool operator==(const Finding&) const = default;
};

// "  WARNING: Section \"S\", Parameter \"K\" - message!" in the compiler's
// diagnostic shape, so the lines read like the compiler's own.
std::string FormatFinding(const Finding& f);

// Takes a whole payload file apart. Fails, with a message for the user, on
// anything that leaves no sound reading: a size other than 1984 bytes, a
// wrong signature, version or total length, a record header that does not
// belong to its slot, a reference beyond the entities of its kind. Bytes
// that recompiling would drop are added to `findings`.
bool DecodePayload(std::span<const uint8_t> image, DecodedPayload* out,
                   std::vector<Finding>* findings, std::string* err);

// Every value of an enabled entity that the compiler would refuse, with the
// compiler's message, section by section in the order of the printed INI.
std::vector<Finding> CheckPayload(const DecodedPayload& p);

}  // namespace zefrdump
