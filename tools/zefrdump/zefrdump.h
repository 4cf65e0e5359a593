// The zefrdump run: arguments in, INI or DOT text on `out`, warnings and
// failures on `err`, exit code back.
#pragma once

#include <string>
#include <vector>

namespace zefrdump {

inline constexpr const char* kUsage = "Use: zefrdump [--graph] PAYLOAD.bin";
// What --help prints after the usage line.
inline constexpr const char* kHelp =
    "Prints a 1984-byte payload file as the INI configuration it compiles from.\n"
    "\n"
    "  --graph    print how the enabled entities connect, as a Graphviz DOT graph\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Warnings go to standard error. Exit status: 0 when the payload was read,\n"
    "1 for bad arguments or a file that is not a readable payload.\n";

// `args` excludes the program name. Returns 0 when the payload decoded
// (warnings or not) and for --help or --version, 1 on bad arguments or a
// payload that cannot be read.
// Nothing reaches `out` unless the whole payload decoded.
int Run(const std::vector<std::string>& args, std::string* out, std::string* err);

}  // namespace zefrdump
