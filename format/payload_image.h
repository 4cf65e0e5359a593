#pragma once
// The payload image the parse fills in place and the run writes or delivers.

#include <array>
#include <cstddef>
#include <cstdint>

#include "payload_layout.h"

namespace zefr {

struct PayloadImage {
  std::array<std::uint8_t, payload::kImageSize> bytes{};

  void Clear() { bytes.fill(0); }
  void Put8(std::size_t at, std::uint8_t v) { bytes[at] = v; }
  void Put16(std::size_t at, std::uint16_t v);
  void Put32(std::size_t at, std::uint32_t v);
  std::uint8_t Get8(std::size_t at) const { return bytes[at]; }
  std::uint16_t Get16(std::size_t at) const;
  std::uint32_t Get32(std::size_t at) const;
  void SetBits16(std::size_t at, payload::BitField f, std::uint32_t v) {
    Put16(at, static_cast<std::uint16_t>(f.Set(Get16(at), v)));
  }
  void SetBits32(std::size_t at, payload::BitField f, std::uint32_t v) { Put32(at, f.Set(Get32(at), v)); }
  void SetBits8(std::size_t at, payload::BitField f, std::uint32_t v) {
    bytes[at] = static_cast<std::uint8_t>(f.Set(bytes[at], v));
  }

  // Writes the 8-byte payload header.
  void WriteHeader();
  // Whether entity number (from 1) of the kind has its enabled bit set.
  bool IsEnabled(const payload::KindLayout& k, int number) const;
};

}  // namespace zefr
