#include "payload_file.h"

#include <cerrno>

namespace zefr {

bool PayloadFileExists(files::FileSystem& files, const std::string& path) {
  int ignored = 0;
  return files.OpensForReading(path, false, ignored);
}

bool PayloadFileWriter::Open(const std::string& path, int& error) {
  replacement_ = files_.StartReplace(path, error);
  return replacement_ != nullptr;
}

bool PayloadFileWriter::Write(const PayloadImage& image, int& error) {
  if (!replacement_) {
    error = EBADF;
    return false;
  }
  const auto* bytes = reinterpret_cast<const char*>(image.bytes.data());
  const bool ok = replacement_->Commit(std::string_view(bytes, image.bytes.size()), error);
  replacement_.reset();
  return ok;
}

}  // namespace zefr
