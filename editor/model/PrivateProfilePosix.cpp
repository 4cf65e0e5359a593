// The private-profile service on POSIX: the file is read whole into a
// ProfileText, and written back by writing a complete new file beside it and
// renaming that over the old one, so a failure leaves the old file intact.

#include "PrivateProfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "ProfileText.h"

namespace zefr {
namespace {

std::string Failure(const char* what, const std::string& path, int err) {
  return std::string(what) + " \"" + path + "\": " + std::strerror(err);
}

// 0 on success, else the errno of the failure. A missing file reads empty.
int ReadWholeFile(const std::string& path, std::string* out) {
  out->clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? 0 : errno;
  char buffer[65536];
  int err = 0;
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      out->append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      err = errno;
      break;
    }
  }
  ::close(fd);
  return err;
}

int WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

// A link is written through, so that it stays a link to the saved file.
std::string WriteTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  }
  return path;
}

mode_t DefaultMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// 0 on success, else the errno of the step that failed; the target is then
// untouched and no temporary file is left behind.
int ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string target = WriteTarget(path);
  struct stat old;
  bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && ::access(target.c_str(), W_OK) != 0) return errno;

  std::filesystem::path where(target);
  std::string temp = (where.has_parent_path() ? where.parent_path().string() + "/" : "") +
                     where.filename().string() + ".tmp-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return errno;

  int err = 0;
  if (::fchmod(fd, exists ? (old.st_mode & 07777) : DefaultMode()) != 0) err = errno;
  if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    // Keeping the owner only works with the rights to do so; not worth failing over.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    }
  }
  if (err == 0) err = WriteAll(fd, bytes);
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return err;
  }
  // Make the rename itself durable; the data is already safe either way.
  std::string dir = where.has_parent_path() ? where.parent_path().string() : ".";
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return 0;
}

}  // namespace

struct PrivateProfile::Impl {
  std::string path;
  ProfileText text;
  std::string unreadable;  // why Open failed; Commit then refuses
};

PrivateProfile::PrivateProfile(std::string path) : impl_(std::make_unique<Impl>()) {
  impl_->path = std::move(path);
}

PrivateProfile::~PrivateProfile() = default;

bool PrivateProfile::Open(std::string* error) {
  std::string bytes;
  int err = ReadWholeFile(impl_->path, &bytes);
  if (err != 0) {
    impl_->text = ProfileText();
    impl_->unreadable = Failure("Cannot read", impl_->path, err);
    if (error) *error = impl_->unreadable;
    return false;
  }
  impl_->text = ProfileText(bytes);
  impl_->unreadable.clear();
  return true;
}

std::optional<std::string> PrivateProfile::Read(std::string_view section,
                                                std::string_view key) const {
  return impl_->text.Read(section, key);
}

bool PrivateProfile::Write(std::string_view section, std::string_view key,
                           std::string_view value, std::string* error) {
  std::string why = ProfileText::ValidEntry(section, key, value);
  if (!why.empty()) {
    if (error)
      *error = "Cannot write key \"" + std::string(key) + "\" of section \"" +
               std::string(section) + "\": " + why;
    return false;
  }
  return impl_->text.Write(section, key, value);
}

void PrivateProfile::Remove(std::string_view section, std::string_view key) {
  impl_->text.Remove(section, key);
}

bool PrivateProfile::Commit(std::string* error) {
  if (!impl_->unreadable.empty()) {
    if (error) *error = impl_->unreadable;
    return false;
  }
  if (!impl_->text.Modified()) return true;
  int err = ReplaceFile(impl_->path, impl_->text.Bytes());
  if (err != 0) {
    if (error) *error = Failure("Cannot write", impl_->path, err);
    return false;
  }
  impl_->text.ClearModified();
  return true;
}

}  // namespace zefr
