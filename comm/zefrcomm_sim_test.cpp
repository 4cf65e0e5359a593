// The shipped library, loaded by file name as the compiler loads it, talking
// to zefrsim through a private device directory.

#include <dlfcn.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "ZefrComm.h"
#include "sim_harness.h"
#include "test_packet.h"
#include "win_error.h"

namespace {

using zefrsim::SimProcess;
using zefrsim::TempDir;
using Clock = std::chrono::steady_clock;
using zefr::comm_test::Packet;

std::vector<std::uint8_t> Payload() {
  std::vector<std::uint8_t> p(1984, 0);
  const std::uint8_t header[8] = {0x52, 0x46, 0x45, 0x5A, 1, 0, 0xC0, 0x07};
  std::copy(header, header + 8, p.begin());
  const int kinds[5][4] = {{1, 8, 12, 37}, {2, 452, 8, 14}, {3, 564, 8, 33}, {4, 828, 12, 43}, {5, 1344, 8, 80}};
  for (const auto& k : kinds) {
    for (int i = 0; i < k[2]; ++i) {
      int word = k[0] | (i << 3) | (k[3] << 9);
      p[k[1] + i * k[3]] = static_cast<std::uint8_t>(word);
      p[k[1] + i * k[3] + 1] = static_cast<std::uint8_t>(word >> 8);
    }
  }
  p[1010] = 0x5A;  // something beyond the headers, to see it arrive
  return p;
}

class Library {
 public:
  // Loads the library the way the compiler's loader does; 0 or the load's error.
  std::uint32_t Load() {
    handle_ = ::dlopen(ZEFRCOMM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) return zefr::win::kModNotFound;
    table_ = static_cast<const ZefrCommOrdinalTable*>(::dlsym(handle_, ZEFRCOMM_ORDINAL_TABLE_SYMBOL));
    if (table_ == nullptr || table_->count < 2 || table_->entries[1] == nullptr) {
      Unload();
      return zefr::win::kProcNotFound;
    }
    if (std::uint32_t e = table_->attachResult()) {
      Unload();
      return e;
    }
    call_ = reinterpret_cast<ZefrCommandProc>(table_->entries[1]);
    return 0;
  }
  void Unload() {
    if (handle_ != nullptr) ::dlclose(handle_);
    handle_ = nullptr;
    table_ = nullptr;
    call_ = nullptr;
  }
  ~Library() { Unload(); }

  int Call(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>& response) {
    return call_(request.data(), static_cast<std::uint32_t>(request.size()), response.data(),
                 static_cast<std::uint32_t>(response.size()));
  }
  // Sends with a response buffer of exactly R bytes.
  int Call(const std::vector<std::uint8_t>& request) {
    std::vector<std::uint8_t> response(request[3] | (request[4] << 8));
    return Call(request, response);
  }
  std::uint32_t LastError() const { return table_->lastError(); }
  ZefrCommandProc call() const { return call_; }
  bool Exports(const char* name) const { return ::dlsym(handle_, name) != nullptr; }

 private:
  void* handle_ = nullptr;
  const ZefrCommOrdinalTable* table_ = nullptr;
  ZefrCommandProc call_ = nullptr;
};

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

class SimLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("ZEFR_DEVICE_DIR", dir.path().c_str(), 1);
  }
  void StartAndLoad(const std::vector<std::string>& args = {}) {
    ASSERT_TRUE(sim.Start(dir.path(), args));
    ASSERT_EQ(lib.Load(), 0u);
  }

  TempDir dir;
  SimProcess sim;
  Library lib;
};

TEST_F(SimLinkTest, LoadFailsWithoutADevice) {
  EXPECT_EQ(lib.Load(), zefr::win::kDllInitFailed);
  // Something of the interface's name that is not a socket is no device either.
  std::ofstream(dir.File("{E2D1FF34-3458-49A9-88DA-8E6915CE9BE5}.0")) << "x";
  EXPECT_EQ(lib.Load(), zefr::win::kDllInitFailed);
  ::setenv("ZEFR_DEVICE_DIR", dir.File("missing").c_str(), 1);
  EXPECT_EQ(lib.Load(), zefr::win::kDllInitFailed);
}

TEST_F(SimLinkTest, OnlyTheEntryAndTheOrdinalTableAreVisible) {
  StartAndLoad();
  EXPECT_TRUE(lib.Exports("ZefrCommand"));
  EXPECT_TRUE(lib.Exports(ZEFRCOMM_ORDINAL_TABLE_SYMBOL));
  EXPECT_FALSE(lib.Exports("_ZN4zefr4comm13ProcessAttachEv"));
}

