#include "win_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

namespace zefr::win {
namespace {

TEST(WinError, MessagesEndLikeTheSystemsDo) {
  struct Case {
    std::uint32_t code;
    const char* text;
  } cases[] = {
      {kBadFormat, "An attempt was made to load a program with an incorrect format.\r\n"},
      {kBadCommand, "The device does not recognize the command.\r\n"},
      {kBadLength, "The program issued a command but the command length is incorrect.\r\n"},
      {kTimeout, "This operation returned because the timeout period expired.\r\n"},
      {kModNotFound, "The specified module could not be found.\r\n"},
      {kProcNotFound, "The specified procedure could not be found.\r\n"},
      {kDllInitFailed, "A dynamic link library (DLL) initialization routine failed.\r\n"},
      {12345, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(SystemMessage(c.code), c.text) << c.code;
}

TEST(WinError, EveryMappedErrnoHasText) {
  for (int e : {ENOENT, ECONNREFUSED, EACCES, ENOMEM, EMSGSIZE, EPROTOTYPE, EINVAL, EAGAIN, ENAMETOOLONG,
                EINTR, EIO, EPIPE, ECONNRESET, ENOBUFS, ETIMEDOUT, ENOTDIR, EMFILE, EBADF, ENODEV, 9999}) {
    std::uint32_t code = FromErrno(e);
    EXPECT_NE(code, 0u) << e;
    EXPECT_FALSE(SystemMessage(code).empty()) << e << " -> " << code;
  }
  EXPECT_EQ(FromErrno(ETIMEDOUT), kTimeout);
  EXPECT_EQ(FromErrno(ENOENT), kFileNotFound);
}

TEST(WinError, LastErrorBelongsToTheThread) {
  SetLastError(kTimeout);
  std::uint32_t seen = 1;
  std::thread([&] { seen = LastError(); SetLastError(kBadLength); }).join();
  EXPECT_EQ(seen, 0u);
  EXPECT_EQ(LastError(), kTimeout);
}

}  // namespace
}  // namespace zefr::win
