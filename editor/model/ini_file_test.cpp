#include "ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "unprivileged.h"

namespace zefr {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zefr_inifile_XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Names in the folder: a failed save must not leave temporary files.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

// Find answers as Exists and Read together would, with and without a batch.
TEST_F(IniFileTest, FindIsExistsAndReadInOne) {
  const std::string path = PathOf("cfg.ini");
  Put(path, "[S]\nA=1 ;note\nE=\nB\n[T]\nA=2\n");
  const struct {
    const char* section;
    const char* key;
  } cases[] = {{"S", "A"}, {"s", "a"}, {"S", "E"}, {"S", "B"}, {"S", "C"}, {"T", "A"}, {"U", "A"}};
  IniFile single(path);
  IniFile batch(path);
  ASSERT_TRUE(batch.Open());
  for (const IniFile* ini : {&single, &batch})
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.section) + "/" + c.key + (ini->IsOpen() ? " batch" : " single"));
      const std::optional<std::string> found = ini->Find(c.section, c.key);
      ASSERT_EQ(found.has_value(), ini->Exists(c.section, c.key));
      if (found) {
        EXPECT_EQ(*found, ini->Read(c.section, c.key, "absent"));
      }
    }
  batch.Close();
}

TEST_F(IniFileTest, SingleCallsReadAndWriteTheFile) {
  std::string path = PathOf("cfg.ini");
  IniFile ini(path);
  EXPECT_EQ(ini.Path(), path);
  EXPECT_EQ(ini.Read("S", "A", "dflt"), "dflt");  // no file yet
  EXPECT_FALSE(ini.Exists("S", "A"));

  ASSERT_TRUE(ini.Write("S", "A", "1")) << ini.Error();
  ASSERT_TRUE(ini.Write("S", "Empty")) << ini.Error();
  EXPECT_EQ(Get(path), "[S]\nA=1\nEmpty=\n");

  EXPECT_EQ(ini.Read("s", "a", "dflt"), "1");
  EXPECT_EQ(ini.Read("S", "Empty", "dflt"), "");  // present and empty is not absent
  EXPECT_TRUE(ini.Exists("S", "Empty"));
  EXPECT_EQ(ini.Read("S", "Missing"), "");

  ASSERT_TRUE(ini.Remove("S", "A")) << ini.Error();
  EXPECT_EQ(Get(path), "[S]\nEmpty=\n");
  EXPECT_FALSE(ini.Exists("S", "A"));
}

TEST_F(IniFileTest, BatchReadsOnceAndWritesOnceAtCommit) {
  std::string path = PathOf("cfg.ini");
  const std::string original = ";; comment\r\n\r\n[S]\r\nA=1\t;note\r\nB=2\r\n[Unknown]\r\nX=y";
  Put(path, original);

  IniFile ini(path);
  ASSERT_TRUE(ini.Open()) << ini.Error();
  Put(path, "[S]\nA=changed behind our back\n");
  EXPECT_EQ(ini.Read("S", "A"), "1\t;note");  // served from the copy read at Open
  Put(path, original);

  EXPECT_TRUE(ini.Write("S", "A", "7\t;note"));
  EXPECT_TRUE(ini.Write("S", "C", "3"));
  ini.Remove("S", "B");
  EXPECT_EQ(ini.Read("S", "C"), "3");
  EXPECT_EQ(Get(path), original);  // nothing on disk before Commit

  ASSERT_TRUE(ini.Commit()) << ini.Error();
  EXPECT_FALSE(ini.IsOpen());
  EXPECT_EQ(Get(path), ";; comment\r\n\r\n[S]\r\nA=7\t;note\r\nC=3\r\n[Unknown]\r\nX=y");
  EXPECT_EQ(Entries(), std::vector<std::string>{"cfg.ini"});
}

TEST_F(IniFileTest, UnchangedBatchLeavesTheFileAlone) {
  std::string path = PathOf("cfg.ini");
  Put(path, "[S]\nA=1\n");
  struct stat before;
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  IniFile ini(path);
  ASSERT_TRUE(ini.Open());
  EXPECT_TRUE(ini.Write("S", "A", "1"));
  ASSERT_TRUE(ini.Commit());
  struct stat after;
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);

  ASSERT_TRUE(ini.Open());
  EXPECT_TRUE(ini.Write("S", "A", "2"));
  ini.Close();  // dropped, not written
  EXPECT_EQ(Get(path), "[S]\nA=1\n");
}