TEST_F(SimLinkTest, DiscoveryTakesTheLowestIndexThatIsASocket) {
  // index 0 is not a socket; index 2 and index 10 are served.
  std::ofstream(dir.File("{E2D1FF34-3458-49A9-88DA-8E6915CE9BE5}.0")) << "x";
  SimProcess ten, two;
  ASSERT_TRUE(ten.Start(dir.path(), {}, "10"));
  ASSERT_TRUE(two.Start(dir.path(), {}, "2"));
  ASSERT_EQ(lib.Load(), 0u);
  ASSERT_EQ(lib.Call(Packet(0, 6)), 1);
  EXPECT_EQ(two.Stat("connects"), 1);
  EXPECT_EQ(ten.Stat("connects"), 0);
}

TEST_F(SimLinkTest, PayloadArrivesAndTheConnectionIsKept) {
  StartAndLoad();
  auto payload = Payload();
  auto request = Packet(3, 1, payload);
  ASSERT_EQ(request.size(), 1989u);
  std::vector<std::uint8_t> response(1, 0xEE);
  ASSERT_EQ(lib.Call(request, response), 1);
  EXPECT_EQ(response[0], 0);
  EXPECT_TRUE(zefrsim::ReadFile(sim.StorePath()) == std::string(payload.begin(), payload.end()));
  ASSERT_EQ(lib.Call(request, response), 1);
  EXPECT_EQ(sim.Stat("connects"), 1);
  EXPECT_EQ(sim.Stat("requests"), 2);
}

TEST_F(SimLinkTest, BadHeaderNeverReachesTheDevice) {
  StartAndLoad();
  EXPECT_EQ(lib.Call(Packet(142, 1)), 0);
  EXPECT_EQ(lib.LastError(), zefr::win::kBadCommand);
  auto counted = Packet(17, 3, {0, 4, 2, 0, 0, 0, 0, 0});  // L must be 7
  EXPECT_EQ(lib.Call(counted), 0);
  EXPECT_EQ(lib.LastError(), zefr::win::kBadFormat);
  EXPECT_EQ(sim.Stat("connects"), 0);
  EXPECT_EQ(sim.Stat("requests"), 0);
  ASSERT_EQ(lib.Call(Packet(17, 3, {0, 4, 2, 0, 0, 0, 0})), 1);
  ASSERT_EQ(lib.Call(Packet(141, 1)), 1);
}

TEST_F(SimLinkTest, NoResponseExpected) {
  StartAndLoad();
  auto start = Clock::now();
  ASSERT_EQ(lib.Call(Packet(9, 0, {1, 2, 3})), 1);
  EXPECT_LT(Seconds(start), 0.5);
  // Packets stay paired afterwards.
  std::vector<std::uint8_t> response(6, 0xEE);
  ASSERT_EQ(lib.Call(Packet(0, 6), response), 1);
  EXPECT_EQ(response, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0}));
}

