// Hand-made payload images for the tests. Offsets are written out as plain
// numbers on purpose: they check the decoder's layout rather than share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decimal_text.h"
#include "decoded_payload.h"

namespace zefrdump::testing {

enum Kind { kTm = 1, kFm = 2, kVm = 3, kTr = 4, kFc = 5 };

class TestImage {
 public:
  // Signature, version, length, and every record as a disabled header.
  TestImage() : bytes_(1984, 0) {
    Put32(0, 0x5A454652);
    bytes_[4] = 1;
    Put16(6, 1984);
    for (int kind = 1; kind <= 5; ++kind)
      for (int n = 1; n <= kCount[kind]; ++n)
        Put16(Offset(kind, n), uint16_t(kind | (n - 1) << 3 | kLength[kind] << 9));
  }

  static size_t Offset(int kind, int n) { return kStart[kind] + size_t(n - 1) * kLength[kind]; }

  TestImage& Enable(int kind, int n) {
    bytes_[Offset(kind, n) + 1] |= 1;
    return *this;
  }
  TestImage& Set8(int kind, int n, size_t off, uint8_t v) {
    bytes_[Offset(kind, n) + off] = v;
    return *this;
  }
  TestImage& Set16(int kind, int n, size_t off, uint16_t v) {
    Put16(Offset(kind, n) + off, v);
    return *this;
  }
  TestImage& Set32(int kind, int n, size_t off, uint32_t v) {
    Put32(Offset(kind, n) + off, v);
    return *this;
  }
  // A decimal field as the compiler stores its text.
  TestImage& SetDecimal(int kind, int n, size_t off, const char* text, int decimals) {
    return Set32(kind, n, off, uint32_t(TruncatedScaled(text, decimals)));
  }

  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  void Put16(size_t at, uint16_t v) {
    bytes_[at] = uint8_t(v);
    bytes_[at + 1] = uint8_t(v >> 8);
  }
  void Put32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + size_t(i)] = uint8_t(v >> (8 * i));
  }

  static constexpr size_t kStart[6] = {0, 8, 452, 564, 828, 1344};
  static constexpr size_t kLength[6] = {8, 37, 14, 33, 43, 80};
  static constexpr int kCount[6] = {1, 12, 8, 8, 12, 8};
  std::vector<uint8_t> bytes_;
};

// Link word of a temperature response (numbers from 1, 0 for no ambient).
inline uint32_t LinkWord(int monitor, int ambient, int primary, int smoothing, int integral,
                         int derivative) {
  uint32_t amb = ambient == 0 ? 31u : uint32_t(ambient - 1);
  uint32_t pri = ambient == 0 ? 0u : uint32_t(primary - 1);
  return uint32_t(monitor - 1) | amb << 5 | pri << 10 | uint32_t(smoothing) << 15 |
         uint32_t(integral) << 20 | uint32_t(derivative) << 25;
}

// Fan slot: monitor number (0 for none), pulses, dependent, set-config, rpm.
inline void SetFanSlot(TestImage& img, int n, int k, int monitor, int pulses, bool dependent,
                       uint8_t setConfig, uint16_t rpm) {
  size_t off = 8 + size_t(k - 1) * 4;
  if (monitor == 0) {
    img.Set32(kFc, n, off, 31);
    return;
  }
  img.Set8(kFc, n, off, uint8_t((monitor - 1) | (pulses - 1) << 5 | (dependent ? 0x80 : 0)));
  img.Set8(kFc, n, off + 1, setConfig);
  img.Set16(kFc, n, off + 2, rpm);
}

// The default ATX configuration as the compiler compiles it: 22 entities.
TestImage AtxDefaultImage();

// Decodes an image the test expects to decode; what it finds goes to findings.
DecodedPayload Decoded(TestImage& img, std::vector<Finding>* findings = nullptr);

}  // namespace zefrdump::testing
