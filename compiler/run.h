#pragma once
// The whole compiler run: arguments, parse, then payload file or delivery.

#include <istream>
#include <string>
#include <vector>

#include "console.h"
#include "file_system.h"
#include "payload_image.h"

namespace zefr {

inline constexpr std::size_t kIniPathMax = 127;
inline constexpr std::size_t kPayloadPathMax = 132;

// What the run may be given instead of the real thing, for tests and benchmarks.
struct RunHooks {
  files::FileSystem* files = nullptr;                        // the INI and payload files; disk when null
  bool (*deliver)(const PayloadImage&, Console&) = nullptr;  // DeliverPayload when null
  PayloadImage* image = nullptr;                             // receives the finished image
};

// Runs the compiler; args exclude the program name. Returns the exit code.
int RunZefrCfg(const std::vector<std::string>& args, Console& out, std::istream& in);
int RunZefrCfg(const std::vector<std::string>& args, Console& out, std::istream& in, const RunHooks& hooks);

}  // namespace zefr
