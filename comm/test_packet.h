#pragma once
// Request packets for the tests: command, data length L, response length R,
// then the data.

#include <cstdint>
#include <vector>

namespace zefr::comm_test {

inline std::vector<std::uint8_t> Packet(std::uint8_t command, std::uint16_t responseLength,
                                        std::vector<std::uint8_t> data = {}) {
  std::vector<std::uint8_t> p = {command, static_cast<std::uint8_t>(data.size()),
                                 static_cast<std::uint8_t>(data.size() >> 8),
                                 static_cast<std::uint8_t>(responseLength),
                                 static_cast<std::uint8_t>(responseLength >> 8)};
  // (a plain insert of nothing trips a false bounds warning of GCC 12)
  for (std::uint8_t b : data) p.push_back(b);
  return p;
}

}  // namespace zefr::comm_test
