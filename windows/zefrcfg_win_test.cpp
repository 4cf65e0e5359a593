// ZefrCfg.exe and ZefrComm.dll as Windows runs them: the program is copied
// into a scratch folder with the library variant a case needs beside it,
// since the folder of the program is the first place LoadLibraryA looks.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console.h"
#include "ini_reader.h"
#include "platform.h"
#include "run.h"

namespace zefr {
namespace {

namespace fs = std::filesystem;

fs::path BinDir() {
  char path[MAX_PATH];
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(std::string(path, n)).parent_path();
}

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteAll(const fs::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary);
  f << bytes;
}

// The system's text for a code, with its line end cut as delivery cuts it.
std::string SystemText(DWORD code) {
  char* text = nullptr;
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text),
                             0, nullptr);
  std::string s(text != nullptr ? text : "", n);
  if (text != nullptr) ::LocalFree(text);
  if (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0) s.resize(s.size() - 2);
  return s;
}

std::string Hex8(DWORD code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(code));
  return buf;
}

// A scratch folder holding ZefrCfg.exe and the ATX default as a.ini.
class Folder {
 public:
  Folder() {
    static int serial = 0;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    dir_ = fs::path(temp) / ("zefrcfg-win-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(serial++));
    fs::create_directories(dir_);
    fs::copy_file(BinDir() / "ZefrCfg.exe", dir_ / "ZefrCfg.exe");
    fs::copy_file(BinDir() / "testdata" / "ZefrCfgATX.ini", dir_ / "a.ini");
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  const fs::path& Dir() const { return dir_; }
  void Library(const fs::path& from) { fs::copy_file(from, dir_ / "ZefrComm.dll"); }

  struct Result {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
  };
  // Runs the program in the folder with standard output in a file.
  Result Run(const std::string& args) const {
    Result r;
    const fs::path outPath = dir_ / "stdout.txt";
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out = ::CreateFileA(outPath.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE in = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + (dir_ / "ZefrCfg.exe").string() + "\" " + args;
    const std::string cwd = dir_.string();
    if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, cwd.c_str(), &si, &pi)) {
      ::WaitForSingleObject(pi.hProcess, 60000);
      ::GetExitCodeProcess(pi.hProcess, &r.exitCode);
      ::CloseHandle(pi.hThread);
      ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(out);
    ::CloseHandle(in);
    r.out = ReadAll(outPath);
    return r;
  }

 private:
  fs::path dir_;
};

const char kParsed[] = "Parsing Successful.\r\nOpening ZEFR Subsystem Connection...\r\n";

std::string AfterParse(const std::string& out) {
  std::size_t at = out.find(kParsed);
  return at == std::string::npos ? "(not parsed) " + out : out.substr(at + sizeof kParsed - 1);
}

TEST(ZefrCfgDelivery, LibraryThatCannotBeBound) {
  struct Case {
    const char* name;
    fs::path library;  // empty: none beside the program
    DWORD error;
  } cases[] = {
      {"no library anywhere", {}, ERROR_MOD_NOT_FOUND},
      {"the library finds no device", BinDir() / "ZefrComm.dll", ERROR_DLL_INIT_FAILED},
      {"a library without ordinal 1", BinDir() / "without-ordinal" / "ZefrComm.dll", ERROR_PROC_NOT_FOUND},
  };
  for (const Case& c : cases) {
    Folder folder;
    if (!c.library.empty()) folder.Library(c.library);
    Folder::Result r = folder.Run("a.ini");
    const std::string text = SystemText(c.error);
    EXPECT_FALSE(text.empty()) << c.name;
    std::ostringstream expected;
    expected << "*** Unable to connect to ZEFR Subsystem!!\r\n   Windows CCode = " << Hex8(c.error) << " (" << text
             << ")\r\n\r\n";
    EXPECT_EQ(AfterParse(r.out), expected.str()) << c.name;
    EXPECT_EQ(r.exitCode, 1u) << c.name;
  }
}

TEST(ZefrCfgDelivery, ThroughALoadedLibrary) {
  struct Case {
    const char* script;
    const char* tail;
    DWORD exitCode;
  } cases[] = {
      {"accept", "Communicating Payload to ZEFR Subsystem...\r\nPayload Accepted.\r\n\r\n", 0},
      {"refuse",
       "Communicating Payload to ZEFR Subsystem...\r\n*** ZEFR Subsystem rejected request!!\r\n"
       "   ZEFR CCode = 0x0003 (Invalid Configuration Parameter)\r\n\r\n"
       "    Failing Entity:    VoltageMonitor3\r\n    Failing Parameter: Unknown\r\n\r\n",
       1},
      {"fail", nullptr, 1},
  };
  for (const Case& c : cases) {
    Folder folder;
    folder.Library(BinDir() / "scripted" / "ZefrComm.dll");
    const fs::path record = folder.Dir() / "requests.bin";
    ::SetEnvironmentVariableA("ZEFR_SCRIPT", c.script);
    ::SetEnvironmentVariableA("ZEFR_SCRIPT_RECORD", record.string().c_str());
    Folder::Result r = folder.Run("a.ini");
    ::SetEnvironmentVariableA("ZEFR_SCRIPT", nullptr);
    ::SetEnvironmentVariableA("ZEFR_SCRIPT_RECORD", nullptr);

    // The library's last-error code reaches the program's report.
    std::ostringstream tail;
    if (c.tail != nullptr) {
      tail << c.tail;
    } else {
      tail << "Communicating Payload to ZEFR Subsystem...\r\n*** Unable to communicate with ZEFR Subsystem!!\r\n"
           << "   Windows CCode = 0x000005B4 (" << SystemText(ERROR_TIMEOUT) << ")\r\n\r\n";
    }
    EXPECT_EQ(AfterParse(r.out), tail.str()) << c.script;
    EXPECT_EQ(r.exitCode, c.exitCode) << c.script;

    // What went out: the payload command with the image the program writes.
    Folder::Result w = folder.Run("a.ini -o a.bin");
    ASSERT_EQ(w.exitCode, 0u) << w.out;
    const std::string requests = ReadAll(record);
    const std::string image = ReadAll(folder.Dir() / "a.bin");
    ASSERT_EQ(image.size(), 1984u);
    ASSERT_GE(requests.size(), 1989u) << c.script;
    EXPECT_EQ(requests.substr(0, 5), std::string("\x03\xC0\x07\x01\x00", 5)) << c.script;
    EXPECT_EQ(requests.substr(5, 1984), image) << c.script;
    // Only a refusal is followed by the failure query.
    const bool refused = std::string(c.script) == "refuse";
    EXPECT_EQ(requests.substr(1989), refused ? std::string("\x00\x00\x00\x06\x00", 5) : std::string()) << c.script;
  }
}

TEST(ZefrCfgWrite, PayloadFileHoldsTheImageByteForByte) {
  Folder folder;
  Folder::Result r = folder.Run("a.ini -o a.bin");
  EXPECT_EQ(r.exitCode, 0u) << r.out;
  EXPECT_NE(r.out.find("Writing Payload file \"a.bin\"...\r\nWrite Complete.\r\n\r\n"), std::string::npos) << r.out;

  // The same run in this process, reading the same file.
  PayloadImage image;
  RunHooks hooks;
  hooks.image = &image;
  hooks.deliver = [](const PayloadImage&, Console&) { return true; };
  CaptureConsole console;
  std::istringstream none;
  const std::string ini = (folder.Dir() / "a.ini").string();
  ASSERT_EQ(RunZefrCfg({ini}, console, none, hooks), 0) << console.Text();
  const std::string written = ReadAll(folder.Dir() / "a.bin");
  const std::string expected(image.bytes.begin(), image.bytes.end());
  EXPECT_EQ(written, expected);
  // Text mode would have turned each of these into CR LF.
  EXPECT_NE(expected.find('\n'), std::string::npos);
  // Nothing is left beside it.
  int files = 0;
  for (const auto& e : fs::directory_iterator(folder.Dir())) files += e.path().filename().string().rfind("a.bin", 0) == 0;
  EXPECT_EQ(files, 1);
}

TEST(ZefrCfgWrite, DeviceIsWrittenInPlace) {
  Folder folder;
  Folder::Result r = folder.Run("a.ini -o NUL");
  EXPECT_EQ(r.exitCode, 0u) << r.out;
  EXPECT_NE(r.out.find("Writing Payload file \"NUL\"...\r\nWrite Complete.\r\n\r\n"), std::string::npos) << r.out;
  int files = 0;
  for (const auto& e : fs::directory_iterator(folder.Dir())) files += e.path().filename().string().rfind("NUL", 0) == 0;
  EXPECT_EQ(files, 0);
}

TEST(ZefrCfgWrite, ReadOnlyOldFileIsRefusedAndKept) {
  Folder folder;
  const fs::path old = folder.Dir() / "a.bin";
  WriteAll(old, "old payload");
  ASSERT_TRUE(::SetFileAttributesA(old.string().c_str(), FILE_ATTRIBUTE_READONLY));
  Folder::Result r = folder.Run("a.ini -o a.bin");
  ::SetFileAttributesA(old.string().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_NE(r.out.find("Unable to open Payload file \"a.bin\", cond = \"Permission denied\"!!\r\n\r\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(ReadAll(old), "old payload");
}

TEST(ZefrCommDll, LoadingFailsWhenNoDeviceIsFound) {
  const std::string path = (BinDir() / "ZefrComm.dll").string();
  ::SetLastError(0);
  HMODULE h = ::LoadLibraryA(path.c_str());
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
  EXPECT_EQ(::GetModuleHandleA("ZefrComm.dll"), nullptr);
  if (h != nullptr) ::FreeLibrary(h);
}

TEST(ZefrCommDll, ExportsZefrCommandByNameAndAsOrdinalOneOnly) {
  const std::string path = (BinDir() / "ZefrComm.dll").string();
  // Mapped without running its load entry, which would refuse here.
  HMODULE h = ::LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(h, nullptr) << ::GetLastError();
  FARPROC byOrdinal = ::GetProcAddress(h, MAKEINTRESOURCEA(1));
  EXPECT_NE(byOrdinal, nullptr);
  EXPECT_EQ(byOrdinal, ::GetProcAddress(h, "ZefrCommand"));
  EXPECT_EQ(::GetProcAddress(h, MAKEINTRESOURCEA(2)), nullptr);

  auto* base = reinterpret_cast<const unsigned char*>(h);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ASSERT_NE(dir.VirtualAddress, 0u);
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  EXPECT_EQ(exports->Base, 1u);
  EXPECT_EQ(exports->NumberOfFunctions, 1u);
  ASSERT_EQ(exports->NumberOfNames, 1u);
  auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  EXPECT_STREQ(reinterpret_cast<const char*>(base + names[0]), "ZefrCommand");
  EXPECT_STREQ(reinterpret_cast<const char*>(base + exports->Name), "ZefrComm.dll");
  ::FreeLibrary(h);
}

TEST(ZefrCfgReader, SecondNameInTheWindowsDirectory) {
  const std::string name = "zefr-second-name-" + std::to_string(::GetCurrentProcessId()) + ".ini";
  const fs::path fallback = fs::path("c:\\Windows") / name;
  {
    std::ofstream f(fallback, std::ios::binary);
    if (!f) GTEST_SKIP() << "the Windows directory is not writable here";
    f << "[FanMonitor1]\r\nEnabled = TRUE ; from the Windows directory\r\n";
  }
  Folder folder;
  const fs::path before = fs::current_path();
  fs::current_path(folder.Dir());
  std::string value;
  EXPECT_TRUE(ProfileReader().GetProfileValue(name, "FanMonitor1", "Enabled", value));
  EXPECT_EQ(value, "TRUE");
  // A file of that name where the program runs comes first.
  WriteAll(folder.Dir() / name, "[FanMonitor1]\nEnabled=FALSE\n");
  EXPECT_TRUE(ProfileReader().GetProfileValue(name, "FanMonitor1", "Enabled", value));
  EXPECT_EQ(value, "FALSE");
  fs::current_path(before);
  std::error_code ignored;
  fs::remove(fallback, ignored);
}

// What the C library's text-mode read gives: the INI file as the program
// has always read it.
std::string TextModeRead(const fs::path& p) {
  std::string content;
  std::FILE* f = std::fopen(p.string().c_str(), "r");
  if (!f) return "<cannot open>";
  char buf[32768];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) content.append(buf, n);
  std::fclose(f);
  return content;
}

TEST(ZefrCfgReader, ReadsAsTheTextModeReadDoes) {
  const std::string block(32767, 'k');
  const std::string cases[] = {
      "[S]\r\nK=1\r\n",
      "[S]\r\r\nK=1\r\r\r\n\r",
      "[S]\rK=1\n\n\r",
      "[S]\nK=1\x1A\nL=2\n",
      "[S]\nK=1\r\x1A\r\n",
      std::string("[S]\nK=\0\r\n", 8),
      // CR LF pairs across the reads of the C library
      block + "\r\n" + block + "\r\r\n",
      block.substr(1) + "\r\n\r\n",
      block + block + "\x1A" + block,
  };
  Folder folder;
  const fs::path path = folder.Dir() / "t.ini";
  for (const std::string& c : cases) {
    WriteAll(path, c);
    std::string content;
    int error = 0;
    ASSERT_TRUE(ReadIniFile(path.string(), content, error));
    EXPECT_EQ(content, TextModeRead(path)) << c.size();
  }
}

}  // namespace
}  // namespace zefr
