#include "sim_harness.h"

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace zefrsim {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/zefr-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data()) != nullptr) path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string SimProcess::SocketPath() const {
  return dir_ + "/{E2D1FF34-3458-49A9-88DA-8E6915CE9BE5}." + index_;
}

bool SimProcess::Start(const std::string& deviceDir, const std::vector<std::string>& args,
                       const std::string& index) {
  Stop();
  dir_ = deviceDir;
  index_ = index;
  store_ = deviceDir + "/stored-" + index + ".bin";
  log_ = deviceDir + "/zefrsim-" + index + ".log";
  std::vector<std::string> argv = {ZEFRSIM_BINARY, "--dir",   deviceDir, "--index", index,
                                   "--store",      store_,  "--log",   log_};
  argv.insert(argv.end(), args.begin(), args.end());
  // A socket already there belongs to someone else until it is replaced.
  struct stat st;
  ino_t before = ::stat(SocketPath().c_str(), &st) == 0 ? st.st_ino : 0;
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  if (::posix_spawn(&pid_, ZEFRSIM_BINARY, nullptr, nullptr, cargv.data(), environ) != 0) {
    pid_ = -1;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (::stat(SocketPath().c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino != before) return true;
    int status;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  Stop();
  return false;
}

int SimProcess::Stop() {
  if (pid_ < 0) return -1;
  ::kill(pid_, SIGTERM);
  int status = 0;
  pid_t got = ::waitpid(pid_, &status, 0);
  pid_ = -1;
  if (got < 0 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string SimProcess::Control(const std::string& settings) const {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string path = SocketPath();
  std::memcpy(addr.sun_path, path.c_str(), std::min(path.size() + 1, sizeof addr.sun_path - 1));
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  std::string answer;
  const std::string message = "zefrsim: " + settings;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::send(fd, message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size())) {
    char buf[512];
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n > 0) answer.assign(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return answer;
}

long SimProcess::Stat(const std::string& name) const {
  std::istringstream words(Control("stats"));
  std::string word;
  while (words >> word) {
    if (word.rfind(name + "=", 0) == 0) return std::atol(word.c_str() + name.size() + 1);
  }
  return -1;
}

std::string SimProcess::Log() const { return ReadFile(log_); }

}  // namespace zefrsim
