// The two default configurations the editor ships must compile cleanly.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "parse_driver.h"
#include "payload_layout.h"

namespace zefr {
namespace {

class DefaultTest : public testing::TestWithParam<const char*> {};

TEST_P(DefaultTest, CompilesWith22Entities) {
  const std::string path = std::string(ZEFR_SOURCE_DIR "/editor/res/") + GetParam();
  std::ifstream f(path, std::ios::binary);
  ASSERT_TRUE(f) << path;
  std::string text((std::istreambuf_iterator<char>(f)), {});
  ProfileReader reader(MemoryLoader({{"default.ini", text}}));
  CaptureConsole out;
  PayloadImage image;
  ASSERT_TRUE(ParseConfiguration("default.ini", reader, out, image)) << out.Text();
  EXPECT_EQ(out.Text(),
            "  Parsing Fan Monitors...\n  Parsing Fan Controllers...\n  Parsing Temperature Monitors...\n"
            "  Parsing Temperature Responses...\n  Parsing Voltage Monitors...\n");
  int enabled = 0;
  for (const payload::KindLayout& k : payload::kKinds)
    for (int n = 1; n <= k.count; ++n) enabled += image.IsEnabled(k, n);
  EXPECT_EQ(enabled, 22);
  EXPECT_EQ(std::vector<std::uint8_t>(image.bytes.begin(), image.bytes.begin() + 8),
            std::vector<std::uint8_t>(payload::kHeaderBytes.begin(), payload::kHeaderBytes.end()));
}

INSTANTIATE_TEST_SUITE_P(Editor, DefaultTest, testing::Values("ZefrCfgATX.ini", "ZefrCfgBTX.ini"),
                         [](const auto& info) { return std::string(info.param).substr(7, 3); });

}  // namespace
}  // namespace zefr