TEST_F(IniFileTest, SaveKeepsModeAndLinks) {
  std::string path = PathOf("cfg.ini");
  Put(path, "[S]\nA=1\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  std::string link = PathOf("link.ini");
  fs::create_symlink(path, link);

  IniFile ini(link);
  ASSERT_TRUE(ini.Write("S", "A", "2")) << ini.Error();
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Get(path), "[S]\nA=2\n");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  mode_t old_mask = ::umask(027);
  std::string fresh = PathOf("fresh.ini");
  ASSERT_TRUE(IniFile(fresh).Write("S", "A", "1"));
  ::umask(old_mask);
  ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);  // as any new file, not mkstemp's 0600
}

TEST_F(IniFileTest, FailuresAreReportedAndLeaveNoTrace) {
  Put(PathOf("plain"), "not a folder");
  fs::create_directory(PathOf("folder.ini"));

  struct Case {
    const char* name;
    std::string path;
    bool opens;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"parent is a regular file", PathOf("plain/cfg.ini"), false,
       "Cannot read \"" + PathOf("plain/cfg.ini") + "\": Not a directory"},
      {"parent folder missing", PathOf("none/cfg.ini"), true,
       "Cannot write \"" + PathOf("none/cfg.ini") + "\": No such file or directory"},
      {"path is a folder", PathOf("folder.ini"), false,
       "Cannot read \"" + PathOf("folder.ini") + "\": Is a directory"},
  };
  for (const Case& c : cases) {
    IniFile ini(c.path);
    EXPECT_EQ(ini.Open(), c.opens) << c.name;
    EXPECT_EQ(ini.Read("S", "A", "dflt"), "dflt") << c.name;
    ini.Write("S", "A", "1");
    EXPECT_FALSE(ini.Commit()) << c.name;
    EXPECT_EQ(ini.Error(), c.error) << c.name;

    IniFile single(c.path);
    EXPECT_FALSE(single.Write("S", "A", "1")) << c.name;
    EXPECT_EQ(single.Error(), c.error) << c.name;
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.ini", "plain"}));
  EXPECT_TRUE(fs::is_empty(PathOf("folder.ini")));
}

TEST_F(IniFileTest, RenameOverAFolderFailsCleanly) {
  std::string path = PathOf("cfg.ini");
  IniFile ini(path);
  ASSERT_TRUE(ini.Open());  // missing: opens empty
  ASSERT_TRUE(ini.Write("S", "A", "1"));
  fs::create_directory(path);
  Put(PathOf("cfg.ini/keep"), "x");
  EXPECT_FALSE(ini.Commit());
  EXPECT_EQ(ini.Error().rfind("Cannot write \"" + path + "\": ", 0), 0u) << ini.Error();
  EXPECT_EQ(Get(PathOf("cfg.ini/keep")), "x");
  EXPECT_EQ(Entries(), std::vector<std::string>{"cfg.ini"});
}

TEST_F(IniFileTest, FullDiskKeepsTheOldFile) {
  std::string path = PathOf("cfg.ini");
  const std::string original = "[S]\nA=1\n";
  Put(path, original);

  IniFile ini(path);
  ASSERT_TRUE(ini.Open());
  ASSERT_TRUE(ini.Write("S", "A", std::string(4096, 'x')));

  // A small file size limit makes the write fail as a full disk would.
  struct rlimit old_limit;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  struct rlimit small = old_limit;
  small.rlim_cur = 1024;
  auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool ok = ini.Commit();
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  ::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(ok);
  EXPECT_EQ(ini.Error(), "Cannot write \"" + path + "\": File too large");
  EXPECT_EQ(Get(path), original);
  EXPECT_EQ(Entries(), std::vector<std::string>{"cfg.ini"});
}

TEST_F(IniFileTest, ReadOnlyFileIsNotReplaced) {
  test::RunAsOrdinaryUser(dir_, [&] {
    std::string path = PathOf("cfg.ini");
    Put(path, "[S]\nA=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    IniFile ini(path);
    EXPECT_FALSE(ini.Write("S", "A", "2"));
    EXPECT_EQ(ini.Error(), "Cannot write \"" + path + "\": Permission denied");
    EXPECT_EQ(Get(path), "[S]\nA=1\n");
  });
}

TEST_F(IniFileTest, LineBreakInAValueIsRefused) {
  std::string path = PathOf("cfg.ini");
  Put(path, "[S]\nA=1\n");
  IniFile ini(path);
  EXPECT_FALSE(ini.Write("S", "A", "1\n[Injected]"));
  EXPECT_EQ(ini.Error(),
            "Cannot write key \"A\" of section \"S\": a name or value holds a line break");
  EXPECT_EQ(Get(path), "[S]\nA=1\n");
}

}  // namespace
}  // namespace zefr
