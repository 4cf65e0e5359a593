// A library of the link library's file name that binds no ordinal: it
// exports the entry by name only, as a build without the ordinal would.

#include <cstdint>

extern "C" __attribute__((visibility("default"))) int ZefrCommand(const std::uint8_t*, std::uint32_t,
                                                                  std::uint8_t*, std::uint32_t) {
  return 0;
}