TEST_F(SimLinkTest, ResponsesOfTheWrongLength) {
  StartAndLoad({"--fault", "echo"});
  struct Case {
    const char* fault;
    std::vector<std::uint8_t> request;
    int result;
    std::uint32_t error;
    std::vector<std::uint8_t> buffer;  // R bytes and a guard byte after the call
  } cases[] = {
      // Command 9 is answered with code 1 and its own data.
      {"short=2@1", Packet(9, 4, {7, 8, 9}), 1, 0, {1, 7, 0xEE, 0xEE, 0xEE}},
      {"long=3@1", Packet(9, 4, {7, 8, 9}), 1, 0, {1, 7, 8, 9, 0xEE}},
      {"short=3@1", Packet(0, 6), 0, zefr::win::kBadLength, std::vector<std::uint8_t>(7, 0xEE)},
      {"long=1@1", Packet(0, 6), 0, zefr::win::kBadLength, std::vector<std::uint8_t>(7, 0xEE)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(sim.Control(c.fault).rfind("ok", 0), 0u) << c.fault;
    const long before = sim.Stat("requests");
    std::vector<std::uint8_t> buffer(c.buffer.size(), 0xEE);
    const std::uint32_t r = c.request[3];
    EXPECT_EQ(lib.call()(c.request.data(), static_cast<std::uint32_t>(c.request.size()), buffer.data(), r),
              c.result)
        << c.fault;
    if (c.result == 0) {
      EXPECT_EQ(lib.LastError(), c.error) << c.fault;
    }
    EXPECT_EQ(buffer, c.buffer) << c.fault;
    // A delivered response or a length mismatch: either way no second attempt.
    EXPECT_EQ(sim.Stat("requests"), before + 1) << c.fault;
    EXPECT_EQ(sim.Stat("connects"), 1) << c.fault;
  }
}

TEST_F(SimLinkTest, MaximumMessageLengthTooSmall) {
  StartAndLoad({"--max-length", "1988"});
  EXPECT_EQ(lib.Call(Packet(3, 1, Payload())), 0);
  EXPECT_EQ(lib.LastError(), zefr::win::kBadLength);
  EXPECT_EQ(sim.Stat("connects"), 1);
  EXPECT_EQ(sim.Stat("requests"), 0);
  ASSERT_EQ(lib.Call(Packet(0, 6)), 1);
}

TEST_F(SimLinkTest, FailedAttemptsReconnect) {
  StartAndLoad();
  ASSERT_EQ(lib.Call(Packet(0, 6)), 1);
  struct Case {
    const char* fault;
    double atLeast;  // seconds: the pause, plus a time-out where the device kept quiet
  } cases[] = {{"close@1", 1.0}, {"delay=1500@1", 2.0}, {"drop@1", 2.0}};
  long connects = 1;
  for (const Case& c : cases) {
    ASSERT_EQ(sim.Control(c.fault).rfind("ok", 0), 0u);
    auto start = Clock::now();
    std::vector<std::uint8_t> response(6, 0xEE);
    EXPECT_EQ(lib.Call(Packet(0, 6), response), 1) << c.fault;
    double took = Seconds(start);
    EXPECT_GE(took, c.atLeast - 0.05) << c.fault;
    EXPECT_LT(took, c.atLeast + 1.0) << c.fault;
    EXPECT_EQ(response[0], 0) << c.fault;
    EXPECT_EQ(sim.Stat("connects"), ++connects) << c.fault;
  }
}

TEST_F(SimLinkTest, ConnectionRefused) {
  StartAndLoad({"--refuse-connect"});
  auto start = Clock::now();
  EXPECT_EQ(lib.Call(Packet(0, 6)), 0);
  EXPECT_EQ(lib.LastError(), zefr::win::kDeviceNotConnected);
  EXPECT_GE(Seconds(start), 4.9);  // five tries, each followed by its pause
  EXPECT_LT(Seconds(start), 7.0);
  EXPECT_EQ(sim.Stat("connects"), 0);
}

TEST_F(SimLinkTest, FirstFailureKeptWhenLaterOnesDiffer) {
  StartAndLoad();
  ASSERT_EQ(lib.Call(Packet(0, 6)), 1);
  // The first attempt times out; every reconnection is then refused.
  ASSERT_EQ(sim.Control("delay=1500@1 refuse").rfind("ok", 0), 0u);
  EXPECT_EQ(lib.Call(Packet(0, 6)), 0);
  EXPECT_EQ(lib.LastError(), zefr::win::kTimeout);
  ASSERT_EQ(sim.Control("reset").rfind("ok", 0), 0u);
  // Left disconnected; the next call connects again.
  ASSERT_EQ(lib.Call(Packet(0, 6)), 1);
  EXPECT_EQ(sim.Stat("connects"), 2);
}

TEST_F(SimLinkTest, SlowSilentDeviceEndsWithinTheBound) {
  StartAndLoad({"--drop"});
  auto start = Clock::now();
  EXPECT_EQ(lib.Call(Packet(0, 6)), 0);
  const double took = Seconds(start);
  EXPECT_EQ(lib.LastError(), zefr::win::kTimeout);
  // Ten attempts, each a 1 s receive limit and a 1 s pause; the reconnections are quick.
  EXPECT_GE(took, 19.5);
  EXPECT_LT(took, 25.0);
  EXPECT_EQ(sim.Stat("requests"), 10);
  EXPECT_EQ(sim.Stat("connects"), 11);
}

TEST_F(SimLinkTest, ConcurrentCallersTakeTurns) {
  StartAndLoad({"--fault", "echo", "--delay", "5"});
  constexpr int kThreads = 4, kCalls = 5;
  std::vector<int> good(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kCalls; ++i) {
        const std::uint8_t tag = static_cast<std::uint8_t>(t * 16 + i);
        std::vector<std::uint8_t> response(3, 0);
        if (lib.Call(Packet(9, 3, {tag, tag}), response) == 1 &&
            response == std::vector<std::uint8_t>{1, tag, tag}) {
          ++good[t];
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(good[t], kCalls) << t;
  EXPECT_EQ(sim.Stat("connects"), 1);
  EXPECT_EQ(sim.Stat("maxpending"), 1);
}

TEST_F(SimLinkTest, UnloadClosesTheConnection) {
  StartAndLoad();
  ASSERT_EQ(lib.Call(Packet(0, 6)), 1);
  lib.Unload();
  for (int i = 0; i < 200 && sim.Log().find("closed by the host") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_NE(sim.Log().find("closed by the host"), std::string::npos);
}

}  // namespace
