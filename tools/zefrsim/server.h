#pragma once
// Serves the simulated firmware on a SOCK_SEQPACKET socket until a stop
// signal arrives.

#include <cstdio>
#include <string>

#include "firmware.h"

namespace zefrsim {

struct ServerOptions {
  std::string socketPath;
  std::FILE* log = nullptr;  // nullptr: quiet
};

// Binds the socket (replacing one nobody serves), serves until SIGINT or
// SIGTERM, then removes it. Returns the process exit code.
int Serve(Firmware& firmware, const ServerOptions& options);

}  // namespace zefrsim
