// Generated valid configurations opened in the editor's document and saved,
// with Save and with Save As: the saved file compiles to the same bytes as
// the original, and every line that is not the configuration's own survives.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config_generator.h"
#include "field_table.h"
#include "programs.h"
#include "scratch_dir.h"

namespace zefr::reliability {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kDocumentSeeds = 40;

// Lines without their ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

// Every one of `kept`, in this order, is a whole line of `text`.
::testing::AssertionResult KeepsInOrder(const std::string& text, const std::vector<std::string>& kept) {
  const std::vector<std::string> lines = Lines(text);
  std::size_t next = 0;
  for (const std::string& want : kept) {
    while (next < lines.size() && lines[next] != want) ++next;
    if (next == lines.size()) return ::testing::AssertionFailure() << "lost or moved: \"" << want << "\"";
    ++next;
  }
  return ::testing::AssertionSuccess();
}

TEST(GeneratedConfigs, EditorOpenSaveCompileGivesTheSameBytes) {
  ScratchDir dir;
  for (std::uint32_t seed = 1; seed <= kDocumentSeeds; ++seed) {
    const GeneratedConfig g = GenerateConfig(seed, Spelling::kEditorForm);
    const Compiled original = CompileWithProgram(dir.path(), g.text);
    ASSERT_TRUE(original.ok) << "seed " << seed << "\n" << original.console;
    for (const WriteMode mode : {WriteMode::Save, WriteMode::SaveAs}) {
      const fs::path path = dir.path() / ("cfg" + std::to_string(seed) + ".ini");
      Put(path, g.text);
      Editor e;
      const LoadResult loaded = e.doc.Load(path.string());
      ASSERT_TRUE(loaded.ok && loaded.hadData) << "seed " << seed << ": " << loaded.error;
      std::string error;
      ASSERT_TRUE(e.doc.Write(path.string(), mode, &error)) << "seed " << seed << ": " << error;
      const std::string saved = Slurp(path);
      const char* how = mode == WriteMode::Save ? "Save" : "Save As";
      EXPECT_TRUE(KeepsInOrder(saved, g.foreignLines)) << how << ", seed " << seed;
      const Compiled again = CompileWithProgram(dir.path(), saved);
      ASSERT_TRUE(again.ok) << how << ", seed " << seed << "\n" << again.console << "\n" << saved;
      EXPECT_EQ(again.bytes, original.bytes) << how << ", seed " << seed;
    }
  }
}

// How many values of bus address and command keys the text spells in
// decimal (32) and in octal (0277).
std::pair<int, int> DecimalAndOctalBytes(const std::string& text) {
  std::set<std::string> keys;
  for (const format::KindTable* table : format::AllTables())
    for (const format::FieldRow& row : table->fields)
      if (row.hex) keys.insert(row.key);
  int decimal = 0, octal = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    key.erase(key.find_last_not_of(' ') + 1);
    value.erase(0, value.find_first_not_of(' '));
    value = value.substr(0, value.find_first_of(" \t;"));
    if (!keys.count(key) || value.empty() || value.find_first_not_of("0123456789") != std::string::npos) continue;
    ++(value.size() > 1 && value[0] == '0' ? octal : decimal);
  }
  return {decimal, octal};
}

// The compiler reads a byte as decimal, as octal after a leading 0, or as hex
// after 0x; an untouched DeviceAddress=32 or 0277 must compile the same after
// a Save, not as 0x32 (50) or 0x0277 (out of range).
TEST(EditorSave, DecimalAndOctalBytesKeepTheirValue) {
  ScratchDir dir;
  const GeneratedConfig g = GenerateConfig(1, Spelling::kAnyForm);
  // The seed is chosen for its spellings: without both the test would prove nothing.
  const auto [decimal, octal] = DecimalAndOctalBytes(g.text);
  ASSERT_GT(decimal, 0) << "seed 1 writes no byte in decimal";
  ASSERT_GT(octal, 0) << "seed 1 writes no byte in octal";
  const fs::path path = dir.path() / "cfg.ini";
  Put(path, g.text);
  const Compiled original = CompileWithProgram(dir.path(), g.text);
  ASSERT_TRUE(original.ok) << original.console;
  Editor e;
  ASSERT_TRUE(e.doc.Load(path.string()).ok);
  std::string error;
  ASSERT_TRUE(e.doc.Write(path.string(), WriteMode::Save, &error)) << error;
  const Compiled again = CompileWithProgram(dir.path(), Slurp(path));
  ASSERT_TRUE(again.ok) << again.console;
  EXPECT_EQ(again.bytes, original.bytes);
}

}  // namespace
}  // namespace zefr::reliability
