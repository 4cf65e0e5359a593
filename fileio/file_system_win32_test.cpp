#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "file_system.h"

namespace zefr::files {
namespace {

namespace fs = std::filesystem;

class Folder {
 public:
  Folder() {
    dir_ = fs::temp_directory_path() / ("zefr-fileio-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                        std::to_string(++count_));
    fs::create_directories(dir_);
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string operator/(const std::string& name) const { return (dir_ / name).string(); }
  // Names in the folder, sorted, for "nothing was left" checks.
  std::string Listing() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
    std::string out;
    for (const auto& n : names) out += n + " ";
    return out;
  }

 private:
  fs::path dir_;
  static inline int count_ = 0;
};

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Bytes as they are: no CR LF conversion, no end at Ctrl-Z.
const std::string kBinary("a\r\nb\nc\x1A" "d\0e", 9);

TEST(Win32FileSystem, ReadsBinaryBoundedAndNotDirectories) {
  Folder f;
  WriteText(f / "a.bin", kBinary);
  fs::create_directory(f / "dir");
  struct Case {
    std::string path;
    std::size_t limit;
    int error;  // 0: reads
    std::string content;
  } cases[] = {
      {f / "a.bin", 9, 0, kBinary},
      {f / "a.bin", 8, EFBIG, kBinary},
      {f / "a.bin", 3, EFBIG, kBinary.substr(0, 4)},
      {f / "missing.bin", 9, ENOENT, ""},
      // The system's open refuses a directory before it could be looked at.
      {f / "dir", 9, EACCES, ""},
      {"NUL", 9, 0, ""},
  };
  for (const Case& c : cases) {
    std::string content = "stale";
    int error = 0;
    EXPECT_EQ(Disk().Read(c.path, c.limit, content, error), c.error == 0) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
    EXPECT_EQ(content, c.content) << c.path;
  }
}

TEST(Win32FileSystem, OpensForReadingAnythingButADirectory) {
  Folder f;
  WriteText(f / "a.bin", "x");
  fs::create_directory(f / "dir");
  struct Case {
    std::string path;
    bool opens;
    bool opensAsRegular;
  } cases[] = {
      {f / "a.bin", true, true},
      {"NUL", true, false},
      {f / "missing.bin", false, false},
      {f / "dir", false, false},
  };
  for (const Case& c : cases) {
    int error = 0;
    EXPECT_EQ(Disk().OpensForReading(c.path, false, error), c.opens) << c.path;
    EXPECT_EQ(Disk().OpensForReading(c.path, true, error), c.opensAsRegular) << c.path;
  }
}

TEST(Win32FileSystem, ReplacesWholeAndLeavesNothingBeside) {
  Folder f;
  WriteText(f / "old.bin", "old old old");
  int error = 0;
  ASSERT_TRUE(Disk().Replace(f / "old.bin", kBinary, error)) << error;
  ASSERT_TRUE(Disk().Replace(f / "new.bin", kBinary, error)) << error;
  EXPECT_EQ(ReadText(f / "old.bin"), kBinary);
  EXPECT_EQ(ReadText(f / "new.bin"), kBinary);
  // Dropped before its commit, a replacement changes nothing.
  ASSERT_NE(Disk().StartReplace(f / "old.bin", error), nullptr);
  ASSERT_NE(Disk().StartReplace(f / "other.bin", error), nullptr);
  EXPECT_EQ(ReadText(f / "old.bin"), kBinary);
  EXPECT_EQ(f.Listing(), "new.bin old.bin ");
}

TEST(Win32FileSystem, RefusesWhatCannotBeReplaced) {
  Folder f;
  WriteText(f / "readonly.bin", "kept");
  ASSERT_TRUE(::SetFileAttributesA((f / "readonly.bin").c_str(), FILE_ATTRIBUTE_READONLY));
  fs::create_directory(f / "dir");
  struct Case {
    std::string path;
    int error;
  } cases[] = {
      {f / "readonly.bin", EACCES},
      {f / "dir", EACCES},
      {f / "missing\\p.bin", ENOENT},
  };
  for (const Case& c : cases) {
    int error = 0;
    EXPECT_FALSE(Disk().Replace(c.path, "new", error)) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
  }
  ::SetFileAttributesA((f / "readonly.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadText(f / "readonly.bin"), "kept");
  EXPECT_EQ(f.Listing(), "dir readonly.bin ");
}

// A device takes the bytes in place: no file of its name appears beside.
TEST(Win32FileSystem, WritesDevicesInPlace) {
  Folder f;
  int error = 0;
  EXPECT_TRUE(Disk().Replace("NUL", kBinary, error)) << error;
  EXPECT_TRUE(Disk().Replace(f / "NUL", kBinary, error)) << error;
  EXPECT_EQ(f.Listing(), "");
}

}  // namespace
}  // namespace zefr::files
