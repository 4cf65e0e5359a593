// Any bytes as a configuration file: the parse must end, cleanly.
#include <cstddef>
#include <cstdint>
#include <string>

#include "parse_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zefr::ProfileReader reader(
      zefr::MemoryLoader({{"fuzz.ini", std::string(reinterpret_cast<const char*>(data), size)}}));
  zefr::CaptureConsole out;
  zefr::PayloadImage image;
  zefr::ParseConfiguration("fuzz.ini", reader, out, image);
  return 0;
}
