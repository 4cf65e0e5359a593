// zefrsim: a stand-in for the Zefr firmware and its driver, so that delivery
// can be tried and tested without a board.

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "firmware.h"
#include "server.h"

namespace {

constexpr const char* kClassText = "{E2D1FF34-3458-49A9-88DA-8E6915CE9BE5}";

void Usage(std::FILE* to) {
  std::fputs(
      "Use: zefrsim [options]\n"
      "  --dir DIR          device directory (default $ZEFR_DEVICE_DIR, else /run/zefr)\n"
      "  --index N          interface index in the socket's name (default 0)\n"
      "  --store FILE       where the last accepted payload is written (default zefrsim-payload.bin)\n"
      "  --max-length N     maximum message length the connect reply gives (default 4096)\n"
      "  --log FILE         log each exchange to FILE (default standard error)\n"
      "  --quiet            log nothing\n"
      "  --help             print this help and exit\n"
      "  --version          print the version and exit\n"
      "Faults (each also as a control message; @N limits one to the next N occasions):\n"
      "  --ccode N          answer the payload command with completion code N\n"
      "  --entity WORD      failing-entity word the failure query reports after --ccode\n"
      "  --delay MS         wait MS milliseconds before each response\n"
      "  --drop             never answer requests\n"
      "  --short N          answer N bytes short\n"
      "  --long N           answer N bytes long\n"
      "  --close            close the connection instead of answering\n"
      "  --refuse-connect   close the connection on every connect request\n"
      "  --fault SETTING    any setting as KEY[=VALUE][@N]: ccode, entity, delay, drop, short,\n"
      "                     long, close, refuse, maxlen, echo, reset\n"
      "A connection whose first message is \"zefrsim: SETTING...\" changes settings while running\n"
      "and is answered with the counters (\"zefrsim: stats\" only reads them).\n"
      "Runs until SIGINT or SIGTERM, then removes its socket. Exit status: 0 after a clean\n"
      "stop, 1 when it cannot serve, 2 for bad arguments.\n",
      to);
}

}  // namespace

int main(int argc, char** argv) {
  const char* envDir = std::getenv("ZEFR_DEVICE_DIR");
  std::string dir = envDir != nullptr && *envDir != '\0' ? envDir : "/run/zefr";
  std::string index = "0";
  std::string store = "zefrsim-payload.bin";
  std::string logPath;
  bool quiet = false;
  std::vector<std::string> settingList;

  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "zefrsim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      Usage(stdout);
      return 0;
    } else if (a == "--version") {
      std::fputs("zefrsim (Zefr) " ZEFR_VERSION "\n", stdout);
      return 0;
    } else if (a == "--dir") {
      dir = value();
    } else if (a == "--index") {
      index = value();
    } else if (a == "--store") {
      store = value();
    } else if (a == "--log") {
      logPath = value();
    } else if (a == "--quiet") {
      quiet = true;
    } else if (a == "--max-length") {
      settingList.push_back("maxlen=" + value());
    } else if (a == "--ccode") {
      settingList.push_back("ccode=" + value());
    } else if (a == "--entity") {
      settingList.push_back("entity=" + value());
    } else if (a == "--delay") {
      settingList.push_back("delay=" + value());
    } else if (a == "--short") {
      settingList.push_back("short=" + value());
    } else if (a == "--long") {
      settingList.push_back("long=" + value());
    } else if (a == "--drop") {
      settingList.push_back("drop");
    } else if (a == "--close") {
      settingList.push_back("close");
    } else if (a == "--refuse-connect") {
      settingList.push_back("refuse");
    } else if (a == "--fault") {
      settingList.push_back(value());
    } else {
      std::fprintf(stderr, "zefrsim: unknown option %s\n", a.c_str());
      Usage(stderr);
      return 2;
    }
  }
  if (index.empty() || index.find_first_not_of("0123456789") != std::string::npos) {
    std::fprintf(stderr, "zefrsim: --index needs a number\n");
    return 2;
  }

  zefrsim::Firmware firmware(store);
  for (const std::string& s : settingList) {
    std::string error;
    if (!firmware.settings().Apply(s, &error)) {
      std::fprintf(stderr, "zefrsim: %s\n", error.c_str());
      return 2;
    }
  }

  if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "zefrsim: cannot create %s: %s\n", dir.c_str(), std::strerror(errno));
    return 1;
  }
  std::FILE* log = quiet ? nullptr : stderr;
  if (!quiet && !logPath.empty()) {
    log = std::fopen(logPath.c_str(), "a");
    if (log == nullptr) {
      std::fprintf(stderr, "zefrsim: cannot open %s: %s\n", logPath.c_str(), std::strerror(errno));
      return 1;
    }
  }
  zefrsim::ServerOptions options{dir + "/" + kClassText + "." + index, log};
  int rc = zefrsim::Serve(firmware, options);
  if (log != nullptr && log != stderr) std::fclose(log);
  return rc;
}
