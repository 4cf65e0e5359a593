#include "unprivileged.h"

#include <fcntl.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string_view>

namespace zefr::test {
namespace {

constexpr auto kTimeLimit = std::chrono::seconds(60);

struct Account {
  uid_t uid = 65534;
  gid_t gid = 65534;
};

// Looked up before the fork; the child only switches.
Account Nobody() {
  Account a;
  if (const passwd* pw = ::getpwnam("nobody")) a = {pw->pw_uid, pw->pw_gid};
  if (const group* gr = ::getgrnam("nogroup")) a.gid = gr->gr_gid;
  return a;
}

// One assertion result on the pipe: type, line, file, message, each as
// "<length>:<bytes>".
void PutField(std::string& out, std::string_view s) {
  out += std::to_string(s.size());
  out += ':';
  out += s;
}

bool TakeField(std::string_view& in, std::string& s) {
  const std::size_t colon = in.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  std::size_t n = 0;
  for (char c : in.substr(0, colon)) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  if (in.size() - colon - 1 < n) return false;
  s.assign(in.substr(colon + 1, n));
  in.remove_prefix(colon + 1 + n);
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string Drop(const Account& a) {
  if (::setgroups(0, nullptr) != 0) return std::string("setgroups: ") + std::strerror(errno);
  if (::setgid(a.gid) != 0) return std::string("setgid: ") + std::strerror(errno);
  if (::setuid(a.uid) != 0) return std::string("setuid: ") + std::strerror(errno);
  if (::setuid(0) == 0) return "root rights came back after setuid";
  return "";
}

[[noreturn]] void RunChild(int fd, const Account& a, const std::string& dir, const std::function<void()>& body) {
  testing::TestPartResultArray parts;
  {
    // Recorded here and sent to the parent, which reports them once.
    testing::ScopedFakeTestPartResultReporter intercept(
        testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &parts);
    const std::string failed = Drop(a);
    if (!failed.empty()) {
      ADD_FAILURE() << "cannot run as uid " << a.uid << ": " << failed;
    } else if (::access(dir.c_str(), W_OK | X_OK) != 0) {
      ADD_FAILURE() << "uid " << a.uid << " cannot write in " << dir << ": " << std::strerror(errno)
                    << " (is every folder above it open to others?)";
    } else {
      try {
        body();
      } catch (const std::exception& e) {
        ADD_FAILURE() << "exception thrown: " << e.what();
      } catch (...) {
        ADD_FAILURE() << "unknown exception thrown";
      }
    }
  }
  std::string report;
  for (int i = 0; i < parts.size(); ++i) {
    const testing::TestPartResult& r = parts.GetTestPartResult(i);
    PutField(report, std::to_string(static_cast<int>(r.type())));
    PutField(report, std::to_string(r.line_number()));
    PutField(report, r.file_name() != nullptr ? r.file_name() : "");
    PutField(report, r.message());
  }
  // No exit handlers: they belong to the parent (its files, its leak check).
  ::_exit(WriteAll(fd, report) ? 0 : 3);
}

// Everything the child writes until it closes the pipe or the time is up.
bool ReadReport(int fd, std::string& report) {
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    report.append(buffer, static_cast<std::size_t>(n));
  }
}

void Report(std::string_view report) {
  std::string type, line, file, message;
  while (!report.empty()) {
    if (!TakeField(report, type) || !TakeField(report, line) || !TakeField(report, file) ||
        !TakeField(report, message)) {
      ADD_FAILURE() << "garbled report from the unprivileged child";
      return;
    }
    GTEST_MESSAGE_AT_(file.empty() ? nullptr : file.c_str(), std::stoi(line), message.c_str(),
                      static_cast<testing::TestPartResult::Type>(std::stoi(type)));
  }
}

}  // namespace

void RunAsOrdinaryUser(const std::string& dir, const std::function<void()>& body) {
  if (::geteuid() != 0) {
    body();
    return;
  }
  const Account a = Nobody();
  if (::chown(dir.c_str(), a.uid, a.gid) != 0) {
    ADD_FAILURE() << "cannot hand " << dir << " to uid " << a.uid << ": " << std::strerror(errno);
    return;
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return;
  }
  // Nothing buffered may be written twice.
  std::cout.flush();
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    ADD_FAILURE() << "fork: " << std::strerror(errno);
    ::close(fds[0]);
    ::close(fds[1]);
    return;
  }
  if (pid == 0) {
    ::close(fds[0]);
    RunChild(fds[1], a, dir, body);
  }
  ::close(fds[1]);
  std::string report;
  const bool whole = ReadReport(fds[0], report);
  ::close(fds[0]);
  if (!whole) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!whole) {
    ADD_FAILURE() << "the body run as uid " << a.uid << " took longer than " << kTimeLimit.count() << " s";
    return;
  }
  if (WIFSIGNALED(status)) {
    ADD_FAILURE() << "the body run as uid " << a.uid << " died of signal " << WTERMSIG(status);
  } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << "the body run as uid " << a.uid << " exited with code " << WEXITSTATUS(status);
  }
  Report(report);
}

}  // namespace zefr::test
