#include "programs.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>

namespace zefr::reliability {

namespace fs = std::filesystem;

Spawned RunZefrcfg(const fs::path& dir, const std::vector<std::string>& args, long fileSizeLimit) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 1);
    ::dup2(fds[1], 2);
    ::close(fds[0]);
    ::close(fds[1]);
    const int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, 0);
    if (::chdir(dir.c_str()) != 0) _exit(127);
    if (fileSizeLimit >= 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit lim{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    std::vector<char*> argv{const_cast<char*>(ZEFRCFG_BINARY)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(ZEFRCFG_BINARY, argv.data());
    _exit(127);
  }
  ::close(fds[1]);
  Spawned s;
  char buf[4096];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) s.out.append(buf, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  s.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return s;
}

Compiled CompileWithProgram(const fs::path& dir, const std::string& text) {
  Put(dir / "compile.ini", text);
  std::error_code ec;
  fs::remove(dir / "compile.bin", ec);
  const Spawned s = RunZefrcfg(dir, {"compile.ini", "-o", "compile.bin"});
  Compiled c;
  c.ok = s.exitCode == 0;
  c.console = s.out;
  const std::string bytes = Slurp(dir / "compile.bin");
  c.bytes.assign(bytes.begin(), bytes.end());
  return c;
}

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

Editor::Editor() {
  for (const ParameterId id : schema.DisplayOrder()) {
    if (const ParameterDescriptor* d = schema.Descriptor(id)) rows.Create(*d);
    doc.InitRow(id);
  }
  doc.StartUp();
  doc.ResetToDefaults();
}

ParameterId Editor::Id(const std::string& section, const std::string& key) const {
  return *schema.ParameterOfKey(*schema.InstanceOfSection(section), key);
}

void Editor::Edit(const std::string& section, const std::string& key, const std::string& value) {
  const ParameterId id = Id(section, key);
  rows.Find(id)->SetText(value);
  doc.OnCommitted(id);
}

}  // namespace zefr::reliability
