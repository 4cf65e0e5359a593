#include <iostream>

#include "run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  zefr::StdoutConsole console;
  int rc = zefr::RunZefrCfg(args, console, std::cin);
  console.Flush();
  return rc;
}
