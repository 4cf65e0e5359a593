// The firmware interface device on POSIX: each present interface of the
// device class is a SOCK_SEQPACKET socket named "<class GUID>.<index>" in
// $ZEFR_DEVICE_DIR (default /run/zefr). One message is one whole packet.
// Only a socket served by root or by the caller is the device: anyone else
// who can write to the directory could otherwise take the payload.

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "ZefrComm.h"
#include "device.h"
#include "link.h"
#include "win_error.h"

namespace zefr::comm {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kDefaultDeviceDir = "/run/zefr";

std::string DeviceDir() {
  const char* dir = std::getenv("ZEFR_DEVICE_DIR");
  return dir != nullptr && *dir != '\0' ? dir : kDefaultDeviceDir;
}

// The interface index of a directory entry of our class, or -1.
long InterfaceIndex(const char* name) {
  static constexpr std::size_t kPrefix = sizeof(ZEFR_DEVICE_CLASS_TEXT) - 1;
  if (std::strncmp(name, ZEFR_DEVICE_CLASS_TEXT, kPrefix) != 0 || name[kPrefix] != '.') return -1;
  const char* digits = name + kPrefix + 1;
  if (*digits == '\0' || std::strlen(digits) > 6) return -1;
  long index = 0;
  for (const char* p = digits; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return -1;
    index = index * 10 + (*p - '0');
  }
  return index;
}

// Waits until fd is ready for `events` or the deadline passes; 0 when ready.
std::uint32_t WaitReady(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) left = 0;
    pollfd p{fd, events, 0};
    int n = ::poll(&p, 1, static_cast<int>(left));
    if (n > 0) return 0;  // errors and hang-ups surface in the following call
    if (n == 0) return win::kTimeout;
    if (errno != EINTR) return win::FromErrno(errno);
  }
}

// Root's or our own (effective) user's: the only ones who may be the device.
bool TrustedUser(uid_t uid) { return uid == 0 || uid == ::geteuid(); }

// Connects without blocking: a listener that stops accepting fills its queue,
// and a blocking connect would then wait for ever.
std::uint32_t ConnectWithin(int fd, const sockaddr_un& addr, Clock::time_point deadline) {
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return 0;
    const int err = errno;
    if (err == EINPROGRESS) {
      if (std::uint32_t e = WaitReady(fd, POLLOUT, deadline)) return e;
      int pending = 0;
      socklen_t size = sizeof pending;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &size) != 0) return win::FromErrno(errno);
      return pending == 0 ? 0 : win::FromErrno(pending);
    }
    if (err != EAGAIN && err != EINTR) return win::FromErrno(err);
    // A full queue cannot be polled for from this side: look again shortly.
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return win::kTimeout;
    std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(10)));
  }
}

// Whether the process serving the connection may be the device. Anyone else
// gets access denied (5), as Windows answers for a device the caller may not
// open, and never a byte from us.
std::uint32_t CheckPeer(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof peer) {
    return win::kAccessDenied;
  }
  return TrustedUser(peer.uid) ? 0u : win::kAccessDenied;
}

IoResult SendWhole(int fd, const void* data, std::size_t length, Clock::time_point deadline) {
  for (;;) {
    if (std::uint32_t e = WaitReady(fd, POLLOUT, deadline)) return {0, e};
    ssize_t n = ::send(fd, data, length, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n >= 0) return {static_cast<std::uint32_t>(n), 0};
    if (errno != EAGAIN && errno != EINTR) return {0, win::FromErrno(errno)};
  }
}

IoResult ReceiveWhole(int fd, void* buffer, std::size_t capacity, Clock::time_point deadline) {
  for (;;) {
    if (std::uint32_t e = WaitReady(fd, POLLIN, deadline)) return {0, e};
    ssize_t n = ::recv(fd, buffer, capacity, MSG_DONTWAIT | MSG_TRUNC);
    if (n > 0 && static_cast<std::size_t>(n) > capacity) return {0, win::kMoreData};
    if (n > 0) return {static_cast<std::uint32_t>(n), 0};
    if (n == 0) return {0, win::kDeviceNotConnected};  // the other end went away
    if (errno != EAGAIN && errno != EINTR) return {0, win::FromErrno(errno)};
  }
}

class PosixDevice final : public Device {
 public:
  ~PosixDevice() override { Close(); }

