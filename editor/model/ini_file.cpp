#include "ini_file.h"

#include <optional>

namespace zefr {

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

IniFile::~IniFile() = default;

bool IniFile::Open() {
  batch_ = std::make_unique<PrivateProfile>(path_);
  return batch_->Open(&error_);
}

void IniFile::OpenText(std::string_view bytes) {
  batch_ = std::make_unique<PrivateProfile>(path_);
  batch_->OpenText(bytes);
}

std::string IniFile::Text() const { return batch_ ? batch_->Text() : std::string(); }

bool IniFile::Commit() {
  if (!batch_) return true;
  bool ok = batch_->Commit(&error_);
  batch_.reset();
  return ok;
}

void IniFile::Close() { batch_.reset(); }

std::string IniFile::Read(std::string_view section, std::string_view key,
                          std::string_view fallback) const {
  if (!batch_) return ProfileReadString(section, key, fallback, path_);
  std::optional<std::string> value = batch_->Read(section, key);
  return value ? *value : std::string(fallback);
}

bool IniFile::Exists(std::string_view section, std::string_view key) const {
  if (batch_) return batch_->Read(section, key).has_value();
  PrivateProfile file(path_);
  std::string ignored;
  file.Open(&ignored);
  return file.Read(section, key).has_value();
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  if (batch_) return batch_->Read(section, key);
  if (!Exists(section, key)) return std::nullopt;
  return Read(section, key);
}

bool IniFile::Write(std::string_view section, std::string_view key, std::string_view text) {
  if (batch_) return batch_->Write(section, key, text, &error_);
  return ProfileWriteString(section, key, text, path_, &error_);
}

bool IniFile::Remove(std::string_view section, std::string_view key) {
  if (batch_) {
    batch_->Remove(section, key);
    return true;
  }
  return ProfileWriteString(section, key, std::nullopt, path_, &error_);
}

}  // namespace zefr
