#include "lsp_transport.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "ini_reader.h"

namespace zefr::lint {

namespace {

// A header block longer than this is not LSP.
constexpr std::size_t kMaxHeaderBytes = 8192;

}  // namespace

bool MessageReader::Fill() {
  if (ended_) return false;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n > 0) {
      buffer_.append(chunk, static_cast<std::size_t>(n));
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    ended_ = true;
    return false;
  }
}

ReadResult MessageReader::Read(std::string* body, std::string* error) {
  std::size_t end;
  while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
    if (buffer_.size() > kMaxHeaderBytes) {
      buffer_.clear();
      *error = "header block too long";
      return ReadResult::kBadFrame;
    }
    if (!Fill()) return ReadResult::kEnd;
  }
  const std::string headers = buffer_.substr(0, end);
  buffer_.erase(0, end + 4);
  std::size_t length = 0;
  bool found = false;
  for (std::size_t start = 0; start <= headers.size();) {
    std::size_t stop = headers.find("\r\n", start);
    if (stop == std::string::npos) stop = headers.size();
    const std::string_view line(headers.data() + start, stop - start);
    start = stop + 2;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !EqualsNoCase(TrimIni(line.substr(0, colon)), "Content-Length")) continue;
    const std::string_view value = TrimIni(line.substr(colon + 1));
    const auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), length);
    found = ec == std::errc() && p == value.data() + value.size();
  }
  if (!found) {
    *error = "no Content-Length header";
    return ReadResult::kBadFrame;
  }
  if (length > kMaxMessageBytes) {
    // Skipped without keeping it, so an endless body cannot fill memory.
    std::size_t left = length;
    for (;;) {
      const std::size_t drop = std::min(left, buffer_.size());
      buffer_.erase(0, drop);
      left -= drop;
      if (left == 0 || !Fill()) break;
    }
    *error = "message of " + std::to_string(length) + " bytes is larger than " + std::to_string(kMaxMessageBytes);
    return ReadResult::kBadFrame;
  }
  while (buffer_.size() < length)
    if (!Fill()) return ReadResult::kEnd;
  body->assign(buffer_, 0, length);
  buffer_.erase(0, length);
  return ReadResult::kMessage;
}

bool WriteMessage(int fd, std::string_view body) {
  const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
  for (std::size_t done = 0; done < frame.size();) {
    const ssize_t n = ::write(fd, frame.data() + done, frame.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace zefr::lint
