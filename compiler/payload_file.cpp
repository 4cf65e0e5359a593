#include "payload_file.h"

namespace zefr {

PayloadFileWriter::PayloadFileWriter(WriteFn write) : replacer_(write) {}

PayloadFileWriter::~PayloadFileWriter() = default;

bool PayloadFileWriter::Open(const std::string& path, int& error) { return replacer_.Open(path, error); }

bool PayloadFileWriter::Write(const PayloadImage& image, int& error) {
  const auto* bytes = reinterpret_cast<const char*>(image.bytes.data());
  return replacer_.Commit(std::string_view(bytes, image.bytes.size()), error);
}

}  // namespace zefr
