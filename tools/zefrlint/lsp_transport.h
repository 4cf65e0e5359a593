#pragma once
// Language Server Protocol framing over a pair of file descriptors:
// "Content-Length: N\r\n\r\n" then N bytes of JSON.

#include <string>
#include <string_view>

namespace zefr::lint {

// A message larger than this is refused: no editor sends a configuration
// file anywhere near it.
inline constexpr std::size_t kMaxMessageBytes = 16 * 1024 * 1024;

enum class ReadResult { kMessage, kEnd, kBadFrame };

class MessageReader {
 public:
  explicit MessageReader(int fd) : fd_(fd) {}
  // kBadFrame: headers without a usable Content-Length, or one over the
  // bound; `error` says which, and the reader has skipped that frame's body
  // when it could.
  ReadResult Read(std::string* body, std::string* error);

 private:
  bool Fill();  // false at the end of input
  int fd_;
  std::string buffer_;
  bool ended_ = false;
};

// Writes the frame whole (retrying short writes); false when the peer is gone.
bool WriteMessage(int fd, std::string_view body);

}  // namespace zefr::lint
