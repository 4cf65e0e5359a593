#include "delivery.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "console.h"
#include "delivery_messages.h"
#include "loader.h"
#include "run.h"
#include "sim_harness.h"
#include "win_error.h"

namespace zefr {
namespace {

namespace fs = std::filesystem;
using delivery::Subject;
using zefrsim::ReadFile;
using zefrsim::SimProcess;
using zefrsim::TempDir;

const std::string kAtx = std::string(ZEFR_SOURCE_DIR) + "/editor/res/ZefrCfgATX.ini";
const char kOpening[] = "Opening ZEFR Subsystem Connection...\n";
const char kCommunicating[] = "Communicating Payload to ZEFR Subsystem...\n";

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(DeliveryReport, EveryForm) {
  struct Case {
    int code;
    Subject subject;
    std::uint32_t lastError;
    int errorNumber;
    const char* text;
  } cases[] = {
      {1, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0001 (Command Not Supported)\n\n"},
      {2, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0002 (Configuration Update Disabled)\n\n"},
      {3, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0003 (Invalid Configuration Parameter)\n\n"},
      {4, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0004 (Incompatible Configuration Format)\n\n"},
      {5, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0005 (Communications Error)\n\n"},
      {6, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0006 (Sensor Error)\n\n"},
      {7, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0007 (Not Enough Memory to Process Request)\n\n"},
      {8, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0008 (Not Enough Resources to Process Request)\n\n"},
      {9, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0009 (Invalid Context)\n\n"},
      {10, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x000A (Invalid Command Packet Size)\n\n"},
      {11, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x000B (Invalid Response Packet Size)\n\n"},
      {12, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x000C (Unknown Error)\n\n"},
      {255, Subject::kCommunicate, 0, 0,
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x00FF (Unknown Error)\n\n"},
      {delivery::kSystemFailure, Subject::kConnect, win::kModNotFound, 0,
       "*** Unable to connect to ZEFR Subsystem!!\n"
       "   Windows CCode = 0x0000007E (The specified module could not be found.)\n\n"},
      {delivery::kSystemFailure, Subject::kCommunicate, win::kTimeout, 0,
       "*** Unable to communicate with ZEFR Subsystem!!\n"
       "   Windows CCode = 0x000005B4 (This operation returned because the timeout period expired.)\n\n"},
      {delivery::kSystemFailure, Subject::kCommunicate, 0, 0, "*** Unable to communicate with ZEFR Subsystem!!\n\n"},
      {delivery::kSystemFailure, Subject::kConnect, 54321, 0,
       "*** Unable to connect to ZEFR Subsystem!!\n   Windows CCode = 0x0000D431 (Unknown error)\n\n"},
      {delivery::kLibraryFailure, Subject::kAllocate, 0, ENOMEM,
       "*** Unable to allocate buffer for ZEFR Subsystem communications!!\n   ERRNO = 12 (Cannot allocate memory)\n\n"},
      {delivery::kLibraryFailure, Subject::kAllocate, 0, 0,
       "*** Unable to allocate buffer for ZEFR Subsystem communications!!\n\n"},
  };
  for (const Case& c : cases) {
    CaptureConsole out;
    win::SetLastError(c.lastError);
    errno = c.errorNumber;
    delivery::Report(out, c.code, c.subject);
    EXPECT_EQ(out.Text(), c.text) << c.code;
  }
}

TEST(DeliveryReport, FailingEntity) {
  struct Case {
    std::uint16_t word;
    const char* text;
  } cases[] = {
      {0x1D27, "    Failing Entity:    VoltageMonitor3\n    Failing Parameter: Unknown\n\n"},
      {0x1D26, ""},  // bit 0 clear
      {0x000F, ""},  // kind 7
      {0x0001, "    Failing Entity:    Payload Header1\n    Failing Parameter: Unknown\n\n"},
      {0x0531, "    Failing Entity:    Payload Header4\n    Failing Parameter: Unknown\n\n"},
      {0x00FD, "    Failing Entity:    Unknown16\n    Failing Parameter: Unknown\n\n"},
      {0x0E03, "    Failing Entity:    TemperatureMonitor1\n    Failing Parameter: TemperatureNonRecoverable\n\n"},
      {0x0FB3, "    Failing Entity:    TemperatureMonitor12\n    Failing Parameter: Unknown\n\n"},
      {0x0875, "    Failing Entity:    FanMonitor8\n    Failing Parameter: FanSpeedNonRecoverable\n\n"},
      {0x0A07, "    Failing Entity:    VoltageMonitor1\n    Failing Parameter: OverVoltageNonRecoverable\n\n"},
      {0x1009, "    Failing Entity:    TemperatureResponse1\n    Failing Parameter: PrimaryFanController\n\n"},
      {0x110B, "    Failing Entity:    FanController1\n    Failing Parameter: AssociatedFanSpeedMonitor3\n\n"},
      {0x070B, "    Failing Entity:    FanController1\n    Failing Parameter: AssociatedFanSpeedMonitor1\n\n"},
      {0x1A1B, "    Failing Entity:    FanController2\n    Failing Parameter: Fan4DependentMeasurement\n\n"},
      {0x1B7B, "    Failing Entity:    FanController8\n    Failing Parameter: PhysicalControllerIndex\n\n"},
      {0x2E7B, "    Failing Entity:    FanController8\n    Failing Parameter: TempResponse12Weighting\n\n"},
      {0x2F7B, "    Failing Entity:    FanController8\n    Failing Parameter: Unknown\n\n"},
      {0xC00B, "    Failing Entity:    FanController1\n    Failing Parameter: Enabled\n\n"},  // bits 14-15 unused
  };
  for (const Case& c : cases) {
    CaptureConsole out;
    delivery::PrintFailingEntity(out, c.word);
    EXPECT_EQ(out.Text(), c.text) << std::hex << c.word;
  }
}

// Delivery in this process: the test program sits beside ZefrComm.so, so the
// library is found where zefrcfg would find it.
class DeliveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("ZEFR_DEVICE_DIR", dir.path().c_str(), 1);
    CaptureConsole out;
    std::istringstream in;
    RunHooks hooks;
    hooks.image = &image;
    ASSERT_EQ(RunZefrCfg({kAtx, "-o", dir.File("written.bin")}, out, in, hooks), 0) << out.Text();
  }
  bool Deliver() {
    out.Clear();
    return DeliverPayload(image, out);
  }

  TempDir dir;
  SimProcess sim;
  PayloadImage image;
  CaptureConsole out;
};

TEST_F(DeliveryTest, Accepted) {
  ASSERT_TRUE(sim.Start(dir.path()));
  EXPECT_TRUE(Deliver());
  EXPECT_EQ(out.Text(), std::string(kOpening) + kCommunicating + "Payload Accepted.\n\n");
  EXPECT_TRUE(ReadFile(sim.StorePath()) == ReadFile(dir.File("written.bin")));
  // The library was unloaded: its connection is gone.
  for (int i = 0; i < 200 && sim.Log().find("closed by the host") == std::string::npos; ++i) usleep(5000);
  EXPECT_NE(sim.Log().find("closed by the host"), std::string::npos);
}

TEST_F(DeliveryTest, Refusals) {
  ASSERT_TRUE(sim.Start(dir.path()));
  struct Case {
    const char* settings;
    const char* text;
  } cases[] = {
      {"ccode=3@1 entity=0x1D27",
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0003 (Invalid Configuration Parameter)\n\n"
       "    Failing Entity:    VoltageMonitor3\n    Failing Parameter: Unknown\n\n"},
      {"ccode=12@1 entity=0x0001",
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x000C (Unknown Error)\n\n"
       "    Failing Entity:    Payload Header1\n    Failing Parameter: Unknown\n\n"},
      {"ccode=2@1 entity=0x1D26",
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0002 (Configuration Update Disabled)\n\n"},
      {"ccode=11@1 entity=0x000F",
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x000B (Invalid Response Packet Size)\n\n"},
      // The query itself comes back a byte short: the library fails it.
      {"ccode=6@1 entity=0x0E03 short=1@2",
       "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0006 (Sensor Error)\n\n"
       "*** Unable to communicate with ZEFR Subsystem!!\n"
       "   Windows CCode = 0x00000018 (The program issued a command but the command length is incorrect.)\n\n"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(sim.Control(std::string("reset ") + c.settings).rfind("ok", 0), 0u) << c.settings;
    EXPECT_FALSE(Deliver()) << c.settings;
    EXPECT_EQ(out.Text(), std::string(kOpening) + kCommunicating + c.text) << c.settings;
  }
  EXPECT_TRUE(ReadFile(sim.StorePath()).empty());
}

TEST_F(DeliveryTest, PayloadTheFirmwareCannotRead) {
  ASSERT_TRUE(sim.Start(dir.path()));
  image.bytes[4] = 2;  // version
  EXPECT_FALSE(Deliver());
  EXPECT_EQ(out.Text(), std::string(kOpening) + kCommunicating +
                            "*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0004 (Incompatible Configuration "
                            "Format)\n\n    Failing Entity:    Payload Header1\n    Failing Parameter: Unknown\n\n");
}

TEST_F(DeliveryTest, Failures) {
  struct Case {
    const char* name;
    std::vector<std::string> simArgs;  // none: no device at all
    const char* text;
  } cases[] = {
      {"no device", {},
       "Opening ZEFR Subsystem Connection...\n*** Unable to connect to ZEFR Subsystem!!\n"
       "   Windows CCode = 0x0000045A (A dynamic link library (DLL) initialization routine failed.)\n\n"},
      {"message length too small", {"--max-length", "100"},
       "Opening ZEFR Subsystem Connection...\nCommunicating Payload to ZEFR Subsystem...\n"
       "*** Unable to communicate with ZEFR Subsystem!!\n"
       "   Windows CCode = 0x00000018 (The program issued a command but the command length is incorrect.)\n\n"},
      {"accepted, but with a byte too many", {"--long", "1"},
       "Opening ZEFR Subsystem Connection...\nCommunicating Payload to ZEFR Subsystem...\n"
       "*** Unable to communicate with ZEFR Subsystem!!\n"
       "   Windows CCode = 0x00000018 (The program issued a command but the command length is incorrect.)\n\n"},
  };
  for (const Case& c : cases) {
    if (!c.simArgs.empty()) {
      ASSERT_TRUE(sim.Start(dir.path(), c.simArgs)) << c.name;
    }
    EXPECT_FALSE(Deliver()) << c.name;
    EXPECT_EQ(out.Text(), c.text) << c.name;
    sim.Stop();
  }
}

// The program itself, as a user or the editor runs it.
struct Ran {
  int exitCode = -1;
  std::string out;
};

Ran RunProgram(const std::string& program, const std::string& cwd, const std::string& args) {
  const std::string command = "cd '" + cwd + "' && env -u LD_LIBRARY_PATH '" + program + "' " + args + " 2>&1";
  Ran r;
  std::FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = ::pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST_F(DeliveryTest, ProgramDeliversWhatItWouldWrite) {
  ASSERT_TRUE(sim.Start(dir.path()));
  Ran r = RunProgram(ZEFRCFG_BINARY, dir.path(), "'" + kAtx + "'");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_TRUE(EndsWith(r.out, std::string("Parsing Successful.\n") + kOpening + kCommunicating +
                                  "Payload Accepted.\n\n"))
      << r.out;
  Ran w = RunProgram(ZEFRCFG_BINARY, dir.path(), "'" + kAtx + "' -o out.bin");
  ASSERT_EQ(w.exitCode, 0) << w.out;
  const std::string written = ReadFile(dir.File("out.bin"));
  EXPECT_EQ(written.size(), 1984u);
  EXPECT_TRUE(ReadFile(sim.StorePath()) == written);
}

// Which library a copy of the program takes: the one beside it, else the one
// in the installed place (found from the program's own folder), else none.
TEST_F(DeliveryTest, ProgramFindsItsLibraryBesideItOrInstalled) {
  const std::string installed = std::string(loader::kInstalledLibraryDir) + "/ZefrComm.so";
  const std::string missing = std::string(kOpening) +
                              "*** Unable to connect to ZEFR Subsystem!!\n"
                              "   Windows CCode = 0x0000007E (The specified module could not be found.)\n\n";
  const std::string noOrdinal = std::string(kOpening) +
                                "*** Unable to connect to ZEFR Subsystem!!\n"
                                "   Windows CCode = 0x0000007F (The specified procedure could not be found.)\n\n";
  const std::string accepted = std::string(kOpening) + kCommunicating + "Payload Accepted.\n\n";
  struct Case {
    const char* name;
    const char* beside;     // library placed beside the program copy, or none
    const char* installed;  // library placed in the installed place, or none
    int exitCode;
    const std::string& tail;
  } cases[] = {
      {"no library", nullptr, nullptr, 1, missing},
      {"no ordinal 1", ZEFRCOMM_WITHOUT_ORDINAL, nullptr, 1, noOrdinal},
      {"installed", nullptr, ZEFRCOMM_LIBRARY, 0, accepted},
      {"beside wins", ZEFRCOMM_WITHOUT_ORDINAL, ZEFRCOMM_LIBRARY, 1, noOrdinal},
      {"installed without ordinal 1", nullptr, ZEFRCOMM_WITHOUT_ORDINAL, 1, noOrdinal},
  };
  ASSERT_TRUE(sim.Start(dir.path()));
  int delivered = 0;
  for (const Case& c : cases) {
    TempDir alone;
    const fs::path bin = fs::path(alone.path()) / "bin";
    fs::create_directories(bin);
    fs::copy_file(ZEFRCFG_BINARY, bin / "zefrcfg");
    fs::permissions(bin / "zefrcfg", fs::perms::owner_all);
    if (c.beside != nullptr) fs::copy_file(c.beside, bin / "ZefrComm.so");
    if (c.installed != nullptr) {
      fs::create_directories((bin / installed).parent_path());
      fs::copy_file(c.installed, bin / installed);
    }
    Ran r = RunProgram((bin / "zefrcfg").string(), dir.path(), "'" + kAtx + "'");
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name;
    EXPECT_TRUE(EndsWith(r.out, c.tail)) << c.name << "\n" << r.out;
    delivered += c.exitCode == 0;
  }
  EXPECT_EQ(sim.Stat("connects"), delivered);
}

// A connection the device never takes, left in its queue; -1 once the queue is full.
int Abandoned(const std::string& socketPath) {
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, socketPath.c_str(), sizeof a.sun_path - 1);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TEST_F(DeliveryTest, SlowStoppedDeviceWithAFullQueueEndsTheProgram) {
  ASSERT_TRUE(sim.Start(dir.path()));
  ASSERT_EQ(::kill(sim.pid(), SIGSTOP), 0);
  struct Resume {
    pid_t pid;
    ~Resume() { ::kill(pid, SIGCONT); }  // so that it can be stopped for good
  } resume{sim.pid()};
  // What earlier deliveries to a stopped device leave behind.
  std::vector<int> queued;
  for (int fd; queued.size() < 100 && (fd = Abandoned(sim.SocketPath())) >= 0;) queued.push_back(fd);
  const auto start = std::chrono::steady_clock::now();
  Ran r = RunProgram("timeout", dir.path(), std::string("60 '") + ZEFRCFG_BINARY + "' '" + kAtx + "'");
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (int fd : queued) ::close(fd);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_TRUE(EndsWith(r.out, std::string(kOpening) + kCommunicating +
                                  "*** Unable to communicate with ZEFR Subsystem!!\n"
                                  "   Windows CCode = 0x000005B4 (This operation returned because the timeout "
                                  "period expired.)\n\n"))
      << r.out;
  EXPECT_LT(took, 30.0);
}

// zefrsim run by another user with a umask of 0, as anybody could run it in
// a directory that everyone may write to.
class ImpostorSim {
 public:
  ~ImpostorSim() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  bool Start(const std::string& deviceDir, const std::string& store) {
    const passwd* pw = ::getpwnam("nobody");
    if (pw == nullptr) return false;
    const uid_t uid = pw->pw_uid;
    const gid_t gid = pw->pw_gid;
    const std::string socketPath = deviceDir + "/{E2D1FF34-3458-49A9-88DA-8E6915CE9BE5}.0";
    pid_ = ::fork();
    if (pid_ == 0) {
      ::umask(0);
      if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(3);
      ::execl(ZEFRSIM_BINARY, ZEFRSIM_BINARY, "--dir", deviceDir.c_str(), "--index", "0", "--store", store.c_str(),
              "--quiet", static_cast<char*>(nullptr));
      ::_exit(3);
    }
    struct stat st;
    for (int i = 0; pid_ > 0 && i < 1000; ++i) {
      if (::lstat(socketPath.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) return st.st_uid == uid;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

 private:
  pid_t pid_ = -1;
};

TEST_F(DeliveryTest, AnotherUsersSimulatorIsNeverTheDevice) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a simulator as another user";
  struct Case {
    const char* name;
    bool genuine;  // our own simulator serves index 1 as well
    int exitCode;
    const char* tail;
  } cases[] = {
      {"impostor alone", false, 1,
       "Opening ZEFR Subsystem Connection...\n*** Unable to connect to ZEFR Subsystem!!\n"
       "   Windows CCode = 0x0000045A (A dynamic link library (DLL) initialization routine failed.)\n\n"},
      {"impostor first, ours next", true, 0,
       "Opening ZEFR Subsystem Connection...\nCommunicating Payload to ZEFR Subsystem...\nPayload Accepted.\n\n"},
  };
  for (const Case& c : cases) {
    // A shared directory such as /tmp: everyone may create entries in it.
    TempDir top;
    const std::string shared = top.File("shared");
    ASSERT_EQ(::chmod(top.path().c_str(), 0711), 0) << c.name;
    ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0) << c.name;
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0) << c.name;
    ::setenv("ZEFR_DEVICE_DIR", shared.c_str(), 1);
    ImpostorSim impostor;
    ASSERT_TRUE(impostor.Start(shared, shared + "/stolen.bin")) << c.name;
    SimProcess ours;
    if (c.genuine) {
      ASSERT_TRUE(ours.Start(shared, {}, "1")) << c.name;
    }
    Ran r = RunProgram(ZEFRCFG_BINARY, dir.path(), "'" + kAtx + "'");
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << "\n" << r.out;
    EXPECT_TRUE(EndsWith(r.out, c.tail)) << c.name << "\n" << r.out;
    EXPECT_FALSE(fs::exists(shared + "/stolen.bin")) << c.name;
    if (c.genuine) {
      EXPECT_TRUE(ReadFile(ours.StorePath()) == ReadFile(dir.File("written.bin"))) << c.name;
    }
  }
}

}  // namespace
}  // namespace zefr
