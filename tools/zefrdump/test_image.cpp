#include "test_image.h"

#include <gtest/gtest.h>

namespace zefrdump::testing {

TestImage AtxDefaultImage() {
  TestImage img;
  struct Tm {
    uint8_t usage, address, command;
    const char* temps[4];
  };
  const Tm tms[6] = {{2, 0x20, 0x02, {"0.00", "6.00", "8.00", "10.00"}},
                     {7, 0x4C, 0x00, {"60.00", "65.00", "70.00", "90.00"}},
                     {8, 0x49, 0x01, {"60.00", "65.00", "70.00", "90.00"}},
                     {7, 0x49, 0x00, {"60.00", "65.00", "70.00", "90.00"}},
                     {3, 0x20, 0x00, {"95.00", "105.00", "110.00", "120.00"}},
                     {4, 0x20, 0x01, {"95.00", "100.00", "105.00", "110.00"}}};
  for (int n = 1; n <= 6; ++n) {
    const Tm& t = tms[n - 1];
    img.Enable(kTm, n).Set8(kTm, n, 2, t.usage).Set8(kTm, n, 3, t.address).Set8(kTm, n, 4, t.command);
    img.Set8(kTm, n, 6, 1).Set8(kTm, n, 7, 2).Set8(kTm, n, 8, 4);
    img.SetDecimal(kTm, n, 13, "1.00", 2);
    for (int i = 0; i < 4; ++i) img.SetDecimal(kTm, n, 21 + size_t(i) * 4, t.temps[i], 2);
  }

  const uint8_t fmUsage[3] = {1, 6, 7};
  const uint16_t fmNominal[3] = {2500, 2000, 2000};
  for (int n = 1; n <= 3; ++n) {
    img.Enable(kFm, n).Set8(kFm, n, 2, fmUsage[n - 1]).Set8(kFm, n, 3, 0x20);
    img.Set8(kFm, n, 4, uint8_t(0x05 + n)).Set8(kFm, n, 5, uint8_t(0x15 + n));
    img.Set16(kFm, n, 6, fmNominal[n - 1]).Set16(kFm, n, 8, 500).Set16(kFm, n, 10, 450);
    img.Set16(kFm, n, 12, 300);
  }

  struct Vm {
    uint8_t usage;
    const char* volts[7];
  };
  const Vm vms[5] = {
      {1, {"12.000", "11.400", "11.100", "10.800", "12.600", "12.900", "13.200"}},
      {3, {"5.000", "4.750", "4.625", "4.500", "5.250", "5.375", "5.500"}},
      {6, {"3.300", "3.135", "3.053", "2.970", "3.465", "3.548", "3.630"}},
      {8, {"1.250", "1.100", "1.050", "1.000", "1.550", "1.600", "1.650"}},
      {9, {"0.000", "-0.400", "-0.500", "-0.600", "0.200", "0.300", "0.400"}}};
  for (int n = 1; n <= 5; ++n) {
    const Vm& v = vms[n - 1];
    img.Enable(kVm, n).Set8(kVm, n, 2, v.usage).Set8(kVm, n, 3, 0x49);
    img.Set8(kVm, n, 4, uint8_t(0x0F + n));
    for (int i = 0; i < 7; ++i) img.SetDecimal(kVm, n, 5 + size_t(i) * 4, v.volts[i], 3);
  }

  struct Tr {
    uint8_t usage;
    int smoothing, integral, derivative;
    const char* values[5];  // limit, P, I, D, all-on
  };
  const Tr trs[6] = {{2, 4, 5, 15, {"0.00", "1.50", "7.50", "300.00", "15.00"}},
                     {7, 4, 5, 15, {"80.00", "1.00", "5.00", "400.00", "90.00"}},
                     {7, 4, 5, 15, {"50.00", "1.00", "5.00", "400.00", "65.00"}},
                     {7, 4, 5, 15, {"80.00", "1.00", "5.00", "400.00", "90.00"}},
                     {3, 10, 10, 20, {"98.00", "3.00", "5.00", "50.00", "120.00"}},
                     {4, 4, 5, 15, {"95.00", "1.00", "5.00", "400.00", "110.00"}}};
  for (int n = 1; n <= 6; ++n) {
    const Tr& t = trs[n - 1];
    img.Enable(kTr, n).Set8(kTr, n, 2, t.usage);
    img.Set32(kTr, n, 3, LinkWord(n, 0, 0, t.smoothing, t.integral, t.derivative));
    img.SetDecimal(kTr, n, 19, t.values[0], 2);
    img.SetDecimal(kTr, n, 7, t.values[1], 2);
    img.SetDecimal(kTr, n, 11, t.values[2], 2);
    img.SetDecimal(kTr, n, 15, t.values[3], 2);
    img.SetDecimal(kTr, n, 23, t.values[4], 2);
  }

  struct Slot {
    int monitor;  // 0: none
    bool dependent;
    uint8_t setConfig;
  };
  struct Fc {
    uint8_t usage;
    Slot slots[4];
    uint16_t control;
    uint16_t dutyMin, dutyOn;
    const char* weightings[6];
  };
  const Fc fcs[2] = {{1,
                      {{1, false, 0x0E}, {}, {}, {}},
                      0x01C0,  // index 1, MIN, not inverted, 25000 Hz, 250 ms
                      2000,
                      2200,
                      {"100.00", "100.00", "100.00", "100.00", "5.00", "100.00"}},
                     {5,
                      {{2, true, 0x0F}, {3, true, 0x10}, {}, {}},
                      0x0101,  // index 2, MIN, not inverted, 10 Hz, 250 ms
                      3000,
                      3200,
                      {"20.00", "5.00", "100.00", "0.00", "100.00", "25.00"}}};
  for (int n = 1; n <= 2; ++n) {
    const Fc& f = fcs[n - 1];
    img.Enable(kFc, n).Set8(kFc, n, 2, f.usage).Set8(kFc, n, 3, 0x20).Set8(kFc, n, 4, uint8_t(0x1D + n));
    img.Set8(kFc, n, 5, uint8_t(0x21 + n)).Set8(kFc, n, 6, uint8_t(0x25 + n)).Set8(kFc, n, 7, uint8_t(0x29 + n));
    for (int k = 1; k <= 4; ++k) {
      const Slot& slot = f.slots[k - 1];
      if (slot.monitor == 0)
        SetFanSlot(img, n, k, 0, 0, false, 0, 0);
      else
        SetFanSlot(img, n, k, slot.monitor, 2, slot.dependent, slot.setConfig, 500);
    }
    img.Set16(kFc, n, 24, f.control);
    img.Set16(kFc, n, 26, f.dutyMin).Set16(kFc, n, 28, f.dutyOn).Set16(kFc, n, 30, 10000);
    for (int m = 0; m < 6; ++m) img.SetDecimal(kFc, n, 32 + size_t(m) * 4, f.weightings[m], 2);
  }
  return img;
}

DecodedPayload Decoded(TestImage& img, std::vector<Finding>* findings) {
  DecodedPayload p;
  std::vector<Finding> found;
  std::string err;
  EXPECT_TRUE(DecodePayload(img.bytes(), &p, findings ? findings : &found, &err)) << err;
  return p;
}

}  // namespace zefrdump::testing