  bool Discover(std::string& path) override {
    const std::string dir = DeviceDir();
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return false;
    std::vector<std::pair<long, std::string>> found;
    while (dirent* e = ::readdir(d)) {
      long index = InterfaceIndex(e->d_name);
      if (index >= 0) found.emplace_back(index, e->d_name);
    }
    ::closedir(d);
    std::sort(found.begin(), found.end());
    for (const auto& [index, name] : found) {
      // Only a socket counts as a present interface, and only one of root's
      // or ours: anybody may bind one in a shared directory. A link is never
      // followed, as it may lead anywhere.
      const std::string full = dir + "/" + name;
      struct stat st;
      if (::lstat(full.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || !TrustedUser(st.st_uid)) continue;
      // The first answering interface ends the search, usable or not.
      if (full.size() >= sizeof(sockaddr_un{}.sun_path)) return false;
      path = full;
      return true;
    }
    return false;
  }

  std::uint32_t Open(const std::string& path) override {
    Close();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return win::kFilenameExcedRange;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    // Every step below polls or passes MSG_DONTWAIT, so the socket may stay non-blocking.
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return win::FromErrno(errno);
    std::uint32_t e = ConnectWithin(fd, addr, Clock::now() + std::chrono::milliseconds(kStepLimitMs));
    // Checked before the connect request, the first byte we send.
    if (e == 0) e = CheckPeer(fd);
    if (e != 0) {
      ::close(fd);
      return e;
    }
    fd_ = fd;
    return 0;
  }

  bool IsOpen() const override { return fd_ >= 0; }

  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    armed_ = false;
  }

  IoResult Control(std::uint32_t code, const void* in, std::uint32_t inLength, void* out,
                   std::uint32_t outLength, std::uint32_t limitMs) override {
    if (fd_ < 0) return {0, win::kInvalidHandle};
    // One message: the control code, little-endian, then the input.
    std::vector<std::uint8_t> message(4 + inLength);
    for (int i = 0; i < 4; ++i) message[i] = static_cast<std::uint8_t>(code >> (8 * i));
    if (inLength != 0) std::memcpy(message.data() + 4, in, inLength);
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    IoResult sent = SendWhole(fd_, message.data(), message.size(), deadline);
    if (sent.bytes != message.size()) return {0, sent.error != 0 ? sent.error : win::kGenFailure};
    return ReceiveWhole(fd_, out, outLength, deadline);
  }

  IoResult Write(const void* data, std::uint32_t length, std::uint32_t limitMs) override {
    if (fd_ < 0) return {0, win::kInvalidHandle};
    return SendWhole(fd_, data, length, Clock::now() + std::chrono::milliseconds(limitMs));
  }

  std::uint32_t ArmReceive(void* buffer, std::uint32_t capacity) override {
    if (fd_ < 0) return win::kInvalidHandle;
    // A socket queues what arrives, so arming only drops answers nobody
    // waited for (to requests that expected none), keeping packets paired.
    // A peer that never stops sending must not hold the call here.
    const auto deadline = Clock::now() + std::chrono::milliseconds(kStepLimitMs);
    char scrap;
    while (::recv(fd_, &scrap, 1, MSG_DONTWAIT | MSG_TRUNC | MSG_PEEK) > 0) {
      ::recv(fd_, &scrap, 1, MSG_DONTWAIT | MSG_TRUNC);
      if (Clock::now() >= deadline) return win::kTimeout;
    }
    buffer_ = buffer;
    capacity_ = capacity;
    armed_ = true;
    return 0;
  }

  IoResult CompleteReceive(std::uint32_t limitMs) override {
    if (!armed_) return {0, win::kOperationAborted};
    armed_ = false;
    if (fd_ < 0) return {0, win::kInvalidHandle};
    return ReceiveWhole(fd_, buffer_, capacity_, Clock::now() + std::chrono::milliseconds(limitMs));
  }

  void CancelReceive() override { armed_ = false; }

  void Pause(std::uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

 private:
  int fd_ = -1;
  void* buffer_ = nullptr;
  std::uint32_t capacity_ = 0;
  bool armed_ = false;
};

}  // namespace

std::unique_ptr<Device> MakeSystemDevice() { return std::make_unique<PosixDevice>(); }

struct Lock::Impl {
  pthread_mutex_t mutex;
};

bool Lock::Create() {
  Destroy();
  auto* impl = new (std::nothrow) Impl;
  if (impl == nullptr) {
    win::SetLastError(win::kNotEnoughMemory);
    return false;
  }
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  // A thread that dies holding the lock leaves it abandoned, not stuck.
  pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
  int rc = pthread_mutex_init(&impl->mutex, &attr);
  pthread_mutexattr_destroy(&attr);
  if (rc != 0) {
    delete impl;
    win::SetLastError(win::FromErrno(rc));
    return false;
  }
  impl_ = impl;
  return true;
}

void Lock::Destroy() {
  if (impl_ == nullptr) return;
  pthread_mutex_destroy(&impl_->mutex);
  delete impl_;
  impl_ = nullptr;
}

Lock::WaitResult Lock::Wait() {
  if (impl_ == nullptr) {
    win::SetLastError(win::kInvalidHandle);
    return WaitResult::kFailed;
  }
  int rc = pthread_mutex_lock(&impl_->mutex);
  if (rc == 0) return WaitResult::kAcquired;
  if (rc == EOWNERDEAD) {
    pthread_mutex_consistent(&impl_->mutex);
    return WaitResult::kAbandoned;
  }
  win::SetLastError(win::FromErrno(rc));
  return WaitResult::kFailed;
}

void Lock::Release() {
  if (impl_ != nullptr) pthread_mutex_unlock(&impl_->mutex);
}

}  // namespace zefr::comm
