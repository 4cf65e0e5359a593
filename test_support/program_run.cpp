#include "program_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace zefr::test {

ProgramRun RunProgram(const char* program, const std::vector<std::string>& args, const std::filesystem::path& dir,
                      int in, int err, long fileSizeLimit) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  std::vector<char*> argv{const_cast<char*>(program)};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return {};
  }
  if (pid == 0) {
    ::dup2(in, 0);
    ::dup2(fds[1], 1);
    ::dup2(err >= 0 ? err : fds[1], 2);
    ::close(fds[0]);
    ::close(fds[1]);
    if (::chdir(dir.c_str()) != 0) _exit(127);
    if (fileSizeLimit >= 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit lim{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ::execv(program, argv.data());
    _exit(127);
  }
  ::close(fds[1]);
  ProgramRun r;
  char buf[4096];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) r.out.append(buf, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

}  // namespace zefr::test
