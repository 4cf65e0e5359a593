// Generated valid configurations, seeded so every failure can be replayed:
// compile, read back with zefrdump, compile again: the same bytes.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "config_generator.h"
#include "decoded_payload.h"
#include "ini_printer.h"
#include "ini_reader.h"
#include "parse_driver.h"

namespace zefr::reliability {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kSeeds = 300;

struct Compiled {
  bool ok = false;
  std::string console;
  Bytes bytes;
};

Compiled Compile(const std::string& text) {
  ProfileReader reader(MemoryLoader({{"cfg.ini", text}}));
  CaptureConsole console;
  PayloadImage image;
  Compiled c;
  c.ok = ParseConfiguration("cfg.ini", reader, console, image);
  c.console = console.Text();
  c.bytes.assign(image.bytes.begin(), image.bytes.end());
  return c;
}

// The generator must hold up its end: every configuration compiles without an error.
Compiled CompileGenerated(std::uint32_t seed, const GeneratedConfig& g) {
  Compiled c = Compile(g.text);
  EXPECT_TRUE(c.ok && c.console.find("ERROR") == std::string::npos) << "seed " << seed << "\n" << c.console;
  return c;
}

TEST(GeneratedConfigs, AreDeterministicAndVaried) {
  EXPECT_EQ(GenerateConfig(5).text, GenerateConfig(5).text);
  EXPECT_NE(GenerateConfig(5).text, GenerateConfig(6).text);
  // Between them the seeds reach every kind, references and the NONE forms.
  std::string all;
  for (std::uint32_t seed = 1; seed <= 20; ++seed) all += GenerateConfig(seed).text;
  for (const char* needle : {"[FanController", "[TemperatureResponse", "AmbientDutyCycleMin=", "=NONE", "=0x",
                             "PrimaryFanController=", "AssociatedFanSpeedMonitor4=", "TimeoutNonRecoverable=NONE"})
    EXPECT_NE(all.find(needle), std::string::npos) << needle;
}

TEST(GeneratedConfigs, CompileDumpCompileGivesTheSameBytes) {
  for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
    const GeneratedConfig g = GenerateConfig(seed);
    const Compiled first = CompileGenerated(seed, g);
    if (!first.ok) continue;
    zefrdump::DecodedPayload decoded;
    std::vector<zefrdump::Finding> findings;
    std::string err;
    ASSERT_TRUE(zefrdump::DecodePayload(first.bytes, &decoded, &findings, &err)) << "seed " << seed << ": " << err;
    for (const auto& f : zefrdump::CheckPayload(decoded)) findings.push_back(f);
    EXPECT_TRUE(findings.empty()) << "seed " << seed << ": " << zefrdump::FormatFinding(findings.front());
    const Compiled second = Compile(zefrdump::PrintIni(decoded, "cfg.bin"));
    ASSERT_TRUE(second.ok) << "seed " << seed << "\n" << second.console;
    EXPECT_EQ(second.bytes, first.bytes) << "seed " << seed;
  }
}

}  // namespace
}  // namespace zefr::reliability
