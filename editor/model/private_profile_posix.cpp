// The private-profile service over the file seam: the file is read whole
// into a ProfileText, and replaced whole, so a failure leaves the old file
// intact.

#include "private_profile.h"

#include <cerrno>
#include <cstring>

#include "file_system.h"
#include "profile_text.h"

namespace zefr {
namespace {

// The largest INI text read, as the compiler bounds it: CR LF counts as one.
constexpr std::size_t kMaxTextBytes = 1048576;

// A read refuses a larger text with EFBIG; a write gets it from a file-size
// limit, which the system's own words describe.
std::string Failure(bool reading, const std::string& path, int err) {
  std::string why = err == EINVAL               ? "not a regular file"
                    : reading && err == EFBIG ? "larger than " + std::to_string(kMaxTextBytes) + " bytes"
                                              : std::strerror(err);
  return std::string(reading ? "Cannot read" : "Cannot write") + " \"" + path + "\": " + why;
}

// 0 on success, else the errno of the failure. A missing file reads empty;
// only regular files are read, and a larger text is refused (EFBIG).
int ReadWholeFile(const std::string& path, std::string* out) {
  int err = 0;
  if (!files::Disk().Read(path, 2 * kMaxTextBytes, *out, err)) {
    if (err == EFBIG) return EFBIG;
    out->clear();
    return err == ENOENT ? 0 : err;
  }
  std::size_t crlf = 0;
  for (std::size_t at = out->find("\r\n"); at != std::string::npos; at = out->find("\r\n", at + 2)) ++crlf;
  return out->size() - crlf > kMaxTextBytes ? EFBIG : 0;
}

// 0 on success, else the errno of the step that failed; the target is then
// as it was and no temporary file is left behind.
int ReplaceFile(const std::string& path, const std::string& bytes) {
  int err = 0;
  return files::Disk().Replace(path, bytes, err) ? 0 : err;
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
    impl_->unreadable = Failure(true, impl_->path, err);
    if (error) *error = impl_->unreadable;
    return false;
  }
  impl_->text = ProfileText(bytes);
  impl_->unreadable.clear();
  return true;
}

void PrivateProfile::OpenText(std::string_view bytes) {
  impl_->text = ProfileText(std::string(bytes));
  impl_->unreadable.clear();
}

std::string PrivateProfile::Text() const { return impl_->text.Bytes(); }

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
    if (error) *error = Failure(false, impl_->path, err);
    return false;
  }
  impl_->text.ClearModified();
  return true;
}

}  // namespace zefr
