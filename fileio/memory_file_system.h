#pragma once
// Files held in memory, for tests: a file is a name and its bytes (no
// folders, links or owners), and any step on any name can be made to fail.

#include <map>
#include <string>
#include <utility>

#include "file_system.h"

namespace zefr::files {

class MemoryFileSystem : public FileSystem {
 public:
  enum class Step { kRead, kStartReplace, kCommit };

  // Puts a file in place, replacing any of that name.
  void Add(const std::string& path, std::string content);
  // The file's bytes; null when there is none.
  const std::string* Find(const std::string& path) const;
  // Makes step fail on path with error from now on; 0 lets it succeed again.
  // A read failing with EINVAL stands for a FIFO or a device: it still opens
  // for reading when regular files are not required.
  void Fail(Step step, const std::string& path, int error);
  // How often path was read, whether or not the read succeeded.
  int Reads(const std::string& path) const;

  bool Read(const std::string& path, std::size_t limit, std::string& content, int& error) override;
  bool OpensForReading(const std::string& path, bool regularOnly, int& error) override;
  std::unique_ptr<Replacement> StartReplace(const std::string& path, int& error) override;

 private:
  int Failure(Step step, const std::string& path) const;

  std::map<std::string, std::string> files_;
  std::map<std::pair<Step, std::string>, int> failures_;
  std::map<std::string, int> reads_;
};

}  // namespace zefr::files
