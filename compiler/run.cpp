#include "run.h"

#include <cctype>
#include <cstring>

#include "delivery.h"
#include "ini_reader.h"
#include "parse_driver.h"
#include "payload_file.h"
#include "platform.h"

namespace zefr {

namespace {

const char kUsage[] = "Use: zefrcfg [INI-Path] [{-w|-o} [Payload-Path]]\n";

struct Options {
  std::string iniPath;
  std::string payloadPath;
  bool write = false;
  bool overwrite = false;
};

enum class Parsed { kRun, kUsage, kSyntaxError };

bool IsSwitch(const std::string& arg, char letter) {
  return arg.size() == 2 && arg[0] == '-' && std::tolower(static_cast<unsigned char>(arg[1])) == letter;
}

// Sets write mode when arg is -w or -o.
bool TakeModeSwitch(const std::string& arg, Options& o) {
  if (IsSwitch(arg, 'w')) {
    o.write = true;
    return true;
  }
  if (IsSwitch(arg, 'o')) {
    o.write = o.overwrite = true;
    return true;
  }
  return false;
}

Parsed ParseArguments(const std::vector<std::string>& args, Options& o) {
  switch (args.size()) {
    case 0:
      return Parsed::kRun;
    case 1:
      if (TakeModeSwitch(args[0], o)) return Parsed::kRun;
      if (args[0] == "-?") return Parsed::kUsage;
      o.iniPath = args[0];
      return Parsed::kRun;
    case 2:
      // The second argument is tested first, so "-w -o" names an INI file "-w".
      if (TakeModeSwitch(args[1], o)) {
        o.iniPath = args[0];
        return Parsed::kRun;
      }
      if (TakeModeSwitch(args[0], o)) {
        o.payloadPath = args[1];
        return Parsed::kRun;
      }
      return Parsed::kSyntaxError;
    case 3:
      if (!TakeModeSwitch(args[1], o)) return Parsed::kSyntaxError;
      o.iniPath = args[0];
      o.payloadPath = args[2];
      return Parsed::kRun;
    default:
      return Parsed::kSyntaxError;
  }
}

bool EndsWithIni(const std::string& path) {
  return path.size() >= 4 && EqualsNoCase(std::string_view(path).substr(path.size() - 4), ".INI");
}

// One answer line as a 10-byte fgets would read it: at most 9 characters, up
// to and including a line feed. False at end of input or on a read error.
bool ReadAnswer(std::istream& in, std::string& line) {
  line.clear();
  while (line.size() < 9) {
    int c = in.get();
    if (c == std::char_traits<char>::eof()) break;
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty() && !in.bad();
}

// Answers in a row that are neither Y nor N before the input counts as one
// that cannot answer (a file or device, not a person).
constexpr int kUnansweredMax = 20;

// True to go on writing, false for N (or an input that cannot answer).
bool ConfirmOverwrite(const std::string& path, Console& out, std::istream& in) {
  std::string line;
  for (int asked = 0; asked < kUnansweredMax; ++asked) {
    out.Format("Payload file \"%s\" already exists, overwrite? ", path.c_str());
    out.Flush();
    if (!ReadAnswer(in, line)) return false;
    size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    const char answer = i < line.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(line[i]))) : '\0';
    if (answer == 'N') return false;
    if (answer == 'Y') return true;
  }
  return false;
}

// Serves the content already read for the INI path itself, so the file
// parsed is the file the open test read; other names are read from fs.
FileLoader ServeRead(const std::string& iniPath, std::string content, files::FileSystem& fs) {
  return [iniPath, content = std::move(content), &fs](const std::string& name, std::string& out) {
    int ignored = 0;
    if (name != iniPath) return ReadIniFile(name, out, ignored, fs);
    out = content;
    return true;
  };
}

}  // namespace

int RunZefrCfg(const std::vector<std::string>& args, Console& out, std::istream& in) {
  return RunZefrCfg(args, out, in, RunHooks{});
}

int RunZefrCfg(const std::vector<std::string>& args, Console& out, std::istream& in, const RunHooks& hooks) {
  out.Line("\nZefr Configuration Utility V1.0.0.1114");
  out.Line("Copyright (c) Zefr toolchain developers. All rights reserved.\n");

  Options o;
  switch (ParseArguments(args, o)) {
    case Parsed::kUsage:
      out.Line(kUsage);
      return 0;
    case Parsed::kSyntaxError:
      out.Line("Invalid Command Syntax!!\n");
      out.Line(kUsage);
      return 1;
    case Parsed::kRun:
      break;
  }
  // Paths are never cut short: a shortened name would open another file.
  if (o.iniPath.size() > kIniPathMax) {
    out.Line("INI file pathname is longer than 127 characters, program cannot continue!!\n");
    return 1;
  }
  if (o.payloadPath.size() > kPayloadPathMax) {
    out.Line("Payload file pathname is longer than 132 characters, program cannot continue!!\n");
    return 1;
  }

  if (!o.iniPath.empty() && !EndsWithIni(o.iniPath)) {
    out.Line("INI file pathname does not end in \".INI\", program cannot continue!!\n");
    return 1;
  }
  if (o.iniPath.empty()) o.iniPath = "zefrcfg.ini";

  files::FileSystem& fs = hooks.files ? *hooks.files : files::Disk();
  int error = 0;
  std::string content;
  if (!ReadIniFile(o.iniPath, content, error, fs)) {
    out.Format("Unable to open INI file \"%s\", cond = \"%s\"!!\n\n", o.iniPath.c_str(), std::strerror(error));
    return 1;
  }

  out.Format("Parsing INI file \"%s\"...\n", o.iniPath.c_str());
  PayloadImage local;
  PayloadImage& image = hooks.image ? *hooks.image : local;
  ProfileReader reader(ServeRead(o.iniPath, std::move(content), fs));
  if (!ParseConfiguration(o.iniPath, reader, out, image)) {
    out.Line("Terminating Program due to INI file errors\n");
    return 1;
  }
  out.Line("Parsing Successful.");

  if (!o.write) return (hooks.deliver ? hooks.deliver : DeliverPayload)(image, out) ? 0 : 1;

  if (o.payloadPath.empty()) o.payloadPath = "zefrcfg.bin";
  if (!o.overwrite && PayloadFileExists(fs, o.payloadPath) && !ConfirmOverwrite(o.payloadPath, out, in)) return 0;

  PayloadFileWriter writer(fs);
  if (!writer.Open(o.payloadPath, error)) {
    out.Format("Unable to open Payload file \"%s\", cond = \"%s\"!!\n\n", o.payloadPath.c_str(),
               std::strerror(error));
    return 1;
  }
  out.Format("Writing Payload file \"%s\"...\n", o.payloadPath.c_str());
  if (!writer.Write(image, error)) {
    out.Format("Write failed, cond = \"%s\"!!\n\n", std::strerror(error));
    return 1;
  }
  out.Line("Write Complete.\n");
  return 0;
}

}  // namespace zefr
