// paramdoc [output-path]: writes the parameter reference (to standard output
// without a path).
#include <cstdio>
#include <fstream>
#include <iostream>

#include "parameter_reference.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "Use: paramdoc [output-path]\n");
    return 1;
  }
  const std::string text = zefr::ParameterReference(zefr::ParameterSchema());
  if (argc == 1) {
    std::cout << text;
    return std::cout ? 0 : 1;
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) {
    std::fprintf(stderr, "paramdoc: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
