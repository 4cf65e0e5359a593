// zefrlint: every problem zefrcfg would find in configuration files, each at
// its line and column.
#include <cstdio>
#include <string>
#include <vector>

#include "lint.h"
#include "lsp_server.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--lsp") return zefr::lint::ServeLsp(0, 1);
  std::string out, err;
  int code = zefr::lint::Run(args, &out, &err);
  const bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0;
  std::fwrite(err.data(), 1, err.size(), stderr);
  if (!written) {
    // A report cut short must not pass for a clean one.
    std::fputs("zefrlint: Unable to write the output\n", stderr);
    return zefr::lint::kBadInput;
  }
  return code;
}
