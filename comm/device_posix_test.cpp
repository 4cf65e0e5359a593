// The POSIX device against real sockets in a private directory: every step
// ends within its limit whatever the peer does.

#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "ZefrComm.h"
#include "device.h"
#include "link.h"
#include "win_error.h"

namespace zefr::comm {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A fresh 0700 directory, named by ZEFR_DEVICE_DIR while it lives.
class DeviceDir {
 public:
  DeviceDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/zefr-dev-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    ::setenv("ZEFR_DEVICE_DIR", path_.c_str(), 1);
  }
  ~DeviceDir() {
    ::unsetenv("ZEFR_DEVICE_DIR");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string Interface(int index) const {
    return path_ + "/" + ZEFR_DEVICE_CLASS_TEXT + "." + std::to_string(index);
  }

 private:
  std::string path_;
};

sockaddr_un Address(const std::string& path) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
  return a;
}

// A socket bound at `path`, or -1.
int Bound(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un a = Address(path);
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int Listening(const std::string& path, int backlog) {
  int fd = Bound(path);
  if (fd >= 0 && ::listen(fd, backlog) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Connects without blocking; -1 once the listener's queue is full.
int Client(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  sockaddr_un a = Address(path);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// What the peer process saw, in memory it shares with the test.
struct PeerCounts {
  std::atomic<long> accepted{0};
  std::atomic<long> bytes{0};
};

// The device served by a child process. It answers the connect request with a maximum message
// length of 4096 and each request with R bytes of completion code 0.
class PeerProcess {
 public:
  PeerProcess() {
    void* m = ::mmap(nullptr, sizeof(PeerCounts), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    counts_ = m == MAP_FAILED ? nullptr : new (m) PeerCounts;
  }
  ~PeerProcess() {
    Stop();
    if (counts_ != nullptr) ::munmap(counts_, sizeof(PeerCounts));
  }

  bool Start(const std::string& path) {
    int listener = Bound(path);
    int ready[2];
    if (counts_ == nullptr || listener < 0 || ::pipe(ready) != 0) return false;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      if (::listen(listener, 16) != 0) ::_exit(3);
      char one = 1;
      if (::write(ready[1], &one, 1) != 1) ::_exit(3);
      Serve(listener);
    }
    ::close(listener);
    ::close(ready[1]);
    pollfd p{ready[0], POLLIN, 0};
    char one = 0;
    const bool up = pid_ > 0 && ::poll(&p, 1, 5000) == 1 && ::read(ready[0], &one, 1) == 1;
    ::close(ready[0]);
    return up;
  }
  void Suspend() const { ::kill(pid_, SIGSTOP); }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  long accepted() const { return counts_->accepted; }
  long bytes() const { return counts_->bytes; }

 private:
  [[noreturn]] void Serve(int listener) {
    std::vector<pollfd> fds{{listener, POLLIN, 0}};
    std::vector<bool> connected{false};
    std::vector<std::uint8_t> buffer(0x10000 + 16);
    for (;;) {
      if (::poll(fds.data(), fds.size(), -1) < 0) continue;
      if (fds[0].revents & POLLIN) {
        int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
          ++counts_->accepted;
          fds.push_back({fd, POLLIN, 0});
          connected.push_back(false);
        }
      }
      for (std::size_t i = fds.size() - 1; i > 0; --i) {
        if (fds[i].revents == 0) continue;
        ssize_t n = ::recv(fds[i].fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n <= 0) {
          ::close(fds[i].fd);
          fds.erase(fds.begin() + static_cast<long>(i));
          connected.erase(connected.begin() + static_cast<long>(i));
          continue;
        }
        counts_->bytes += n;
        std::vector<std::uint8_t> reply;
        if (!connected[i]) {
          reply = {0x00, 0x10, 0, 0, 0};
          connected[i] = true;
        } else if (n >= 5) {
          reply.assign(buffer[3] | (buffer[4] << 8), 0);
        }
        if (!reply.empty()) ::send(fds[i].fd, reply.data(), reply.size(), MSG_NOSIGNAL);
      }
    }
  }

  pid_t pid_ = -1;
  PeerCounts* counts_ = nullptr;
};

// Opens `path` and sends the connect request, as the link does; names the
// step that failed ("" when both went through) and its error.
struct Opened {
  std::string failedStep;
  std::uint32_t error = 0;
  double seconds = 0;
};

Opened OpenAndConnect(const std::string& path) {
  auto device = MakeSystemDevice();
  const auto start = Clock::now();
  Opened o;
  o.error = device->Open(path);
  if (o.error != 0) {
    o.failedStep = "open";
  } else {
    std::uint8_t reply[ZEFR_CONNECT_REPLY_SIZE];
    IoResult r = device->Control(ZEFR_CONNECT_CONTROL_CODE, kClientId, sizeof kClientId, reply, sizeof reply,
                                 kStepLimitMs);
    if (r.bytes != sizeof reply) {
      o.failedStep = "connect request";
      o.error = r.error;
    }
  }
  o.seconds = Seconds(start);
  return o;
}

TEST(DevicePosixBounds, EveryStepEndsWithinItsLimit) {
  enum class Peer { kNeverAccepts, kQueueFull, kStopped, kStoppedQueueFull };
  struct Case {
    const char* name;
    Peer peer;
    const char* failedStep;
  } cases[] = {
      {"listener that never accepts", Peer::kNeverAccepts, "connect request"},
      {"listener with a full queue", Peer::kQueueFull, "open"},
      {"stopped peer", Peer::kStopped, "connect request"},
      {"stopped peer with a full queue", Peer::kStoppedQueueFull, "open"},
  };
  for (const Case& c : cases) {
    DeviceDir dir;
    const std::string path = dir.Interface(0);
    std::vector<int> fds;
    PeerProcess peer;
    switch (c.peer) {
      case Peer::kNeverAccepts: fds.push_back(Listening(path, 16)); break;
      case Peer::kQueueFull:
        fds.push_back(Listening(path, 0));
        fds.push_back(Client(path));  // a queue of 0 holds one
        break;
      case Peer::kStopped:
      case Peer::kStoppedQueueFull:
        ASSERT_TRUE(peer.Start(path)) << c.name;
        peer.Suspend();
        for (int i = 0; c.peer == Peer::kStoppedQueueFull && i < 100; ++i) {
          int fd = Client(path);
          if (fd < 0) break;
          fds.push_back(fd);
        }
        break;
    }
    for (int fd : fds) ASSERT_GE(fd, 0) << c.name;

    auto attempt = std::async(std::launch::async, [&] { return OpenAndConnect(path); });
    if (attempt.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      ADD_FAILURE() << c.name << ": still waiting after 5 s";
      // Gone listeners wake a connect that waits for room.
      for (int fd : fds) ::close(fd);
      fds.clear();
      peer.Stop();
    }
    const Opened o = attempt.get();
    EXPECT_EQ(o.failedStep, c.failedStep) << c.name;
    EXPECT_EQ(o.error, win::kTimeout) << c.name;
    EXPECT_GE(o.seconds, 0.95) << c.name;
    EXPECT_LT(o.seconds, 1.8) << c.name;
    for (int fd : fds) ::close(fd);
  }
}

}  // namespace
}  // namespace zefr::comm
