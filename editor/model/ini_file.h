#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "private_profile.h"

namespace zefr {

// The document's access to one INI file over the private-profile service.
// Between Open and Commit (or Close) every call works on one copy of the
// file in memory, so a whole configuration is read once and written once;
// without Open each call reads, and each write also writes, the file itself.
class IniFile {
 public:
  explicit IniFile(std::string path);
  ~IniFile();

  const std::string& Path() const { return path_; }

  // Starts a batch. False when the file exists but cannot be read (Error());
  // the batch is open anyway, reads find nothing and Commit refuses.
  bool Open();
  // Starts a batch over the given text instead of the file's content.
  void OpenText(std::string_view bytes);
  // The batch's text as Commit would write it; empty without a batch.
  std::string Text() const;
  // Ends the batch, writing the file if anything changed. False when the
  // write failed (Error()); the file on disk is then as it was.
  bool Commit();
  // Ends the batch without writing.
  void Close();
  bool IsOpen() const { return batch_ != nullptr; }

  // The key's value; `fallback` when the section or key is absent.
  std::string Read(std::string_view section, std::string_view key,
                   std::string_view fallback = {}) const;
  // True when the key is present, even with an empty value.
  bool Exists(std::string_view section, std::string_view key) const;
  // Exists and Read in one lookup: the value, or nullopt when absent.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // Writes the key; no text writes an empty value. False with Error().
  bool Write(std::string_view section, std::string_view key, std::string_view text = {});
  // Deletes the key. False with Error() only when the file could not be written.
  bool Remove(std::string_view section, std::string_view key);

  // Why the last failing call failed, in words for the user.
  const std::string& Error() const { return error_; }

 private:
  std::string path_;
  std::unique_ptr<PrivateProfile> batch_;
  std::string error_;
};

}  // namespace zefr
