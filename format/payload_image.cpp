#include "payload_image.h"

namespace zefr {

void PayloadImage::Put16(std::size_t at, std::uint16_t v) {
  bytes[at] = static_cast<std::uint8_t>(v);
  bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PayloadImage::Put32(std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint16_t PayloadImage::Get16(std::size_t at) const {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t PayloadImage::Get32(std::size_t at) const {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | bytes[at + i];
  return v;
}

void PayloadImage::WriteHeader() {
  Put32(payload::header::kSignature, payload::kSignature);
  Put8(payload::header::kVersion, payload::kVersion);
  Put8(payload::header::kReserved, 0);
  Put16(payload::header::kTotalLength, static_cast<std::uint16_t>(payload::kImageSize));
}

bool PayloadImage::IsEnabled(const payload::KindLayout& k, int number) const {
  return payload::record::kEnabled.Get(Get16(payload::RecordOffset(k, number))) != 0;
}

}  // namespace zefr
