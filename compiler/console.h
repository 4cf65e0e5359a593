#pragma once
// The compiler's only way to print. Two primitives, as the console report is
// an interface the editor shows verbatim: Line adds a line feed, Format does not.

#include <cstdio>
#include <string>
#include <string_view>

namespace zefr {

class Console {
 public:
  virtual ~Console() = default;

  // Writes text followed by one line feed.
  void Line(std::string_view text);
  // printf-style; writes exactly what was formatted.
  void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  // Pushes pending text out (before reading an answer from the user).
  virtual void Flush() {}

 protected:
  virtual void Write(std::string_view bytes) = 0;
};

// Writes to the process's standard output.
class StdoutConsole : public Console {
 public:
  void Flush() override { std::fflush(stdout); }

 protected:
  // Pushed out at once even into a pipe, so the editor can show a delivery's
  // progress while the link library retries.
  void Write(std::string_view bytes) override {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
  }
};

// Keeps everything printed, for tests and benchmarks.
class CaptureConsole : public Console {
 public:
  const std::string& Text() const { return text_; }
  void Clear() { text_.clear(); }

 protected:
  void Write(std::string_view bytes) override { text_.append(bytes); }

 private:
  std::string text_;
};

}  // namespace zefr
