#pragma once
// A private scratch folder per test, and a way to run a piece of a test as an
// ordinary user when the suite runs as root.

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <set>
#include <sstream>
#include <string>

namespace zefr::files::testing {

class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/zefr-fileio-XXXXXX";
    dir_ = ::mkdtemp(pattern);
  }
  ~Scratch() { std::filesystem::remove_all(dir_); }
  std::string operator/(const std::string& name) const { return dir_ + "/" + name; }
  const std::string& dir() const { return dir_; }
  // Names in the folder, sorted, for "nothing was left" checks.
  std::string Listing() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) names.insert(e.path().filename().string());
    std::string out;
    for (const auto& n : names) out += n + " ";
    return out;
  }

 private:
  std::string dir_;
};

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline bool Unprivileged() { return ::geteuid() != 0; }

// The uid and gid of "nobody", for tests that run as root.
inline bool Nobody(uid_t& uid, gid_t& gid) {
  const passwd* pw = ::getpwnam("nobody");
  if (!pw) return false;
  uid = pw->pw_uid;
  gid = pw->pw_gid;
  return true;
}

// Runs body in a child process as nobody; its return value is the child's
// exit status (0 for success). -1 when that is not possible here.
inline int AsNobody(const std::function<int()>& body) {
  uid_t uid;
  gid_t gid;
  if (::geteuid() != 0 || !Nobody(uid, gid)) return -1;
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(99);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace zefr::files::testing
