#pragma once
// Runs zefrsim as a child process on a private device directory, for tests
// and benchmarks.

#include <sys/types.h>

#include <string>
#include <vector>

namespace zefrsim {

// A fresh directory under $TMPDIR (or /tmp), removed with its files.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts zefrsim serving `deviceDir` with the extra arguments and waits
  // until its socket is there. False when it did not come up.
  bool Start(const std::string& deviceDir, const std::vector<std::string>& args = {},
             const std::string& index = "0");
  // Sends SIGTERM and waits; returns the child's exit status (-1: not running
  // or killed by a signal).
  int Stop();

  // Sends settings ("delay=1500@1 close@2", or "stats") over a control
  // connection and returns the answer.
  std::string Control(const std::string& settings) const;
  // One counter of the answer to "stats" (connects, requests, ...), -1 if absent.
  long Stat(const std::string& name) const;

  std::string SocketPath() const;
  const std::string& StorePath() const { return store_; }
  // Everything logged so far.
  std::string Log() const;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::string dir_, index_, store_, log_;
};

// The whole content of a file, empty when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace zefrsim
