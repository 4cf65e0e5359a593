// Payload -> zefrdump -> compiler must give back the same bytes: checked on
// the default configurations with the real programs, and on many altered
// payloads in-process against the compiler's own parse.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <unistd.h>

#include "console.h"
#include "decimal_text.h"
#include "decoded_payload.h"
#include "field_codec.h"
#include "ini_printer.h"
#include "ini_reader.h"
#include "parse_driver.h"
#include "payload_image.h"
#include "value_text.h"
#include "test_image.h"

namespace zefrdump {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct Compiled {
  bool ok = false;
  std::string console;
  Bytes bytes;
};

Compiled Compile(const std::string& ini) {
  zefr::ProfileReader reader(zefr::MemoryLoader({{"cfg.ini", ini}}));
  zefr::CaptureConsole console;
  zefr::PayloadImage image;
  Compiled c;
  c.ok = zefr::ParseConfiguration("cfg.ini", reader, console, image);
  c.console = console.Text();
  c.bytes.assign(image.bytes.begin(), image.bytes.end());
  return c;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Decodes and prints; findings are the decoder's and the checks' together.
std::string Dump(const Bytes& bytes, std::vector<Finding>* findings) {
  DecodedPayload p;
  std::string err;
  EXPECT_TRUE(DecodePayload(bytes, &p, findings, &err)) << err;
  for (const Finding& f : CheckPayload(p)) findings->push_back(f);
  return PrintIni(p, "cfg.bin");
}

const char* const kDefaults[] = {"ZefrCfgATX.ini", "ZefrCfgBTX.ini"};

TEST(RoundTrip, DefaultConfigurationsComeBackByteForByte) {
  for (const char* name : kDefaults) {
    Compiled original = Compile(ReadText(fs::path(ZEFR_SOURCE_DIR) / "editor/res" / name));
    ASSERT_TRUE(original.ok) << name << "\n" << original.console;
    std::vector<Finding> findings;
    std::string ini = Dump(original.bytes, &findings);
    EXPECT_TRUE(findings.empty()) << name << ": " << FormatFinding(findings.front());
    Compiled again = Compile(ini);
    ASSERT_TRUE(again.ok) << name << "\n" << again.console;
    EXPECT_EQ(again.bytes, original.bytes) << name;
  }
}

// The hand-made image that the other tests start from is the real one.
TEST(RoundTrip, HandMadeAtxImageIsWhatTheCompilerBuilds) {
  Compiled atx = Compile(ReadText(fs::path(ZEFR_SOURCE_DIR) / "editor/res/ZefrCfgATX.ini"));
  ASSERT_TRUE(atx.ok);
  EXPECT_EQ(testing::AtxDefaultImage().bytes(), atx.bytes);
}

// The same road with the real programs and files, as a user takes it.
TEST(RoundTrip, ProgramsGiveBackTheSamePayloadFile) {
  fs::path dir = fs::temp_directory_path() / ("zefrdump_roundtrip_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  for (const char* name : kDefaults) {
    fs::path ini = fs::path(ZEFR_SOURCE_DIR) / "editor/res" / name;
    fs::path first = dir / "first.bin", dumped = dir / "dumped.ini", second = dir / "second.bin";
    std::string compile1 = std::string(ZEFRCFG_BINARY) + " '" + ini.string() + "' -o '" +
                           first.string() + "' > /dev/null";
    std::string dump = std::string(ZEFRDUMP_BINARY) + " '" + first.string() + "' > '" +
                       dumped.string() + "'";
    std::string compile2 = std::string(ZEFRCFG_BINARY) + " '" + dumped.string() + "' -o '" +
                           second.string() + "' > /dev/null";
    ASSERT_EQ(std::system(compile1.c_str()), 0) << compile1;
    ASSERT_EQ(std::system(dump.c_str()), 0) << dump;
    ASSERT_EQ(std::system(compile2.c_str()), 0) << compile2;
    std::string a = ReadText(first), b = ReadText(second);
    EXPECT_EQ(a.size(), 1984u) << name;
    EXPECT_TRUE(a == b) << name;
  }
  fs::remove_all(dir);
}

// Graphviz, where installed, must take the graph as it is printed.
TEST(RoundTrip, GraphvizRendersTheGraph) {
  if (std::system("command -v dot > /dev/null 2>&1") != 0) GTEST_SKIP() << "no dot on PATH";
  fs::path dir = fs::temp_directory_path() / ("zefrdump_graph_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string script = "cd '" + dir.string() + "' && " + ZEFRCFG_BINARY + " '" + ZEFR_SOURCE_DIR +
                       "/editor/res/ZefrCfgATX.ini' -o atx.bin > /dev/null && " +
                       ZEFRDUMP_BINARY + " --graph atx.bin > atx.dot && dot -Tsvg atx.dot -o atx.svg";
  EXPECT_EQ(std::system(script.c_str()), 0) << script;
  EXPECT_GT(fs::file_size(dir / "atx.svg"), 1000u);
  fs::remove_all(dir);
}

// The compiler's own decimal reader agrees with the texts zefrdump picks.
TEST(RoundTrip, DecimalTextsReadBackThroughTheDecimalReader) {
  const int32_t values[] = {0, 28, 29, -29, 114, 115, 229, 230, 1234, 3134, 10000, -300, -30,
                            12800, -12800, 120000, 299999, -299999};
  for (int decimals : {2, 3}) {
    std::string ini = "[S]\n";
    for (size_t i = 0; i < std::size(values); ++i)
      ini.append("K").append(std::to_string(i)).append("=").append(DecimalText(values[i], decimals)).append("\n");
    const zefr::ProfileFile file(ini);
    for (size_t i = 0; i < std::size(values); ++i) {
      std::string text;
      ASSERT_TRUE(file.Lookup("S", "K" + std::to_string(i), text, zefr::kValueCapacity));
      int32_t got = 0;
      ASSERT_EQ(zefr::format::ReadDecimalText(text, INT32_MIN, INT32_MAX, decimals, got),
                zefr::format::Verdict::kOk)
          << text;
      EXPECT_EQ(got, values[i]) << decimals;
    }
  }
}

// Alters one byte of an enabled record at a time. Whatever zefrdump does not
// warn about must compile back to the same bytes, and whatever the compiler
// refuses must have drawn a warning.
TEST(RoundTrip, AlteredPayloadsComeBackOrAreWarnedAbout) {
  std::mt19937 random(20261208);
  int clean = 0, refused = 0;
  std::vector<Compiled> bases;
  for (const char* name : kDefaults)
    bases.push_back(Compile(ReadText(fs::path(ZEFR_SOURCE_DIR) / "editor/res" / name)));
  // The defaults use no ambient monitor and every monitor has a device, so a
  // third start point takes those roads: response 2 with an ambient monitor,
  // monitor 6 without a device.
  {
    DecodedPayload p;
    std::vector<Finding> findings;
    std::string err;
    ASSERT_TRUE(DecodePayload(bases[0].bytes, &p, &findings, &err)) << err;
    namespace F = zefr::format;
    // Stored raw, as the compiler stores it: number - 1, NONE as its code.
    const auto store = [&](const F::KindTable& t, int number, int field, uint32_t stored) {
      F::StoreRaw(p.image, zefr::payload::RecordOffset(t.layout, number), t.fields[size_t(field)], stored);
    };
    namespace tr = F::temperature_response_field;
    const F::KindTable& r = F::kTemperatureResponseTable;
    store(r, 2, tr::kAmbientTemperatureMonitor, 2);
    store(r, 2, tr::kPrimaryFanController, 1);
    store(r, 2, tr::kAmbientDutyCycleMin, 1000);
    store(r, 2, tr::kAmbientTempMin, 2500);
    store(r, 2, tr::kAmbientTempRange, 1000);
    store(r, 2, tr::kAmbientDutyCycleReduction, uint32_t(-150));
    namespace tm = F::temperature_monitor_field;
    const F::KindTable& m = F::kTemperatureMonitorTable;
    store(m, 6, tm::kDeviceAddress, 0xFF);
    store(m, 6, tm::kGetReadingCommand, 0xFF);
    store(m, 6, tm::kTimeoutNonRecoverable, 0);
    bases.push_back(Compile(PrintIni(p, "x.bin")));
  }
  for (const Compiled& base : bases) {
    ASSERT_TRUE(base.ok) << base.console;
    for (int round = 0; round < 1500; ++round) {
      Bytes bytes = base.bytes;
      // Enabled records lie among the first six monitors and responses and
      // the first two controllers; offset 2 onward leaves headers whole.
      const struct {
        size_t start, length;
        int count;
      } spans[] = {{8, 37, 6}, {452, 14, 3}, {564, 33, 5}, {828, 43, 6}, {1344, 80, 2}};
      const auto& s = spans[random() % std::size(spans)];
      size_t at = s.start + s.length * (random() % unsigned(s.count)) + 2 + random() % (s.length - 2);
      bytes[at] = uint8_t(random() % 3 == 0 ? bytes[at] ^ (1u << (random() % 8)) : random());
      DecodedPayload p;
      std::vector<Finding> findings;
      std::string err;
      if (!DecodePayload(bytes, &p, &findings, &err)) continue;  // a reference beyond its kind
      for (const Finding& f : CheckPayload(p)) findings.push_back(f);
      Compiled again = Compile(PrintIni(p, "x.bin"));
      if (findings.empty()) {
        ++clean;
        ASSERT_TRUE(again.ok) << "byte " << at << "\n" << again.console;
        ASSERT_EQ(again.bytes, bytes) << "byte " << at;
      } else if (!again.ok) {
        ++refused;
      }
      if (!again.ok) {
        // The compiler stops at its first error, which must be one we named.
        size_t error = again.console.find("  ERROR: ");
        ASSERT_NE(error, std::string::npos) << again.console;
        std::string line = again.console.substr(error, again.console.find('\n', error) - error);
        bool named = false;
        for (const Finding& f : findings) {
          std::string warning = FormatFinding(f);
          named = named || warning.replace(2, 7, "ERROR") == line;
        }
        ASSERT_TRUE(named) << "byte " << at << ": " << line;
      }
    }
  }
  // Both outcomes must really have been exercised.
  EXPECT_GT(clean, 100);
  EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace zefrdump
