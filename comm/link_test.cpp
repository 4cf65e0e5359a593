#include "link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ZefrComm.h"
#include "test_packet.h"
#include "win_error.h"

namespace zefr::comm {
namespace {

using comm_test::Packet;

// A device that does what the test scripts and records every call.
class FakeDevice : public Device {
 public:
  bool present = true;
  std::string path = "/dev/zefr0";
  std::uint32_t maxMessage = 4096;
  std::deque<std::uint32_t> opens;      // results of Open, 0 once empty
  std::deque<IoResult> controls;        // results of Control, a 5-byte reply once empty
  std::deque<IoResult> writes;          // results of Write, all bytes once empty
  std::deque<std::uint32_t> arms;       // results of ArmReceive, 0 once empty
  // Results of CompleteReceive with the bytes received; once empty, R bytes
  // of code 0 for the last packet written.
  std::deque<std::pair<IoResult, std::vector<std::uint8_t>>> receives;
  std::vector<std::string> calls;

  bool Discover(std::string& p) override {
    calls.push_back("discover");
    if (present) p = path;
    return present;
  }
  std::uint32_t Open(const std::string&) override {
    calls.push_back("open");
    std::uint32_t e = Next(opens, 0u);
    open_ = e == 0;
    return e;
  }
  bool IsOpen() const override { return open_; }
  void Close() override {
    calls.push_back("close");
    open_ = false;
  }
  IoResult Control(std::uint32_t code, const void* in, std::uint32_t inLength, void* out,
                   std::uint32_t outLength, std::uint32_t limitMs) override {
    calls.push_back("connect");
    EXPECT_EQ(code, 0x8000E004u);
    EXPECT_EQ(inLength, 16u);
    EXPECT_EQ(std::memcmp(in, kClientId, 16), 0);
    EXPECT_EQ(limitMs, 1000u);
    IoResult r = Next(controls, IoResult{5, 0});
    auto* o = static_cast<std::uint8_t*>(out);
    for (std::uint32_t i = 0; i < outLength && i < 4; ++i) o[i] = static_cast<std::uint8_t>(maxMessage >> (8 * i));
    return r;
  }
  IoResult Write(const void* data, std::uint32_t length, std::uint32_t) override {
    calls.push_back("write");
    last_.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + length);
    return Next(writes, IoResult{length, 0});
  }
  std::uint32_t ArmReceive(void* buffer, std::uint32_t capacity) override {
    calls.push_back("arm");
    buffer_ = static_cast<std::uint8_t*>(buffer);
    capacity_ = capacity;
    return Next(arms, 0u);
  }
  IoResult CompleteReceive(std::uint32_t) override {
    calls.push_back("complete");
    if (cancelled_) {
      cancelled_ = false;
      return {0, win::kOperationAborted};
    }
    std::pair<IoResult, std::vector<std::uint8_t>> r;
    if (!receives.empty()) {
      r = receives.front();
      receives.pop_front();
    } else {
      std::uint32_t want = last_.size() >= 5 ? last_[3] | (last_[4] << 8) : 1;
      r = {{want, 0}, std::vector<std::uint8_t>(want, 0)};
    }
    std::copy(r.second.begin(), r.second.end(), buffer_);
    return r.first;
  }
  void CancelReceive() override {
    calls.push_back("cancel");
    cancelled_ = true;
  }
  void Pause(std::uint32_t ms) override { calls.push_back("pause " + std::to_string(ms)); }

  int Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
  }

 private:
  template <typename T>
  static T Next(std::deque<T>& q, T otherwise) {
    if (q.empty()) return otherwise;
    T v = q.front();
    q.pop_front();
    return v;
  }
  bool open_ = false;
  bool cancelled_ = false;
  std::vector<std::uint8_t> last_;
  std::uint8_t* buffer_ = nullptr;
  std::uint32_t capacity_ = 0;
};

std::pair<IoResult, std::vector<std::uint8_t>> Received(std::vector<std::uint8_t> bytes) {
  return {{static_cast<std::uint32_t>(bytes.size()), 0}, bytes};
}
std::pair<IoResult, std::vector<std::uint8_t>> Failed(std::uint32_t error) { return {{0, error}, {}}; }

std::string Join(const std::vector<std::string>& calls) {
  std::string s;
  for (const std::string& c : calls) s += (s.empty() ? "" : ",") + c;
  return s;
}

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(link.Attach());
    dev.calls.clear();
    win::SetLastError(0);
  }
  // Sends the packet with a response buffer of exactly R bytes.
  int Send(const std::vector<std::uint8_t>& p, std::vector<std::uint8_t>* response = nullptr) {
    std::vector<std::uint8_t> scratch(p.size() >= 5 ? (p[3] | (p[4] << 8)) : 0);
    if (response == nullptr) response = &scratch;
    return link.Command(p.data(), static_cast<std::uint32_t>(p.size()), response->data(),
                        static_cast<std::uint32_t>(response->size()));
  }

  FakeDevice dev;
  Link link{dev};
};

