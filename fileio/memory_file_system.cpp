#include "memory_file_system.h"

#include <cerrno>

namespace zefr::files {

namespace {

class MemoryReplacement : public Replacement {
 public:
  MemoryReplacement(MemoryFileSystem& files, std::string path, int failure)
      : files_(files), path_(std::move(path)), failure_(failure) {}
  bool Commit(std::string_view bytes, int& error) override {
    if (failure_ != 0) {
      error = failure_;
      return false;
    }
    files_.Add(path_, std::string(bytes));
    return true;
  }

 private:
  MemoryFileSystem& files_;
  std::string path_;
  int failure_;
};

}  // namespace

void MemoryFileSystem::Add(const std::string& path, std::string content) { files_[path] = std::move(content); }

const std::string* MemoryFileSystem::Find(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

void MemoryFileSystem::Fail(Step step, const std::string& path, int error) {
  if (error == 0)
    failures_.erase({step, path});
  else
    failures_[{step, path}] = error;
}

int MemoryFileSystem::Reads(const std::string& path) const {
  auto it = reads_.find(path);
  return it == reads_.end() ? 0 : it->second;
}

int MemoryFileSystem::Failure(Step step, const std::string& path) const {
  auto it = failures_.find({step, path});
  return it == failures_.end() ? 0 : it->second;
}

bool MemoryFileSystem::Read(const std::string& path, std::size_t limit, std::string& content, int& error) {
  ++reads_[path];
  content.clear();
  const std::string* file = Find(path);
  error = Failure(Step::kRead, path);
  if (error == 0 && !file) error = ENOENT;
  if (error != 0) return false;
  if (file->size() > limit) {
    content.assign(*file, 0, limit + 1);
    error = EFBIG;
    return false;
  }
  content = *file;
  return true;
}

bool MemoryFileSystem::OpensForReading(const std::string& path, bool regularOnly, int& error) {
  const int failure = Failure(Step::kRead, path);
  if (failure == EINVAL && !regularOnly) return true;
  error = failure != 0 ? failure : Find(path) ? 0 : ENOENT;
  return error == 0;
}

std::unique_ptr<Replacement> MemoryFileSystem::StartReplace(const std::string& path, int& error) {
  error = Failure(Step::kStartReplace, path);
  if (error != 0) return nullptr;
  return std::make_unique<MemoryReplacement>(*this, path, Failure(Step::kCommit, path));
}

}  // namespace zefr::files
