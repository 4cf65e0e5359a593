#pragma once
// The payload file: the 1984 image bytes and nothing else, replaced whole
// through the file seam, so a failed write never costs the payload that was
// there before.

#include <memory>
#include <string>

#include "file_system.h"
#include "payload_image.h"

namespace zefr {

// Whether something is at path that a read could open (the overwrite
// question), without blocking on a FIFO or a device.
bool PayloadFileExists(files::FileSystem& files, const std::string& path);

class PayloadFileWriter {
 public:
  explicit PayloadFileWriter(files::FileSystem& files) : files_(files) {}

  // Prepares writing to path; false with an errno value when it cannot be opened.
  bool Open(const std::string& path, int& error);
  // Writes all bytes and puts the file in place; false with an errno value.
  bool Write(const PayloadImage& image, int& error);

 private:
  files::FileSystem& files_;
  std::unique_ptr<files::Replacement> replacement_;
};

}  // namespace zefr
