#pragma once

// The private-profile service: reading and writing single keys of INI files.
// This header is the platform seam. private_profile_posix.cpp implements it
// over ProfileText with a safe whole-file replace; a Windows build can
// implement it with GetPrivateProfileStringA and WritePrivateProfileStringA.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zefr {

// One INI file opened for a batch of reads and writes that reach the disk
// once, at Commit. Nothing is written unless Commit is called.
class PrivateProfile {
 public:
  explicit PrivateProfile(std::string path);
  ~PrivateProfile();
  PrivateProfile(const PrivateProfile&) = delete;
  PrivateProfile& operator=(const PrivateProfile&) = delete;

  // Reads the file. A missing file opens empty (a write creates it); a file
  // that exists but cannot be read gives false and `error`, reads then find
  // nothing and Commit refuses, so its content is never replaced.
  bool Open(std::string* error);
  // Takes the text as the file's content instead of reading the file (texts
  // that live in memory, such as the bundled defaults).
  void OpenText(std::string_view bytes);
  // The content as it stands, with the batch's writes.
  std::string Text() const;

  // Value of the key, or nullopt when the section or key is absent.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;

  // Writes KEY=VALUE in place. False with `error` for names or values that
  // cannot be written on one INI line.
  bool Write(std::string_view section, std::string_view key, std::string_view value,
             std::string* error);

  // Deletes the key's line; an absent key is no error.
  void Remove(std::string_view section, std::string_view key);

  // Puts the changed file on disk: all or nothing, never a truncated file.
  // False with `error` when that failed; the file then is as it was.
  bool Commit(std::string* error);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Single-key forms in the shape of the platform calls; each one opens the
// file, and a write also commits it.

// The key's value, or `fallback` when the section or key is absent or the
// file cannot be read.
std::string ProfileReadString(std::string_view section, std::string_view key,
                              std::string_view fallback, const std::string& path);

// Writes the key, or removes it when `value` is nullopt. False with `error`
// when the file could not be read or written.
bool ProfileWriteString(std::string_view section, std::string_view key,
                        std::optional<std::string_view> value, const std::string& path,
                        std::string* error);

}  // namespace zefr
