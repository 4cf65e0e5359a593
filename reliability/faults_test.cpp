// Failures part-way: a disk that fills during a write, a simulator that dies
// during a send, an INI file that another program changes while the editor
// has it open. Each must end in a reported failure, never in a lost or
// half-written file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "programs.h"
#include "scratch_dir.h"
#include "sim_harness.h"

namespace zefr::reliability {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kAtx = ZEFR_SOURCE_DIR "/editor/res/ZefrCfgATX.ini";

// Whether the zefrcfg program compiles the text.
bool Compiles(const fs::path& dir, const std::string& text) { return CompileWithProgram(dir, text).ok; }

// --- Payload file ---------------------------------------------------------

TEST(FullDisk, PayloadWriteThatFailsKeepsTheOldFile) {
  const std::string old = "the payload written yesterday";
  for (const long limit : {0L, 1L, 512L, 1983L}) {
    ScratchDir dir;
    fs::copy_file(kAtx, dir.path() / "cfg.ini");
    Put(dir.path() / "out.bin", old);
    const Spawned s = RunZefrcfg(dir.path(), {"cfg.ini", "-o", "out.bin"}, limit);
    EXPECT_EQ(s.exitCode, 1) << "limit " << limit;
    EXPECT_TRUE(EndsWith(s.out, "Writing Payload file \"out.bin\"...\nWrite failed, cond = \"File too large\"!!\n\n"))
        << "limit " << limit << "\n" << s.out;
    EXPECT_EQ(Slurp(dir.path() / "out.bin"), old) << "limit " << limit;
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"cfg.ini", "out.bin"})) << "limit " << limit;
  }
  // Room for exactly the payload is enough.
  ScratchDir dir;
  fs::copy_file(kAtx, dir.path() / "cfg.ini");
  Put(dir.path() / "out.bin", old);
  const Spawned s = RunZefrcfg(dir.path(), {"cfg.ini", "-o", "out.bin"}, 1984);
  EXPECT_EQ(s.exitCode, 0) << s.out;
  EXPECT_EQ(fs::file_size(dir.path() / "out.bin"), 1984u);
}

// --- The editor's document ------------------------------------------------

// Sets a file size limit for this process until the end of the scope.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim = old_;
    lim.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lim);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, handler_);
  }

 private:
  rlimit old_{};
  void (*handler_)(int) = nullptr;
};

TEST(FullDisk, DocumentSaveThatFailsKeepsTheOldFileAndSaysWhy) {
  for (const WriteMode mode : {WriteMode::Save, WriteMode::SaveAs}) {
    for (const rlim_t limit : {rlim_t{0}, rlim_t{100}, rlim_t{8192}}) {
      ScratchDir dir;
      const fs::path path = dir.path() / "cfg.ini";
      fs::copy_file(kAtx, path);
      const std::string original = Slurp(path);
      Editor e;
      ASSERT_TRUE(e.doc.Load(path.string()).ok);
      e.Edit("TemperatureMonitor2", "TemperatureCritical", "71.00");
      std::string error;
      bool saved;
      {
        FileSizeLimit full(limit);
        saved = e.doc.Write(path.string(), mode, &error);
      }
      EXPECT_FALSE(saved) << "limit " << limit;
      EXPECT_EQ(error, "Cannot write \"" + path.string() + "\": File too large") << "limit " << limit;
      EXPECT_EQ(Slurp(path), original) << "limit " << limit;
      EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"cfg.ini"}) << "limit " << limit;
      // With room again, the same document saves.
      ASSERT_TRUE(e.doc.Write(path.string(), mode, &error)) << error;
      EXPECT_NE(Slurp(path).find("TemperatureCritical=71.00"), std::string::npos);
    }
  }
}