TEST(CheckRequest, HeaderRules) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> packet;
    std::int64_t requestLength;  // -1: the packet's own size
    std::uint32_t responseLength;
    std::uint32_t error;
  } cases[] = {
      {"highest command", Packet(141, 1), -1, 1, 0},
      {"command above 141", Packet(142, 1), -1, 1, win::kBadCommand},
      {"command 255", Packet(255, 0), -1, 0, win::kBadCommand},
      {"request length short of L+5", Packet(3, 1, {1, 2, 3}), 7, 1, win::kBadFormat},
      {"request length past L+5", Packet(3, 1, {1, 2, 3}), 9, 1, win::kBadFormat},
      {"response length not R", Packet(3, 6), -1, 5, win::kBadFormat},
      {"R of 0", Packet(9, 0), -1, 0, 0},
      {"fewer bytes than a header", {3, 0, 0}, 3, 0, win::kBadFormat},
      {"counted command, n=4 m=2", Packet(17, 3, {0, 4, 2, 0, 0, 0, 0}), -1, 3, 0},
      {"counted command, L not n+3", Packet(17, 3, {0, 4, 2, 0, 0, 0, 0, 0}), -1, 3, win::kBadFormat},
      {"counted command, R not m+1", Packet(17, 4, {0, 4, 2, 0, 0, 0, 0}), -1, 4, win::kBadFormat},
      {"counted command without its counts", Packet(17, 1, {0}), -1, 1, win::kBadFormat},
      {"counted command, n=0 m=0", Packet(17, 1, {0, 0, 0}), -1, 1, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> response(c.responseLength + 1);
    std::uint32_t length = c.requestLength < 0 ? static_cast<std::uint32_t>(c.packet.size())
                                               : static_cast<std::uint32_t>(c.requestLength);
    std::vector<std::uint8_t> padded = c.packet;
    padded.resize(std::max<std::size_t>(padded.size(), length));
    EXPECT_EQ(CheckRequest(padded.data(), length, response.data(), c.responseLength), c.error) << c.name;
  }
  EXPECT_EQ(CheckRequest(nullptr, 5, nullptr, 0), win::kInvalidParameter);
  auto p = Packet(3, 1);
  EXPECT_EQ(CheckRequest(p.data(), 5, nullptr, 1), win::kInvalidParameter);
}

TEST_F(LinkTest, BadHeaderNeverReachesTheDevice) {
  auto p = Packet(142, 1);
  EXPECT_EQ(Send(p), 0);
  EXPECT_EQ(win::LastError(), win::kBadCommand);
  EXPECT_TRUE(dev.calls.empty()) << Join(dev.calls);
  EXPECT_FALSE(link.Connected());
}

TEST_F(LinkTest, FirstCallConnectsLaterCallsReuseTheConnection) {
  std::vector<std::uint8_t> response(6, 0xEE);
  auto p = Packet(0, 6);
  ASSERT_EQ(Send(p, &response), 1);
  EXPECT_EQ(Join(dev.calls), "open,connect,arm,write,complete");
  EXPECT_EQ(link.MaxMessageLength(), 4096u);
  dev.calls.clear();
  ASSERT_EQ(Send(p, &response), 1);
  EXPECT_EQ(Join(dev.calls), "arm,write,complete");
}

TEST_F(LinkTest, NoResponseExpectedMeansNoReceive) {
  ASSERT_EQ(Send(Packet(9, 0)), 1);
  EXPECT_EQ(Join(dev.calls), "open,connect,write");
}

TEST_F(LinkTest, SuccessLeavesLastErrorAlone) {
  win::SetLastError(77);
  ASSERT_EQ(Send(Packet(0, 6)), 1);
  EXPECT_EQ(win::LastError(), 77u);
}

