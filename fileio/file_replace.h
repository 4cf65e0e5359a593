#pragma once
// Replacing a file whole on POSIX, so that readers see the old file or the
// new one and never a torn mix, and nothing about the file changes but its
// bytes:
// - the new bytes go to an unnamed file beside the old one, linked in and
//   renamed over it only when complete; a killed run leaves nothing behind
//   (a recognisable ".NAME.zefr-*" name only where unnamed files are not
//   available);
// - the old file's owner, group and mode are kept (never set-id bits);
// - a link is followed by the kernel's open, with its rules (a link another
//   user planted in a sticky folder is refused), never resolved by hand;
// - where the replace cannot keep the file as it was (hard links, another
//   owner, a folder we cannot write) but the file itself is writable, the
//   bytes are written in place instead;
// - devices such as /dev/null are written in place; FIFOs, sockets and
//   directories are refused (EINVAL, EISDIR);
// - a file-size limit gives EFBIG instead of killing the process.
// Errors are errno values.

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace zefr::files {

class FileReplacer {
 public:
  using WriteFn = ssize_t (*)(int fd, const void* data, size_t size);
  enum class Method { kNone, kReplace, kInPlace, kDevice };

  // write stands in for ::write, so tests can make writes fail.
  explicit FileReplacer(WriteFn write = nullptr);
  ~FileReplacer();
  FileReplacer(const FileReplacer&) = delete;
  FileReplacer& operator=(const FileReplacer&) = delete;

  // Opens what a write to path would reach and chooses how to write it.
  bool Open(const std::string& path, int& error);
  // Writes bytes and puts them in place; on failure the old file is as it was
  // (except in place, where that cannot be promised) and nothing is left.
  bool Commit(std::string_view bytes, int& error);
  Method method() const { return method_; }

 private:
  bool OpenNew(const std::string& path, int& error);
  bool OpenReplacement(const std::string& path, const struct stat& old, int& error);
  bool MakeTemp(const std::string& dir, const std::string& name, mode_t mode, int& error);
  bool LinkTemp(int& error);
  bool WriteAll(int fd, std::string_view bytes, int& error);
  bool CommitInPlace(std::string_view bytes, int& error);
  void UseInPlace();
  void Discard();

  WriteFn write_;
  Method method_ = Method::kNone;
  int targetFd_ = -1;      // the existing file, for in-place and device writes
  int tempFd_ = -1;        // the new file
  bool unnamed_ = false;   // tempFd_ is an O_TMPFILE not yet linked anywhere
  bool fresh_ = false;     // no file was there: link the new one under target_ directly
  std::string target_;     // where the new file goes
  std::string tempName_;   // a named temporary file, while one exists
};

}  // namespace zefr::files