// Another program edits the file between Load and Save: its lines stay, the
// user's edit lands, and the file still compiles.
TEST(ChangedOnDisk, SaveMergesIntoWhatIsThereNow) {
  ScratchDir dir;
  const fs::path path = dir.path() / "cfg.ini";
  fs::copy_file(kAtx, path);
  Editor e;
  ASSERT_TRUE(e.doc.Load(path.string()).ok);

  std::string changed = Slurp(path);
  changed.insert(0, "; checked in by the board team\n");
  const std::string anchor = "[TemperatureMonitor2]\n";
  changed.insert(changed.find(anchor) + anchor.size(), "Revision=7\n");
  changed += "\n[BoardNotes]\nOwner=bench\n";
  Put(path, changed);

  e.Edit("TemperatureMonitor2", "TemperatureCritical", "71.00");
  std::string error;
  ASSERT_TRUE(e.doc.Write(path.string(), WriteMode::Save, &error)) << error;
  const std::string saved = Slurp(path);
  for (const char* line : {"; checked in by the board team\n", "Revision=7\n", "[BoardNotes]\nOwner=bench\n",
                           "TemperatureCritical=71.00"})
    EXPECT_NE(saved.find(line), std::string::npos) << line;
  EXPECT_TRUE(Compiles(dir.path(), saved));
}

// Another program keeps replacing the file, whole, while the editor saves
// again and again: every save leaves a whole file, never a mix or a stump.
TEST(ChangedOnDisk, SavesRacingAnotherWriterLeaveWholeFiles) {
  ScratchDir dir, scratch;
  const fs::path path = dir.path() / "cfg.ini";
  const std::string atx = Slurp(kAtx);
  const std::string versions[2] = {"; version A\n" + atx + "[End]\nMarker=A\n",
                                   "; version B\n" + atx + "[End]\nMarker=B\n"};
  Put(path, versions[0]);
  Editor e;
  ASSERT_TRUE(e.doc.Load(path.string()).ok);

  std::atomic<bool> stop{false};
  std::thread other([&] {
    const fs::path temp = dir.path() / "other.tmp";
    for (int i = 0; !stop; ++i) {
      Put(temp, versions[i % 2]);
      std::error_code ec;
      fs::rename(temp, path, ec);
    }
  });
  int failures = 0;
  for (int i = 0; i < 40; ++i) {
    e.Edit("TemperatureMonitor2", "TemperatureCritical", i % 2 ? "71.00" : "72.00");
    std::string error;
    if (!e.doc.Write(path.string(), WriteMode::Save, &error)) ++failures;
    const std::string now = Slurp(path);
    const bool whole = (now.rfind("; version A\n", 0) == 0 && EndsWith(now, "[End]\nMarker=A\n")) ||
                       (now.rfind("; version B\n", 0) == 0 && EndsWith(now, "[End]\nMarker=B\n"));
    ASSERT_TRUE(whole) << "save " << i << ":\n" << now.substr(0, 200);
    ASSERT_TRUE(Compiles(scratch.path(), now)) << "save " << i;
  }
  stop = true;
  other.join();
  EXPECT_EQ(failures, 0);
  fs::remove(dir.path() / "other.tmp");
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"cfg.ini"});
}

// --- Delivery -------------------------------------------------------------

// The firmware side dies while the payload is on its way: the compiler must
// report the communication failure, not hang and not claim success, within
// the library's bound (ten attempts of one-second steps and pauses).
TEST(SimulatorKilled, MidSendGivesTheCommunicationFailure) {
  zefrsim::TempDir devices;
  ScratchDir dir;
  fs::copy_file(kAtx, dir.path() / "cfg.ini");
  zefrsim::SimProcess sim;
  // Slow to answer, so the kill lands while the payload is in flight.
  ASSERT_TRUE(sim.Start(devices.path(), {"--delay", "900"}));
  ::setenv("ZEFR_DEVICE_DIR", devices.path().c_str(), 1);

  const auto start = Clock::now();
  std::thread killer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    ::kill(sim.pid(), SIGKILL);
  });
  const Spawned s = RunZefrcfg(dir.path(), {"cfg.ini"});
  const double took = std::chrono::duration<double>(Clock::now() - start).count();
  killer.join();
  ::unsetenv("ZEFR_DEVICE_DIR");

  EXPECT_EQ(s.exitCode, 1) << s.out;
  const std::string sent = "Opening ZEFR Subsystem Connection...\nCommunicating Payload to ZEFR Subsystem...\n"
                           "*** Unable to communicate with ZEFR Subsystem!!\n   Windows CCode = 0x";
  EXPECT_NE(s.out.find(sent), std::string::npos) << s.out;
  EXPECT_EQ(s.out.find("Payload Accepted."), std::string::npos) << s.out;
  EXPECT_TRUE(EndsWith(s.out, ")\n\n")) << s.out;
  EXPECT_LT(took, 25.0);
}

}  // namespace
}  // namespace zefr::reliability