TEST_F(LinkTest, ResponseDelivery) {
  // Buffers are R bytes plus a guard; the guard must never be written.
  struct Case {
    const char* name;
    std::uint16_t r;
    std::vector<std::uint8_t> received;
    int result;
    std::uint32_t error;
    std::vector<std::uint8_t> buffer;  // expected, guard included
    int writes;
  } cases[] = {
      {"full length, accepted", 3, {0, 1, 2}, 1, 0, {0, 1, 2, 0xEE}, 1},
      {"full length, refused", 3, {7, 1, 2}, 1, 0, {7, 1, 2, 0xEE}, 1},
      {"short, refused", 4, {5, 9}, 1, 0, {5, 9, 0xEE, 0xEE, 0xEE}, 1},
      {"short, accepted", 4, {0, 9}, 0, win::kBadLength, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, 1},
      {"long, refused", 2, {4, 1, 2, 3}, 1, 0, {4, 1, 0xEE}, 1},
      {"long, accepted", 2, {0, 1, 2, 3}, 0, win::kBadLength, {0xEE, 0xEE, 0xEE}, 1},
  };
  for (const Case& c : cases) {
    dev.calls.clear();
    dev.receives = {Received(c.received)};
    auto p = Packet(5, c.r);
    std::vector<std::uint8_t> buffer(c.r + 1u, 0xEE);
    win::SetLastError(0);
    EXPECT_EQ(link.Command(p.data(), static_cast<std::uint32_t>(p.size()), buffer.data(), c.r), c.result)
        << c.name;
    EXPECT_EQ(win::LastError(), c.error) << c.name;
    EXPECT_EQ(buffer, c.buffer) << c.name;
    EXPECT_EQ(dev.Count("write"), c.writes) << c.name;
    EXPECT_TRUE(link.Connected()) << c.name;
  }
}

TEST_F(LinkTest, FailedAttemptReconnectsAndPausesThenSucceeds) {
  dev.receives = {Failed(win::kTimeout)};
  std::vector<std::uint8_t> response(1, 0xEE);
  ASSERT_EQ(Send(Packet(3, 1), &response), 1);
  EXPECT_EQ(Join(dev.calls),
            "open,connect,arm,write,complete,close,open,connect,pause 1000,"
            "arm,write,complete");
  EXPECT_EQ(response[0], 0);
}

TEST_F(LinkTest, FirstFailureIsTheOneReported) {
  // A time-out, then other failures, then the reconnection gives up.
  dev.receives = {Failed(win::kTimeout), Failed(win::kDeviceNotConnected)};
  dev.writes = {{5, 0}, {5, 0}, {0, win::kBrokenPipe}};
  dev.opens = {0, 0, 0, win::kFileNotFound, win::kFileNotFound, win::kFileNotFound, win::kFileNotFound,
               win::kFileNotFound};
  ASSERT_EQ(Send(Packet(0, 6)), 0);
  EXPECT_EQ(win::LastError(), win::kTimeout);
  EXPECT_FALSE(link.Connected());
  EXPECT_EQ(dev.Count("write"), 3);
}

TEST_F(LinkTest, TenFailedAttemptsThenGiveUp) {
  for (int i = 0; i < 10; ++i) dev.receives.push_back(Failed(i == 0 ? win::kDeviceNotConnected : win::kTimeout));
  ASSERT_EQ(Send(Packet(0, 6)), 0);
  EXPECT_EQ(win::LastError(), win::kDeviceNotConnected);
  EXPECT_EQ(dev.Count("write"), 10);
  EXPECT_EQ(dev.Count("open"), 11);  // the first open and one after every attempt
  EXPECT_EQ(dev.Count("pause 1000"), 10);
  EXPECT_EQ(dev.Count("cancel"), 0);  // each receive completed, so none was left to cancel
  EXPECT_TRUE(link.Connected());
}

TEST_F(LinkTest, FailuresBeforeTheReceive) {
  struct Case {
    const char* name;
    std::uint32_t arm;
    IoResult write;
    std::uint16_t r;
    std::uint32_t error;
    const char* firstAttempt;
  } cases[] = {
      {"arming fails", win::kNoSystemResources, {5, 0}, 1, win::kNoSystemResources, "arm,close"},
      {"write fails", 0, {0, win::kDeviceNotConnected}, 1, win::kDeviceNotConnected,
       "arm,write,cancel,complete,close"},
      {"write of no bytes", 0, {0, 0}, 1, win::kGenFailure, "arm,write,cancel,complete,close"},
      {"write fails, nothing armed", 0, {0, win::kTimeout}, 0, win::kTimeout, "write,close"},
  };
  for (const Case& c : cases) {
    FakeDevice d;
    Link l(d);
    ASSERT_TRUE(l.Attach());
    d.arms = {c.arm};
    d.writes = {c.write};
    // The reconnection fails at once, so the call ends after one attempt.
    d.opens = {0, 1, 1, 1, 1, 1};
    auto p = Packet(8, c.r);
    std::vector<std::uint8_t> response(c.r);
    win::SetLastError(0);
    EXPECT_EQ(l.Command(p.data(), 5, response.data(), c.r), 0) << c.name;
    EXPECT_EQ(win::LastError(), c.error) << c.name;
    std::string calls = Join(d.calls);
    EXPECT_EQ(calls.substr(0, calls.find(",open", 20)), std::string("discover,open,connect,") + c.firstAttempt)
        << c.name;
  }
}

