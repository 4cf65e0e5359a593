#include "server.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <sstream>
#include <vector>

namespace zefrsim {

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t g_stop = 0;
void OnStop(int) { g_stop = 1; }

// A control connection starts with this text instead of a connect request.
constexpr char kControlPrefix[] = "zefrsim:";

struct Pending {
  Clock::time_point due;
  Reply reply;
};

struct Connection {
  int fd = -1;
  long id = 0;
  enum class Kind { kNew, kDevice, kControl } kind = Kind::kNew;
  std::deque<Pending> queue;  // answers not yet sent, in request order
};

struct Counters {
  long maxPending = 0;
};

bool FillAddress(const std::string& path, sockaddr_un& addr) {
  addr = {};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Whether someone already serves the path.
bool Served(const std::string& path) {
  sockaddr_un addr;
  if (!FillAddress(path, addr)) return false;
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool live = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return live;
}

void Log(const ServerOptions& o, long id, const std::string& text) {
  if (o.log == nullptr) return;
  if (id > 0) {
    std::fprintf(o.log, "zefrsim: [%ld] %s\n", id, text.c_str());
  } else {
    std::fprintf(o.log, "zefrsim: %s\n", text.c_str());
  }
  std::fflush(o.log);
}

std::string Control(Firmware& fw, const Counters& counters, const std::string& text) {
  std::istringstream words(text.substr(sizeof kControlPrefix - 1));
  std::string word, error;
  std::ostringstream answer;
  while (words >> word) {
    if (word == "stats") continue;
    if (!fw.settings().Apply(word, &error)) return "error " + error;
  }
  const Stats& s = fw.stats();
  answer << "ok connects=" << s.connects << " requests=" << s.requests << " accepted=" << s.accepted
         << " refused=" << s.refused << " maxpending=" << counters.maxPending;
  return answer.str();
}

}  // namespace

int Serve(Firmware& firmware, const ServerOptions& options) {
  const std::string& path = options.socketPath;
  sockaddr_un addr;
  // Bound under a private name and renamed into place, so that whoever sees
  // the interface can connect to it.
  const std::string temp = path + ".zefrsim-" + std::to_string(::getpid());
  if (!FillAddress(path, addr) || !FillAddress(temp, addr)) {
    std::fprintf(stderr, "zefrsim: socket path too long: %s\n", path.c_str());
    return 1;
  }
  if (Served(path)) {
    std::fprintf(stderr, "zefrsim: %s is already served\n", path.c_str());
    return 1;
  }

  sigset_t stopSignals, waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  // Blocked except inside ppoll, so a stop can never slip past the check.
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGTERM);
  struct sigaction sa{};
  sa.sa_handler = OnStop;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  int listener = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  ::unlink(temp.c_str());
  if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listener, 16) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "zefrsim: cannot serve %s: %s\n", path.c_str(), std::strerror(errno));
    if (listener >= 0) ::close(listener);
    ::unlink(temp.c_str());
    return 1;
  }
  Log(options, 0,
      "serving " + path + " (max message length " + std::to_string(firmware.settings().maxMessageLength) + ")");

  std::map<int, Connection> connections;
  Counters counters;
  long nextId = 1;
  std::vector<std::uint8_t> buffer(0x10000 + 64);

  auto drop = [&](int fd, const char* why) {
    auto it = connections.find(fd);
    if (it == connections.end()) return;
    if (why != nullptr && it->second.kind != Connection::Kind::kControl) Log(options, it->second.id, why);
    ::close(fd);
    connections.erase(it);
  };

  while (!g_stop) {
    // Send whatever is due; find how long until the next answer is.
    auto now = Clock::now();
    int timeoutMs = -1;
    std::vector<int> closing;
    for (auto& [fd, c] : connections) {
      while (!c.queue.empty() && c.queue.front().due <= now) {
        Reply& r = c.queue.front().reply;
        if (r.action == Reply::Action::kClose) {
          closing.push_back(fd);
          break;
        }
        if (r.action == Reply::Action::kSend && ::send(fd, r.bytes.data(), r.bytes.size(), MSG_NOSIGNAL) < 0) {
          closing.push_back(fd);
          break;
        }
        c.queue.pop_front();
      }
      if (!c.queue.empty()) {
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(c.queue.front().due - now).count() + 1;
        if (timeoutMs < 0 || wait < timeoutMs) timeoutMs = static_cast<int>(wait);
      }
    }
    for (int fd : closing) drop(fd, "connection closed by the simulator");

    std::vector<pollfd> fds{{listener, POLLIN, 0}};
    for (auto& [fd, c] : connections) fds.push_back({fd, POLLIN, 0});
    timespec ts{}, *tsp = nullptr;
    if (timeoutMs >= 0) {
      ts.tv_sec = timeoutMs / 1000;
      ts.tv_nsec = (timeoutMs % 1000) * 1000000L;
      tsp = &ts;
    }
    int n = ::ppoll(fds.data(), fds.size(), tsp, &waitMask);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "zefrsim: poll: %s\n", std::strerror(errno));
      break;
    }
    if (fds[0].revents & POLLIN) {
      int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        Connection& c = connections[fd];
        c.fd = fd;
        c.id = nextId++;
      }
    }
    for (std::size_t i = 1; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      const int fd = fds[i].fd;
      auto it = connections.find(fd);
      if (it == connections.end()) continue;
      Connection& c = it->second;
      ssize_t got = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
      if (got <= 0) {
        if (got == 0 || (errno != EAGAIN && errno != EINTR)) drop(fd, "connection closed by the host");
        continue;
      }
      std::vector<std::uint8_t> message(buffer.begin(), buffer.begin() + got);
      if (c.kind == Connection::Kind::kNew &&
          message.size() >= sizeof kControlPrefix - 1 &&
          std::memcmp(message.data(), kControlPrefix, sizeof kControlPrefix - 1) == 0) {
        c.kind = Connection::Kind::kControl;
      }
      Reply reply;
      if (c.kind == Connection::Kind::kControl) {
        std::string text(message.begin(), message.end());
        std::string answer = Control(firmware, counters, text);
        Log(options, 0, "control: " + text.substr(sizeof kControlPrefix - 1) + " -> " + answer);
        reply.bytes.assign(answer.begin(), answer.end());
      } else if (c.kind == Connection::Kind::kNew) {
        reply = firmware.Connect(message);
        if (reply.action == Reply::Action::kSend) c.kind = Connection::Kind::kDevice;
        Log(options, c.id, reply.log);
      } else {
        reply = firmware.Request(message);
        Log(options, c.id, reply.log);
      }
      // An answer never overtakes an earlier one on the same connection.
      Clock::time_point due = Clock::now() + std::chrono::milliseconds(reply.delayMs);
      if (!c.queue.empty() && c.queue.back().due > due) due = c.queue.back().due;
      if (reply.action != Reply::Action::kNone || !c.queue.empty()) {
        c.queue.push_back({due, std::move(reply)});
      }
      long pending = 0;
      for (const Pending& p : c.queue) pending += p.reply.action == Reply::Action::kSend ? 1 : 0;
      if (c.kind == Connection::Kind::kDevice && pending > counters.maxPending) counters.maxPending = pending;
    }
  }

  for (auto& [fd, c] : connections) ::close(fd);
  ::close(listener);
  ::unlink(path.c_str());
  Log(options, 0, "stopped");
  return 0;
}

}  // namespace zefrsim
