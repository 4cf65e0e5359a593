// zefrdump: prints a payload file as the INI configuration it compiles from,
// or with --graph as a DOT picture of how its entities connect.
#include <cstdio>
#include <string>
#include <vector>

#include "zefrdump.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out, err;
  int code = zefrdump::Run(args, &out, &err);
  bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size() &&
                 std::fflush(stdout) == 0;
  std::fwrite(err.data(), 1, err.size(), stderr);
  if (!written) {
    // A dump cut short must not pass for a whole one.
    std::fputs("zefrdump: Unable to write the output\n", stderr);
    return 1;
  }
  return code;
}
