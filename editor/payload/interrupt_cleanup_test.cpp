#include "interrupt_cleanup.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace zefr {
namespace {

namespace fs = std::filesystem;

std::string MakeFolder() {
  std::string name = testing::TempDir() + "interrupt_cleanup-XXXXXX";
  return ::mkdtemp(name.data()) != nullptr ? name : std::string();
}

// Each case ends a child process with a signal while its files are watched.
TEST(InterruptCleanup, SignalRemovesTheWatchedFilesAndEndsAsBefore) {
  const struct {
    const char* name;
    int signal;
    bool otherFile;  // a file that is not watched keeps the folder
    bool unwatched;
  } cases[] = {
      {"terminate", SIGTERM, false, false},
      {"interrupt", SIGINT, false, false},
      {"hang-up", SIGHUP, false, false},
      {"abort", SIGABRT, false, false},
      {"a file of the user's stays, and the folder with it", SIGTERM, true, false},
      {"no longer watched", SIGTERM, false, true},
  };
  for (const auto& c : cases) {
    const std::string dir = MakeFolder();
    ASSERT_FALSE(dir.empty());
    for (const char* name : {"config.ini", "program"}) std::ofstream(dir + "/" + name) << "x";
    if (c.otherFile) std::ofstream(dir + "/payload.bin") << "kept";
    EXPECT_EXIT(
        {
          const int slot = WatchOnInterrupt(dir, {"config.ini", "program", "library"});
          if (c.unwatched) Unwatch(slot);
          ::raise(c.signal);
          std::_Exit(0);
        },
        testing::KilledBySignal(c.signal), "")
        << c.name;
    const bool gone = !c.unwatched;
    EXPECT_EQ(!fs::exists(dir + "/config.ini"), gone) << c.name;
    EXPECT_EQ(!fs::exists(dir + "/program"), gone) << c.name;
    EXPECT_EQ(!fs::exists(dir), gone && !c.otherFile) << c.name;
    fs::remove_all(dir);
  }
}

}  // namespace
}  // namespace zefr
