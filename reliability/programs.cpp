#include "programs.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "program_run.h"

namespace zefr::reliability {

namespace fs = std::filesystem;

Spawned RunZefrcfg(const fs::path& dir, const std::vector<std::string>& args, long fileSizeLimit) {
  const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const test::ProgramRun r = test::RunProgram(ZEFRCFG_BINARY, args, dir, null, -1, fileSizeLimit);
  if (null >= 0) ::close(null);
  return {r.exitCode, r.out};
}

Compiled CompileWithProgram(const fs::path& dir, const std::string& text) {
  Put(dir / "compile.ini", text);
  std::error_code ec;
  fs::remove(dir / "compile.bin", ec);
  const Spawned s = RunZefrcfg(dir, {"compile.ini", "-o", "compile.bin"});
  Compiled c;
  c.ok = s.exitCode == 0;
  c.console = s.out;
  const std::string bytes = Slurp(dir / "compile.bin");
  c.bytes.assign(bytes.begin(), bytes.end());
  return c;
}

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

Editor::Editor() {
  for (const ParameterId id : schema.DisplayOrder()) {
    if (const ParameterDescriptor* d = schema.Descriptor(id)) rows.Create(*d);
    doc.InitRow(id);
  }
  doc.StartUp();
  doc.ResetToDefaults();
}

ParameterId Editor::Id(const std::string& section, const std::string& key) const {
  return *schema.ParameterOfKey(*schema.InstanceOfSection(section), key);
}

void Editor::Edit(const std::string& section, const std::string& key, const std::string& value) {
  const ParameterId id = Id(section, key);
  rows.Find(id)->SetText(value);
  doc.OnCommitted(id);
}

}  // namespace zefr::reliability
