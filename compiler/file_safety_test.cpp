// The compiler as a program meets files that are not what they seem: FIFOs,
// devices, endless input, a file-size limit, another user's file.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace zefr::test {
namespace {

namespace fs = std::filesystem;

const std::string kAtx = std::string(ZEFR_SOURCE_DIR) + "/editor/res/ZefrCfgATX.ini";

struct Ran {
  int status = -1;  // exit code, or 128 + signal
  std::string out;
  double seconds = 0;
};

// Runs zefrcfg in dir with stdin from `input`, an optional file-size limit,
// and a 20 s deadline after which it is killed (a hang shows as 137).
Ran RunZefrcfg(const std::string& dir, std::vector<std::string> args, const char* input = "/dev/null",
               rlim_t fileSizeLimit = RLIM_INFINITY) {
  int pipeFds[2];
  EXPECT_EQ(::pipe(pipeFds), 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipeFds[1], 1);
    ::close(pipeFds[0]);
    int in = ::open(input, O_RDONLY);
    ::dup2(in, 0);
    if (::chdir(dir.c_str()) != 0) ::_exit(98);
    rlimit limit{fileSizeLimit, fileSizeLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_DFL);
    ::alarm(20);
    std::vector<char*> argv{const_cast<char*>(ZEFRCFG_BINARY)};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(ZEFRCFG_BINARY, argv.data());
    ::_exit(99);
  }
  ::close(pipeFds[1]);
  Ran r;
  char buf[65536];
  ssize_t n;
  // Keep only the start and end of a flood.
  while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0)
    if (r.out.size() < (1 << 20)) r.out.append(buf, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return r;
}

std::string Tail(const std::string& out) {
  std::size_t at = out.find("Parsing Successful.\n");
  return at == std::string::npos ? out : out.substr(at);
}

std::string Listing(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  std::string out;
  for (const auto& n : names) out += n + " ";
  return out;
}

class FileSafetyTest : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zefrcfg_files_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    fs::copy_file(kAtx, dir_ + "/atx.ini");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string dir_;
};

TEST_F(FileSafetyTest, FifosAreRefusedWithoutWaiting) {
  ASSERT_EQ(::mkfifo((dir_ + "/f.ini").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((dir_ + "/f.bin").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"f.ini", "-o", "x.bin"}, "Unable to open INI file \"f.ini\", cond = \"Invalid argument\"!!\n\n"},
      {{"atx.ini", "-o", "f.bin"}, "Unable to open Payload file \"f.bin\", cond = \"Invalid argument\"!!\n\n"},
  };
  for (auto& c : cases) {
    Ran r = RunZefrcfg(dir_, c.args);
    EXPECT_EQ(r.status, 1) << c.args[0];
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
  }
  EXPECT_FALSE(fs::exists(dir_ + "/x.bin"));
}

TEST_F(FileSafetyTest, DevicesStillTakeThePayload) {
  Ran r = RunZefrcfg(dir_, {"atx.ini", "-o", "/dev/null"});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Tail(r.out), "Parsing Successful.\nWriting Payload file \"/dev/null\"...\nWrite Complete.\n\n");
}

TEST_F(FileSafetyTest, AFileSizeLimitIsReportedAndLeavesNothing) {
  std::ofstream(dir_ + "/old.bin") << "old";
  for (const char* target : {"new.bin", "old.bin"}) {
    Ran r = RunZefrcfg(dir_, {"atx.ini", "-o", target}, "/dev/null", 1024);
    EXPECT_EQ(r.status, 1) << target;
    EXPECT_EQ(Tail(r.out), "Parsing Successful.\nWriting Payload file \"" + std::string(target) +
                               "\"...\nWrite failed, cond = \"File too large\"!!\n\n");
  }
  EXPECT_EQ(Listing(dir_), "atx.ini old.bin ");
  std::ifstream old(dir_ + "/old.bin");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old");
}

// A prompt fed by a file or device instead of a person ends as N.
TEST_F(FileSafetyTest, TheOverwritePromptEndsOnInputThatCannotAnswer) {
  std::ofstream(dir_ + "/e.bin") << "old";
  std::ofstream(dir_ + "/junk.txt") << std::string(2000, 'x');
  for (const char* input : {"/dev/zero", "/dev/null", "junk.txt"}) {
    Ran r = RunZefrcfg(dir_, {"atx.ini", "-w", "e.bin"}, input);
    EXPECT_EQ(r.status, 0) << input;
    EXPECT_LT(r.out.size(), 10000u) << input;
    EXPECT_LT(r.seconds, 5) << input;
  }
  std::ifstream old(dir_ + "/e.bin");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old");
}

// Root compiling over a payload file that belongs to someone else leaves it
// theirs, with its mode; set-id bits never survive.
TEST_F(FileSafetyTest, AReplacedPayloadKeepsItsOwnerAndMode) {
  const passwd* nobody = ::getpwnam("nobody");
  if (::geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root";
  const std::string path = dir_ + "/f.bin";
  std::ofstream(path) << "old";
  ASSERT_EQ(::chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ASSERT_EQ(::chmod(path.c_str(), 04600), 0);
  Ran r = RunZefrcfg(dir_, {"atx.ini", "-o", "f.bin"});
  EXPECT_EQ(r.status, 0) << r.out;
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, nobody->pw_uid);
  EXPECT_EQ(st.st_gid, nobody->pw_gid);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(st.st_size, 1984);
}

}  // namespace
}  // namespace zefr::test
