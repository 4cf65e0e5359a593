#include "folder_checks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace zefr {
namespace {

namespace fs = std::filesystem;

// A fresh folder of its own under the test's temporary folder.
class Scratch {
 public:
  Scratch() {
    std::string name = testing::TempDir() + "folder_checks-XXXXXX";
    path_ = ::mkdtemp(name.data()) != nullptr ? name : std::string();
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

FileId IdOf(const std::string& path) {
  FileId id;
  EXPECT_TRUE(IdentityOf(path, &id)) << path;
  return id;
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

// Root can give a file away; anybody else skips the cases that need it.
bool GiveAway(const std::string& path) { return ::geteuid() == 0 && ::chown(path.c_str(), 65534, 65534) == 0; }

TEST(FolderChecks, OthersMustNotBeAbleToRearrangeTheFolders) {
  const struct {
    const char* name;
    std::function<bool(const std::string& dir)> arrange;  // false: case skipped
    const char* folder;  // the folder the reason names, below the scratch folder ("" for itself)
    const char* why;     // "" when the folder is fine
  } cases[] = {
      {"private", [](const std::string&) { return true; }, "", ""},
      {"sticky and open to all", [](const std::string& d) { return ::chmod(d.c_str(), 01777) == 0; }, "", ""},
      {"open to all", [](const std::string& d) { return ::chmod(d.c_str(), 0777) == 0; }, "",
       " can be written by others and has no sticky bit"},
      {"open to the group", [](const std::string& d) { return ::chmod(d.c_str(), 0770) == 0; }, "",
       " can be written by others and has no sticky bit"},
      {"another user's", GiveAway, "", " belongs to another user"},
      {"a file", [](const std::string& d) { return ::rmdir(d.c_str()) == 0 && (Touch(d), true); }, "",
       " is not a folder"},
      {"missing", [](const std::string& d) { return ::rmdir(d.c_str()) == 0; }, "",
       ": No such file or directory"},
  };
  for (const auto& c : cases) {
    Scratch scratch;
    const std::string dir = scratch.path() + "/base";
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    if (!c.arrange(dir)) {
      std::cout << "skipped: " << c.name << "\n";
      continue;
    }
    const std::string want = *c.why ? "\"" + dir + c.folder + "\"" + c.why : "";
    EXPECT_EQ(WhyOthersCanChange(dir), want) << c.name;
    // A private folder below one that fails fails for that one.
    if (*c.why && std::string(c.name) != "a file" && std::string(c.name) != "missing") {
      const std::string below = dir + "/private";
      ASSERT_EQ(::mkdir(below.c_str(), 0700), 0);
      EXPECT_EQ(WhyOthersCanChange(below), want) << c.name;
    }
  }
}

TEST(FolderChecks, TheDirectoryAndFileMustStayWhatWasMade) {
  const struct {
    const char* name;
    std::function<bool(const std::string& dir, const std::string& file)> change;
    const char* dirWhy;   // after the path of the directory
    const char* fileWhy;  // after the path of the file
  } cases[] = {
      {"untouched", [](const std::string&, const std::string&) { return true; }, "", ""},
      {"directory opened", [](const std::string& d, const std::string&) { return ::chmod(d.c_str(), 0755) == 0; },
       " is open to others", ""},
      {"directory replaced",
       [](const std::string& d, const std::string&) {
         return ::rename(d.c_str(), (d + ".old").c_str()) == 0 && ::mkdir(d.c_str(), 0700) == 0;
       },
       " was replaced", ": No such file or directory"},
      {"directory replaced by a link",
       [](const std::string& d, const std::string&) {
         return ::rename(d.c_str(), (d + ".old").c_str()) == 0 && ::symlink((d + ".old").c_str(), d.c_str()) == 0;
       },
       " is no longer a directory", ""},
      {"directory given away", [](const std::string& d, const std::string&) { return GiveAway(d); },
       " belongs to another user", ""},
      // Moved away rather than removed: a removed file's inode may come back at once.
      {"file replaced",
       [](const std::string& d, const std::string& f) {
         return ::rename(f.c_str(), (d + "/moved").c_str()) == 0 && (Touch(f), true);
       },
       "", " was replaced"},
      {"file replaced by a link",
       [](const std::string& d, const std::string& f) {
         return ::rename(f.c_str(), (d + "/moved").c_str()) == 0 && ::symlink("moved", f.c_str()) == 0;
       },
       "", " was replaced"},
      {"file writable by the group", [](const std::string&, const std::string& f) { return ::chmod(f.c_str(), 0770) == 0; },
       "", " can be written by others"},
      {"file given away", [](const std::string&, const std::string& f) { return GiveAway(f); }, "",
       " belongs to another user"},
      {"file removed", [](const std::string&, const std::string& f) { return ::unlink(f.c_str()) == 0; }, "",
       ": No such file or directory"},
  };
  for (const auto& c : cases) {
    Scratch scratch;
    const std::string dir = scratch.path() + "/work";
    const std::string file = dir + "/program";
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    Touch(file);
    ASSERT_EQ(::chmod(file.c_str(), 0700), 0);
    const FileId made = IdOf(dir), written = IdOf(file);
    if (!c.change(dir, file)) {
      std::cout << "skipped: " << c.name << "\n";
      continue;
    }
    EXPECT_EQ(WhyNotPrivateDirectory(dir, made), *c.dirWhy ? "\"" + dir + "\"" + c.dirWhy : "") << c.name;
    EXPECT_EQ(WhyNotWrittenFile(file, written), *c.fileWhy ? "\"" + file + "\"" + c.fileWhy : "") << c.name;
  }
}

}  // namespace
}  // namespace zefr