TEST_F(LinkTest, ConnectionTries) {
  struct Case {
    const char* name;
    std::deque<std::uint32_t> opens;
    std::deque<IoResult> controls;
    int result;
    std::uint32_t error;
    int opensMade;
    int pauses;
  } cases[] = {
      {"never opens", {2, 2, 2, 2, 5}, {}, 0, win::kAccessDenied, 5, 5},
      {"opens on the third try", {2, 2, 0}, {}, 1, 0, 3, 2},
      {"connect request times out", {}, {{0, win::kTimeout}, {0, win::kTimeout}, {0, win::kTimeout},
                                         {0, win::kTimeout}, {0, win::kDeviceNotConnected}},
       0, win::kDeviceNotConnected, 5, 5},
      // A reply of the wrong length is a failure with a reason, never error 0.
      {"short connect reply", {}, {{4, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}}, 0, win::kBadLength, 5, 5},
  };
  for (const Case& c : cases) {
    FakeDevice d;
    Link l(d);
    ASSERT_TRUE(l.Attach());
    d.opens = c.opens;
    d.controls = c.controls;
    auto p = Packet(0, 6);
    std::vector<std::uint8_t> response(6);
    win::SetLastError(0);
    EXPECT_EQ(l.Command(p.data(), 5, response.data(), 6), c.result) << c.name;
    EXPECT_EQ(win::LastError(), c.error) << c.name;
    EXPECT_EQ(d.Count("open"), c.opensMade) << c.name;
    EXPECT_EQ(d.Count("pause 1000"), c.pauses) << c.name;
    EXPECT_EQ(d.Count("write"), c.result) << c.name;
    EXPECT_EQ(l.Connected(), c.result == 1) << c.name;
    // Every failed try that opened the device closed it again.
    EXPECT_EQ(d.IsOpen(), c.result == 1) << c.name;
  }
}

TEST_F(LinkTest, FailedConnectionIsRetriedOnTheNextCall) {
  dev.opens = {2, 2, 2, 2, 2};
  ASSERT_EQ(Send(Packet(0, 6)), 0);
  EXPECT_EQ(win::LastError(), win::kFileNotFound);
  ASSERT_EQ(Send(Packet(0, 6)), 1);
  EXPECT_EQ(dev.Count("open"), 6);
}

TEST_F(LinkTest, MessageLengthLimit) {
  dev.maxMessage = 8;
  struct Case {
    std::vector<std::uint8_t> packet;
    int result;
  } cases[] = {
      {Packet(5, 8, {1, 2, 3}), 1},        // both exactly at the limit
      {Packet(5, 1, {1, 2, 3, 4}), 0},     // 9-byte request
      {Packet(5, 9), 0},                   // 9-byte response
  };
  for (const Case& c : cases) {
    dev.calls.clear();
    win::SetLastError(0);
    EXPECT_EQ(Send(c.packet), c.result);
    if (c.result == 0) {
      EXPECT_EQ(win::LastError(), win::kBadLength);
      EXPECT_EQ(dev.Count("write"), 0);
    }
  }
}

TEST(LinkAttach, DiscoveryDecidesTheLoad) {
  struct Case {
    bool present;
    std::size_t pathLength;
    bool loads;
  } cases[] = {{false, 10, false}, {true, 0, false}, {true, 255, true}, {true, 256, false}};
  for (const Case& c : cases) {
    FakeDevice d;
    d.present = c.present;
    d.path = std::string(c.pathLength, 'p');
    Link l(d);
    EXPECT_EQ(l.Attach(), c.loads) << c.pathLength;
    if (!c.loads) {
      auto p = Packet(0, 6);
      std::uint8_t r[6];
      EXPECT_EQ(l.Command(p.data(), 5, r, 6), 0);
      EXPECT_EQ(win::LastError(), win::kDllInitFailed);
      EXPECT_EQ(d.Count("open"), 0);
    }
  }
}

TEST(LinkAttach, UnloadClosesTheConnection) {
  FakeDevice d;
  {
    Link l(d);
    ASSERT_TRUE(l.Attach());
    auto p = Packet(0, 6);
    std::uint8_t r[6];
    ASSERT_EQ(l.Command(p.data(), 5, r, 6), 1);
    ASSERT_TRUE(d.IsOpen());
  }
  EXPECT_FALSE(d.IsOpen());
}

}  // namespace
}  // namespace zefr::comm
