#pragma once
// The payload file: the 1984 image bytes and nothing else. A new file is
// written beside the old one and renamed over it only when complete, so a
// failed write never costs the payload that was there before (on POSIX with
// the shared whole-file replace, which also keeps owner, mode and links).

#include <string>
#include <sys/types.h>

#include "payload_image.h"

#ifndef _WIN32
#include "file_replace.h"
#endif

namespace zefr {

class PayloadFileWriter {
 public:
  using WriteFn = ssize_t (*)(int fd, const void* data, size_t size);
  explicit PayloadFileWriter(WriteFn write = nullptr);
  ~PayloadFileWriter();
  PayloadFileWriter(const PayloadFileWriter&) = delete;
  PayloadFileWriter& operator=(const PayloadFileWriter&) = delete;

  // Prepares writing to path; false with an errno value when it cannot be opened.
  bool Open(const std::string& path, int& error);
  // Writes all bytes and puts the file in place; false with an errno value.
  bool Write(const PayloadImage& image, int& error);

 private:
#ifdef _WIN32
  void Discard();

  WriteFn write_;
  int fd_ = -1;
  bool direct_ = false;  // devices and other non-regular files are written in place
  std::string target_;
  std::string temp_;
#else
  files::FileReplacer replacer_;
#endif
};

}  // namespace zefr
