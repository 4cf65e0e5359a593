#pragma once
// The whole compiler run: arguments, parse, then payload file or delivery.

#include <istream>
#include <string>
#include <vector>

#include "console.h"
#include "ini_reader.h"
#include "payload_file.h"
#include "payload_image.h"

namespace zefr {

inline constexpr std::size_t kIniPathMax = 127;
inline constexpr std::size_t kPayloadPathMax = 132;

// What the run may be given instead of the real thing, for tests and benchmarks.
struct RunHooks {
  FileLoader loader;                                        // INI reader's file access; disk when empty
  bool (*deliver)(const PayloadImage&, Console&) = nullptr;  // DeliverPayload when null
  PayloadFileWriter::WriteFn write = nullptr;               // ::write when null
  PayloadImage* image = nullptr;                            // receives the finished image
};

// Runs the compiler; args exclude the program name. Returns the exit code.
int RunZefrCfg(const std::vector<std::string>& args, Console& out, std::istream& in);
int RunZefrCfg(const std::vector<std::string>& args, Console& out, std::istream& in, const RunHooks& hooks);

}  // namespace zefr
