// The POSIX device against real sockets in a private directory: every step
// ends within its limit whatever the peer does, and only a socket served by
// root or by the caller is taken for the device.

#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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

struct User {
  uid_t uid;
  gid_t gid;
};

User Nobody() {
  const passwd* pw = ::getpwnam("nobody");
  return pw != nullptr ? User{pw->pw_uid, pw->pw_gid} : User{65534, 65534};
}

bool DropTo(User u) { return ::setgroups(0, nullptr) == 0 && ::setgid(u.gid) == 0 && ::setuid(u.uid) == 0; }

// What the peer process saw, in memory it shares with the test.
struct PeerCounts {
  std::atomic<long> accepted{0};
  std::atomic<long> bytes{0};
};

// The device served by a child process. It binds `path` as the test's user,
// then may become another user before it listens: the file is then ours but
// the server is not. It answers the connect request with a maximum message
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

  bool Start(const std::string& path, const User* as = nullptr) {
    int listener = Bound(path);
    int ready[2];
    if (counts_ == nullptr || listener < 0 || ::pipe(ready) != 0) return false;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      if ((as != nullptr && !DropTo(*as)) || ::listen(listener, 16) != 0) ::_exit(3);
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

// The system device with its pauses skipped, so that several tries stay quick.
class QuickPauses final : public Device {
 public:
  bool Discover(std::string& path) override { return d_->Discover(path); }
  std::uint32_t Open(const std::string& path) override { return d_->Open(path); }
  bool IsOpen() const override { return d_->IsOpen(); }
  void Close() override { d_->Close(); }
  IoResult Control(std::uint32_t code, const void* in, std::uint32_t inLength, void* out, std::uint32_t outLength,
                   std::uint32_t limitMs) override {
    return d_->Control(code, in, inLength, out, outLength, limitMs);
  }
  IoResult Write(const void* data, std::uint32_t length, std::uint32_t limitMs) override {
    return d_->Write(data, length, limitMs);
  }
  std::uint32_t ArmReceive(void* buffer, std::uint32_t capacity) override {
    return d_->ArmReceive(buffer, capacity);
  }
  IoResult CompleteReceive(std::uint32_t limitMs) override { return d_->CompleteReceive(limitMs); }
  void CancelReceive() override { d_->CancelReceive(); }
  void Pause(std::uint32_t) override {}

 private:
  std::unique_ptr<Device> d_ = MakeSystemDevice();
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

// One payload-sized request through the link over the real device.
struct Sent {
  int result = 0;
  std::uint32_t error = 0;
};

Sent SendThroughLink() {
  QuickPauses device;
  Link link(device);
  if (!link.Attach()) return {0, win::kDllInitFailed};
  std::vector<std::uint8_t> request = {3, 16, 0, 1, 0};
  request.resize(5 + 16, 0x5A);
  std::uint8_t response = 0xEE;
  win::SetLastError(0);
  Sent s;
  s.result = link.Command(request.data(), static_cast<std::uint32_t>(request.size()), &response, 1);
  s.error = win::LastError();
  return s;
}

TEST(DevicePosixPeer, SameUserServesTheDevice) {
  DeviceDir dir;
  PeerProcess peer;
  ASSERT_TRUE(peer.Start(dir.Interface(0)));
  const Sent s = SendThroughLink();
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(peer.accepted(), 1);
  EXPECT_EQ(peer.bytes(), 20 + 21);  // the connect request, then the request
}

TEST(DevicePosixPeer, AnotherUserIsNeverSentAByte) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to serve as another user";
  DeviceDir dir;
  PeerProcess peer;
  // Our file, so discovery takes it; only the connection tells who serves it.
  const User nobody = Nobody();
  ASSERT_TRUE(peer.Start(dir.Interface(0), &nobody));
  const Sent s = SendThroughLink();
  EXPECT_EQ(s.result, 0);
  EXPECT_EQ(s.error, win::kAccessDenied);
  // Every try connected and was closed unused.
  for (int i = 0; i < 200 && peer.accepted() < kConnectTries; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(peer.accepted(), kConnectTries);
  EXPECT_EQ(peer.bytes(), 0);
}

TEST(DevicePosixPeer, RootServesEveryUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to call as another user";
  DeviceDir dir;
  PeerProcess peer;
  ASSERT_TRUE(peer.Start(dir.Interface(0)));
  // The other user must find and reach the socket.
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(dir.Interface(0).c_str(), 0666), 0);
  pid_t child = ::fork();
  if (child == 0) {
    if (!DropTo(Nobody())) ::_exit(3);
    const Sent s = SendThroughLink();
    ::_exit(s.result == 1 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(peer.bytes(), 20 + 21);
}

TEST(DevicePosixDiscovery, SkipsLinksAndOtherUsersSockets) {
  enum class Entry { kOurs, kOthers, kLink };
  struct Case {
    const char* name;
    std::vector<std::pair<int, Entry>> entries;
    int found;  // the index discovery takes, -1 for none
  } cases[] = {
      {"only ours", {{0, Entry::kOurs}}, 0},
      {"a link first", {{0, Entry::kLink}, {2, Entry::kOurs}}, 2},
      {"only a link", {{0, Entry::kLink}}, -1},
      {"another user's first", {{0, Entry::kOthers}, {1, Entry::kOurs}}, 1},
      {"only another user's", {{0, Entry::kOthers}}, -1},
  };
  const bool root = ::geteuid() == 0;
  for (const Case& c : cases) {
    bool needsRoot = false;
    for (const auto& e : c.entries) needsRoot |= e.second == Entry::kOthers;
    if (needsRoot && !root) continue;  // only root can give a socket away
    DeviceDir dir;
    std::vector<int> fds;
    const std::string elsewhere = dir.path() + "/elsewhere";
    fds.push_back(Bound(elsewhere));
    for (const auto& [index, kind] : c.entries) {
      const std::string path = dir.Interface(index);
      if (kind == Entry::kLink) {
        ASSERT_EQ(::symlink(elsewhere.c_str(), path.c_str()), 0) << c.name;
        continue;
      }
      fds.push_back(Bound(path));
      if (kind == Entry::kOthers) {
        ASSERT_EQ(::lchown(path.c_str(), Nobody().uid, Nobody().gid), 0) << c.name;
      }
    }
    for (int fd : fds) ASSERT_GE(fd, 0) << c.name;
    std::string path;
    const bool found = MakeSystemDevice()->Discover(path);
    EXPECT_EQ(found, c.found >= 0) << c.name;
    if (c.found >= 0) {
      EXPECT_EQ(path, dir.Interface(c.found)) << c.name;
    }
    for (int fd : fds) ::close(fd);
  }
}

}  // namespace
}  // namespace zefr::comm
