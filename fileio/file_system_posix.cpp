// The file seam on POSIX: the bounded, torn-read-safe read of file_read.h and
// the whole-file replace of file_replace.h.
#include "file_system.h"

#include "file_read.h"
#include "file_replace.h"

namespace zefr::files {

namespace {

class PosixReplacement : public Replacement {
 public:
  bool Open(const std::string& path, int& error) { return replacer_.Open(path, error); }
  bool Commit(std::string_view bytes, int& error) override { return replacer_.Commit(bytes, error); }

 private:
  FileReplacer replacer_;
};

class PosixFileSystem : public FileSystem {
 public:
  bool Read(const std::string& path, std::size_t limit, std::string& content, int& error) override {
    return ReadRegularFile(path, limit, content, error);
  }
  bool OpensForReading(const std::string& path, bool regularOnly, int& error) override {
    return files::OpensForReading(path, regularOnly, error);
  }
  std::unique_ptr<Replacement> StartReplace(const std::string& path, int& error) override {
    auto replacement = std::make_unique<PosixReplacement>();
    if (!replacement->Open(path, error)) return nullptr;
    return replacement;
  }
};

}  // namespace

FileSystem& Disk() {
  static PosixFileSystem disk;
  return disk;
}

}  // namespace zefr::files
