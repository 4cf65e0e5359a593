// The Win32 device's overlapped steps against a message-mode named pipe that
// a thread of the test serves, and the exchange logic over that device. A
// pipe cannot answer the connect control request, so the Link tests fake
// only that one step.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device.h"
#include "link.h"
#include "win_error.h"

namespace zefr::comm {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// What the pipe's far end answers to one message; nullopt-like: empty with
// reply = false says nothing.
struct Answer {
  bool reply = true;
  Bytes bytes;
};

// A message pipe served by one thread: every message read is kept and
// handed to `answer`; each client connection is served until it closes.
class PipeServer {
 public:
  explicit PipeServer(std::function<Answer(const Bytes&)> answer) : answer_(std::move(answer)) {
    static std::atomic<int> serial{0};
    path_ = "\\\\.\\pipe\\zefr-device-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(serial++);
    NewInstance();
    thread_ = std::thread([this] { Serve(); });
  }
  ~PipeServer() {
    stop_ = true;
    // Wake a ConnectNamedPipe that waits for a client.
    HANDLE h = ::CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    thread_.join();
  }
  const std::string& Path() const { return path_; }
  std::vector<Bytes> Received() {
    std::lock_guard<std::mutex> g(m_);
    return received_;
  }
  int Connections() const { return connections_; }
  // Writes a message to the current client outside any request.
  void Send(const Bytes& bytes) {
    DWORD n = 0;
    ::WriteFile(current_, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  }

 private:
  void NewInstance() {
    pipe_ = ::CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                               PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0, nullptr);
  }
  void Serve() {
    while (!stop_ && pipe_ != INVALID_HANDLE_VALUE) {
      if (!::ConnectNamedPipe(pipe_, nullptr) && ::GetLastError() != ERROR_PIPE_CONNECTED) break;
      if (stop_) break;
      ++connections_;
      // The next instance waits already, so a client that reconnects at
      // once finds it.
      HANDLE current = pipe_;
      current_ = current;
      NewInstance();
      Bytes buffer(65536);
      for (;;) {
        DWORD n = 0;
        if (!::ReadFile(current, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) break;
        Bytes message(buffer.begin(), buffer.begin() + n);
        {
          std::lock_guard<std::mutex> g(m_);
          received_.push_back(message);
        }
        Answer a = answer_(message);
        if (a.reply) {
          DWORD w = 0;
          ::WriteFile(current, a.bytes.data(), static_cast<DWORD>(a.bytes.size()), &w, nullptr);
        }
      }
      current_ = INVALID_HANDLE_VALUE;
      ::DisconnectNamedPipe(current);
      ::CloseHandle(current);
    }
    if (pipe_ != INVALID_HANDLE_VALUE) ::CloseHandle(pipe_);
  }

  std::function<Answer(const Bytes&)> answer_;
  std::string path_;
  HANDLE pipe_ = INVALID_HANDLE_VALUE;                   // waiting for the next client
  std::atomic<HANDLE> current_{INVALID_HANDLE_VALUE};  // the client being served
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::mutex m_;
  std::vector<Bytes> received_;
};

// Answers every request with R bytes: completion code 0, then 0xA5.
Answer FullResponse(const Bytes& request) {
  if (request.size() < 5) return {true, {0}};
  std::size_t r = request[3] | (request[4] << 8);
  Bytes out(r, 0xA5);
  if (r != 0) out[0] = 0;
  return {r != 0, out};
}

long MsSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(Win32Device, NoInterfaceOfTheClassIsPresent) {
  std::string path = "untouched";
  EXPECT_FALSE(MakeSystemDevice()->Discover(path));
  EXPECT_EQ(path, "untouched");
}

TEST(Win32Device, OpenFailuresCarryTheSystemError) {
  auto dev = MakeSystemDevice();
  EXPECT_EQ(dev->Open("\\\\.\\pipe\\zefr-no-such-device"), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(dev->IsOpen());
  // A closed device fails every step at once.
  Bytes buffer(8);
  EXPECT_EQ(dev->Write(buffer.data(), 8, 1000).error, static_cast<std::uint32_t>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(dev->ArmReceive(buffer.data(), 8), static_cast<std::uint32_t>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(dev->CompleteReceive(1000).bytes, 0u);
}

TEST(Win32Device, OneWriteIsOneMessageAndOneReadOneResponse) {
  PipeServer server(FullResponse);
  auto dev = MakeSystemDevice();
  ASSERT_EQ(dev->Open(server.Path()), 0u);
  ASSERT_TRUE(dev->IsOpen());

  const Bytes request = {3, 3, 0, 4, 0, 0x0A, 0x0D, 0x1A};
  Bytes buffer(64, 0xEE);
  ASSERT_EQ(dev->ArmReceive(buffer.data(), static_cast<std::uint32_t>(buffer.size())), 0u);
  IoResult w = dev->Write(request.data(), static_cast<std::uint32_t>(request.size()), 1000);
  EXPECT_EQ(w.bytes, request.size());
  IoResult r = dev->CompleteReceive(1000);
  EXPECT_EQ(r.bytes, 4u);
  EXPECT_EQ(r.error, 0u);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 5), (Bytes{0, 0xA5, 0xA5, 0xA5, 0xEE}));
  ASSERT_EQ(server.Received().size(), 1u);
  EXPECT_EQ(server.Received()[0], request);
  dev->Close();
  EXPECT_FALSE(dev->IsOpen());
}

TEST(Win32Device, SilentDeviceTimesOutAndLeavesTheBufferAlone) {
  PipeServer server([](const Bytes&) { return Answer{false, {}}; });
  auto dev = MakeSystemDevice();
  ASSERT_EQ(dev->Open(server.Path()), 0u);
  Bytes buffer(16, 0xEE);
  ASSERT_EQ(dev->ArmReceive(buffer.data(), 16), 0u);
  const Bytes request = {9, 0, 0, 1, 0};
  ASSERT_EQ(dev->Write(request.data(), 5, 1000).bytes, 5u);
  auto start = Clock::now();
  IoResult r = dev->CompleteReceive(1000);
  long waited = MsSince(start);
  EXPECT_EQ(r.bytes, 0u);
  EXPECT_EQ(r.error, win::kTimeout);
  EXPECT_GE(waited, 900);
  EXPECT_LT(waited, 3000);
  // The abandoned read is over: a late answer must not land in the buffer.
  server.Send({0x42, 0x42});
  ::Sleep(200);
  EXPECT_EQ(buffer, Bytes(16, 0xEE));
}

TEST(Win32Device, CancelledReceiveCompletesAsAborted) {
  PipeServer server(FullResponse);
  auto dev = MakeSystemDevice();
  ASSERT_EQ(dev->Open(server.Path()), 0u);
  Bytes buffer(16);
  ASSERT_EQ(dev->ArmReceive(buffer.data(), 16), 0u);
  dev->CancelReceive();
  auto start = Clock::now();
  IoResult r = dev->CompleteReceive(1000);
  EXPECT_EQ(r.bytes, 0u);
  EXPECT_EQ(r.error, win::kOperationAborted);
  EXPECT_LT(MsSince(start), 900);
  // Nothing armed any more.
  EXPECT_EQ(dev->CompleteReceive(1000).error, win::kOperationAborted);
}

TEST(Win32Device, ControlRequestTheDeviceCannotServeFails) {
  PipeServer server(FullResponse);
  auto dev = MakeSystemDevice();
  ASSERT_EQ(dev->Open(server.Path()), 0u);
  std::uint8_t reply[5] = {};
  auto start = Clock::now();
  IoResult r = dev->Control(0x8000E004u, kClientId, sizeof kClientId, reply, sizeof reply, 1000);
  EXPECT_EQ(r.bytes, 0u);
  EXPECT_NE(r.error, 0u);
  EXPECT_LT(MsSince(start), 1500);
}

// The system device with the connect request answered here; pauses skipped.
class PipeDevice : public Device {
 public:
  PipeDevice(std::string path, std::uint32_t maxMessage) : path_(std::move(path)), maxMessage_(maxMessage) {}
  int controls = 0;
  int opens = 0;

  bool Discover(std::string& path) override {
    path = path_;
    return true;
  }
  std::uint32_t Open(const std::string& path) override {
    ++opens;
    return inner_->Open(path);
  }
  bool IsOpen() const override { return inner_->IsOpen(); }
  void Close() override { inner_->Close(); }
  IoResult Control(std::uint32_t, const void*, std::uint32_t, void* out, std::uint32_t outLength,
                   std::uint32_t) override {
    ++controls;
    if (!inner_->IsOpen() || outLength < 5) return {0, win::kInvalidHandle};
    auto* o = static_cast<std::uint8_t*>(out);
    for (int i = 0; i < 4; ++i) o[i] = static_cast<std::uint8_t>(maxMessage_ >> (8 * i));
    o[4] = 0;
    return {5, 0};
  }
  IoResult Write(const void* data, std::uint32_t length, std::uint32_t limitMs) override {
    return inner_->Write(data, length, limitMs);
  }
  std::uint32_t ArmReceive(void* buffer, std::uint32_t capacity) override {
    return inner_->ArmReceive(buffer, capacity);
  }
  IoResult CompleteReceive(std::uint32_t limitMs) override { return inner_->CompleteReceive(limitMs); }
  void CancelReceive() override { inner_->CancelReceive(); }
  void Pause(std::uint32_t) override {}

 private:
  std::unique_ptr<Device> inner_ = MakeSystemDevice();
  std::string path_;
  std::uint32_t maxMessage_;
};

Bytes Payload(std::uint8_t command, std::uint16_t r, std::size_t dataLength) {
  Bytes p = {command, static_cast<std::uint8_t>(dataLength), static_cast<std::uint8_t>(dataLength >> 8),
             static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(r >> 8)};
  for (std::size_t i = 0; i < dataLength; ++i) p.push_back(static_cast<std::uint8_t>(i * 7));
  return p;
}

TEST(Win32Link, ConfigurationPayloadAndFailureQueryOverOneConnection) {
  PipeServer server(FullResponse);
  PipeDevice dev(server.Path(), 4096);
  Link link(dev);
  ASSERT_TRUE(link.Attach());

  const Bytes payload = Payload(3, 1, 1984);
  std::uint8_t code = 0xEE;
  win::SetLastError(1234);
  ASSERT_NE(link.Command(payload.data(), static_cast<std::uint32_t>(payload.size()), &code, 1), 0);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(win::LastError(), 1234u);  // success leaves it alone

  const Bytes query = Payload(0, 6, 0);
  Bytes response(6, 0xEE);
  ASSERT_NE(link.Command(query.data(), 5, response.data(), 6), 0);
  EXPECT_EQ(response, (Bytes{0, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5}));

  EXPECT_EQ(dev.controls, 1);  // the second call reuses the connection
  EXPECT_EQ(server.Connections(), 1);
  ASSERT_EQ(server.Received().size(), 2u);
  EXPECT_EQ(server.Received()[0], payload);
  EXPECT_EQ(server.Received()[1], query);
}

TEST(Win32Link, ResponsesAsTheFirmwareGivesThem) {
  struct Case {
    const char* name;
    Bytes answer;
    std::uint16_t r;
    int result;
    Bytes delivered;
    std::uint32_t error;
  } cases[] = {
      {"R bytes, refused", {7, 1, 2, 3}, 4, 1, {7, 1, 2, 3}, 0},
      {"short refusal, rest untouched", {5}, 4, 1, {5, 0xEE, 0xEE, 0xEE}, 0},
      {"short with code 0", {0, 1}, 4, 0, {0xEE, 0xEE, 0xEE, 0xEE}, win::kBadLength},
  };
  for (const Case& c : cases) {
    PipeServer server([&](const Bytes&) { return Answer{true, c.answer}; });
    PipeDevice dev(server.Path(), 4096);
    Link link(dev);
    ASSERT_TRUE(link.Attach());
    const Bytes request = Payload(9, c.r, 0);
    Bytes response(c.r, 0xEE);
    win::SetLastError(0);
    EXPECT_EQ(link.Command(request.data(), 5, response.data(), c.r) != 0, c.result != 0) << c.name;
    EXPECT_EQ(response, c.delivered) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(win::LastError(), c.error) << c.name;
    }
    EXPECT_EQ(server.Received().size(), 1u) << c.name;  // no retry
  }
}

TEST(Win32Link, NoResponseExpectedMeansNoRead) {
  PipeServer server([](const Bytes&) { return Answer{false, {}}; });
  PipeDevice dev(server.Path(), 4096);
  Link link(dev);
  ASSERT_TRUE(link.Attach());
  const Bytes request = Payload(12, 0, 3);
  auto start = Clock::now();
  EXPECT_NE(link.Command(request.data(), 8, nullptr, 0), 0);
  EXPECT_LT(MsSince(start), 900);  // no receive waited for
}

TEST(Win32Link, SilentFirstAttemptIsRetriedOverANewConnection) {
  std::atomic<int> seen{0};
  PipeServer server([&](const Bytes& request) {
    if (seen++ == 0) return Answer{false, {}};
    return FullResponse(request);
  });
  PipeDevice dev(server.Path(), 4096);
  Link link(dev);
  ASSERT_TRUE(link.Attach());
  const Bytes request = Payload(3, 1, 16);
  std::uint8_t code = 0xEE;
  auto start = Clock::now();
  ASSERT_NE(link.Command(request.data(), static_cast<std::uint32_t>(request.size()), &code, 1), 0);
  EXPECT_GE(MsSince(start), 900);  // the first receive ran out its limit
  EXPECT_EQ(code, 0);
  EXPECT_EQ(dev.opens, 2);
  EXPECT_EQ(dev.controls, 2);
  EXPECT_EQ(server.Received().size(), 2u);
}

TEST(Win32Link, RequestOverTheMessageLimitIsRefusedUnsent) {
  PipeServer server(FullResponse);
  PipeDevice dev(server.Path(), 64);
  Link link(dev);
  ASSERT_TRUE(link.Attach());
  const Bytes request = Payload(3, 1, 60);
  std::uint8_t code = 0;
  EXPECT_EQ(link.Command(request.data(), static_cast<std::uint32_t>(request.size()), &code, 1), 0);
  EXPECT_EQ(win::LastError(), win::kBadLength);
  EXPECT_TRUE(server.Received().empty());
}

TEST(Win32Lock, AbandonedByAThreadThatEndedCountsAsAcquired) {
  Lock lock;
  ASSERT_TRUE(lock.Create());
  std::thread([&] { EXPECT_EQ(lock.Wait(), Lock::WaitResult::kAcquired); }).join();
  EXPECT_EQ(lock.Wait(), Lock::WaitResult::kAbandoned);
  lock.Release();
  EXPECT_EQ(lock.Wait(), Lock::WaitResult::kAcquired);
  lock.Release();
}

}  // namespace
}  // namespace zefr::comm
