#include "ini_reader.h"

#include <gtest/gtest.h>

namespace zefr {
namespace {

struct LookupCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  bool found;
  const char* value;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class LookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(LookupTest, Finds) {
  const LookupCase& c = GetParam();
  ProfileReader reader(MemoryLoader({{"t.ini", c.content}}));
  std::string value = "stale";
  EXPECT_EQ(reader.GetProfileValue("t.ini", c.section, c.key, value), c.found);
  EXPECT_EQ(value, c.found ? c.value : "");
}

const std::string k511(511, 'x');

INSTANTIATE_TEST_SUITE_P(
    Reader, LookupTest,
    testing::Values(
        LookupCase{"Plain", "[S]\nK=12\n", "S", "K", true, "12"},
        LookupCase{"CrLf", "[S]\r\nK=12\r\n", "S", "K", true, "12"},
        LookupCase{"SectionCase", "[fanmonitor1]\nUsage=1\n", "FanMonitor1", "Usage", true, "1"},
        LookupCase{"KeyCase", "[S]\nuSaGe=1\n", "S", "USAGE", true, "1"},
        LookupCase{"SpacesInBrackets", "[ FanMonitor1 ]\nK=1\n", "FanMonitor1", "K", true, "1"},
        LookupCase{"HeaderComment", "[S] ; note\nK=1\n", "S", "K", true, "1"},
        LookupCase{"HeaderWithoutClose", "[S\nK=1\n", "S", "K", true, "1"},
        LookupCase{"QuotedHeader", "[\"S\"]\nK=1\n", "S", "K", true, "1"},
        LookupCase{"IndentedHeader", "   [S]\nK=1\n", "S", "K", true, "1"},
        LookupCase{"WantedNamesTrimmed", "[S]\nK=1\n", " S\t", " K ", true, "1"},
        LookupCase{"CommentCut", "[S]\nK=12   ; twelve\n", "S", "K", true, "12"},
        LookupCase{"CommentRightAfterEquals", "[S]\nK=;nothing\n", "S", "K", true, ""},
        LookupCase{"Empty", "[S]\nK=\n", "S", "K", true, ""},
        LookupCase{"OnlySpaces", "[S]\nK=   \n", "S", "K", true, ""},
        LookupCase{"SemicolonInQuotes", "[S]\nK=\"a;b\"\n", "S", "K", true, "a;b"},
        LookupCase{"QuotesRemovedSpacesKept", "[S]\nK=\"  a b \"\n", "S", "K", true, "  a b "},
        LookupCase{"ThreeQuotesKept", "[S]\nK=\"a\"b\"\n", "S", "K", true, "\"a\"b\""},
        LookupCase{"OneQuoteKept", "[S]\nK=\"\n", "S", "K", true, "\""},
        LookupCase{"EmptyQuotes", "[S]\nK=\"\"\n", "S", "K", true, ""},
        LookupCase{"InnerQuotesNotEnclosing", "[S]\nK=a\"b\"c\n", "S", "K", true, "a\"b\"c"},
        LookupCase{"QuotedKey", "[S]\n\"K\"=1\n", "S", "K", true, "1"},
        LookupCase{"EqualsInQuotedKey", "[S]\n\"A=B\"=1\n", "S", "A=B", true, "1"},
        LookupCase{"SpacesAroundEquals", "[S]\n  K  =  1  \n", "S", "K", true, "1"},
        LookupCase{"SecondEqualsInValue", "[S]\nK=a=b\n", "S", "K", true, "a=b"},
        LookupCase{"FirstKeyWins", "[S]\nK=1\nK=2\n", "S", "K", true, "1"},
        LookupCase{"FirstSectionOnly", "[S]\nA=1\n[S]\nK=2\n", "S", "K", false, ""},
        LookupCase{"KeyAfterNextSection", "[S]\nA=1\n[T]\nK=2\n", "S", "K", false, ""},
        LookupCase{"KeyBeforeAnySection", "K=1\n[S]\nA=1\n", "S", "K", false, ""},
        LookupCase{"CommentLineSkipped", "[S]\n; K=0\nK=1\n", "S", "K", true, "1"},
        LookupCase{"CommentedKeyIsNoKey", "[S]\n;K=1\n", "S", "K", false, ""},
        LookupCase{"BlankLinesSkipped", "[S]\n\n\n\nK=1\n", "S", "K", true, "1"},
        LookupCase{"KeyWithoutEquals", "[S]\nK\n", "S", "K", true, ""},
        LookupCase{"MissingSection", "[S]\nK=1\n", "T", "K", false, ""},
        LookupCase{"LastLineWithoutLineFeedIgnored", "[S]\nK=1", "S", "K", false, ""},
        LookupCase{"Value79", "[S]\nK=" + std::string(79, 'v') + "\n", "S", "K", true,
                   "vvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvv"},
        LookupCase{"Value80NotFound", "[S]\nK=" + std::string(80, 'v') + "\n", "S", "K", false, ""},
        LookupCase{"LongValueDoesNotFallThrough", "[S]\nK=" + std::string(80, 'v') + "\nK=2\n", "S", "K", false, ""},
        LookupCase{"LengthAfterQuotesAndComment", "[S]\nK=\"" + std::string(79, 'v') + "\" ; c\n", "S", "K", true,
                   "vvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvv"},
        // A 511-byte piece ends the line; the rest of the physical line is a line of its own.
        LookupCase{"LongLineContinues", "[S]\n" + k511 + "K=5\n", "S", "K", true, "5"},
        LookupCase{"LineOf510PlusCrLfDoesNotContinue", "[S]\r\n" + std::string(506, 'x') + "K=5\r\n", "S", "K", false, ""},
        LookupCase{"LoneCrIsContent", "[S]\rK=1\n", "S", "K", false, ""},
        LookupCase{"LineOf510PlusLfDoesNotContinue", "[S]\n" + std::string(506, 'x') + "K=5\n", "S", "K", false, ""},
        LookupCase{"NulEndsLine", std::string("[S]\nK=7\0junk\n", 13), "S", "K", true, "7"},
        LookupCase{"NulHidesKey", std::string("[S]\n\0K=7\n", 9), "S", "K", false, ""},
        LookupCase{"SectionEndByQuotedBracket", "[S]\n\"[x]\"\nK=1\n", "S", "K", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Reader, FileOverLimitReadsEmpty) {
  std::string big = "[S]\nK=1\n";
  std::string at = big + std::string(kProfileMaxBytes - big.size(), '\n');
  ProfileReader exact(MemoryLoader({{"t.ini", at}}));
  std::string v;
  EXPECT_TRUE(exact.GetProfileValue("t.ini", "S", "K", v));
  ProfileReader over(MemoryLoader({{"t.ini", at + "\n"}}));
  EXPECT_FALSE(over.GetProfileValue("t.ini", "S", "K", v));
}

TEST(Reader, LimitCountsConvertedLineEndings) {
  const std::string crlf = "[S]\r\nK=1\r\n" + std::string(kProfileMaxBytes - 8, '\n');
  ASSERT_GT(crlf.size(), kProfileMaxBytes);
  ProfileReader reader(MemoryLoader({{"t.ini", crlf}}));
  std::string v;
  EXPECT_TRUE(reader.GetProfileValue("t.ini", "S", "K", v));
  ProfileReader over(MemoryLoader({{"t.ini", crlf + "\n"}}));
  EXPECT_FALSE(over.GetProfileValue("t.ini", "S", "K", v));
}

TEST(Reader, OpensExactlyTheNamedFile) {
  ProfileReader reader(MemoryLoader({{"cfg.ini.ini", "[S]\nK=a\n"}, {"cfg.ini", "[S]\nK=b\n"}, {"CFG.Ini", "[S]\nK=c\n"}}));
  std::string v;
  ASSERT_TRUE(reader.GetProfileValue("cfg.ini.ini", "S", "K", v));
  EXPECT_EQ(v, "a");
  ASSERT_TRUE(reader.GetProfileValue("CFG.Ini", "S", "K", v));
  EXPECT_EQ(v, "c");
  EXPECT_FALSE(reader.GetProfileValue("cfg", "S", "K", v));
}

TEST(Reader, LoadsOncePerFile) {
  int loads = 0;
  ProfileReader reader([&](const std::string&, std::string& content) {
    ++loads;
    content = "[S]\nK=1\n";
    return true;
  });
  std::string v;
  for (int i = 0; i < 5; ++i) reader.GetProfileValue("a.ini", "S", "K", v);
  EXPECT_EQ(loads, 1);
  reader.GetProfileValue("b.ini", "S", "K", v);
  reader.GetProfileValue("a.ini", "S", "K", v);
  EXPECT_EQ(loads, 3);
}

// Quotes are dropped from the key and hide "=" and ";"; the key stops at
// 255 characters, quoted ones included.
TEST(Reader, SplitKeyPartTakesQuotesAndTheKeyLimit) {
  const std::string k250(250, 'k');
  const struct {
    std::string line;
    std::string key;
    bool hasValue;
    std::string value;
  } cases[] = {
      {"Key=V", "Key", true, "V"},
      {"Key=", "Key", false, ""},
      {"Key;=V", "Key", false, ""},
      {";Key=V", "", false, ""},
      {"\"K;=x\"=v", "K;=x", true, "v"},
      {"a\"b\"c=1", "abc", true, "1"},
      {"\"open=1", "open=1", false, ""},
      {"\"\"=1", "", true, "1"},
      {std::string(300, 'k') + "=1", std::string(255, 'k'), true, "1"},
      {k250 + "\"abcdefgh\"ij=2", k250 + "abcde", true, "2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 40));
    const KeyPart part = SplitKeyPart(c.line);
    EXPECT_EQ(part.key, c.key);
    EXPECT_EQ(part.hasValue, c.hasValue);
    EXPECT_EQ(part.value, c.value);
  }
}

TEST(Reader, SplitLinesDropsUnterminatedTailButKeepsFullPiece) {
  EXPECT_EQ(SplitProfileLines(std::string(511, 'a')).size(), 1u);
  EXPECT_EQ(SplitProfileLines(std::string(510, 'a')).size(), 0u);
  auto lines = SplitProfileLines(std::string(1100, 'a') + "\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].size(), 1100u - 1022u + 1u);
}

}  // namespace
}  // namespace zefr

namespace zefr {
namespace {

// The lookup as a plain scan from the top for every question; the indexed
// reader must answer exactly the same.
bool ScanLookup(const std::string& content, std::string_view section, std::string_view key, std::string& value) {
  value.clear();
  const std::string text = TextModeContent(content);
  std::vector<std::string_view> lines = SplitProfileLines(text);
  section = TrimIni(section);
  key = TrimIni(key);
  size_t i = 0;
  for (;; ++i) {
    if (i == lines.size()) return false;
    const KeyPart asRead = SplitKeyPart(lines[i]);
    std::string_view head = TrimIni(asRead.key);
    if (head.empty() || head[0] != '[') continue;
    std::string_view name = head.substr(1);
    name = name.substr(0, name.find(']'));
    if (EqualsNoCase(TrimIni(name), section)) break;
  }
  for (++i; i < lines.size(); ++i) {
    KeyPart part = SplitKeyPart(TrimIni(lines[i]));
    if (!part.key.empty() && part.key[0] == '[') return false;
    if (part.key.empty() || !EqualsNoCase(TrimIni(part.key), key)) continue;
    if (!part.hasValue) return true;
    std::string v = CleanValue(part.value);
    if (v.size() >= kValueCapacity) return false;
    value = v;
    return true;
  }
  return false;
}

TEST(Reader, IndexAnswersAsAScanDoes) {
  const std::string pieces[] = {"[S]", "[s ]", "[T]", "[ S ; x]", "\"[S]\"", "K=1", "k = 2 ", "K", "K=;c", "=v",
                          ";K=3", "\"K\"=4", "K=\"a;b\"", "K=\"x\"y\"", "  [T]=1", "\t", "", "[", "]", "K\t=\t\"\"",
                          "K=5\r", "\rK=6", "L=7", "\"", "[\"T\"]", "K=" + std::string(79, 'q'),
                          "K=" + std::string(80, 'q'), std::string(300, ' ') + "[S]", std::string(600, 'K'),
                          "K\"=\"=8", "K;=9", " \" [T]\"", "[\"S\" ]", "\"\"K=10", "[sS]", "[S\"=1",
                          std::string(254, 'k') + "K=11", std::string(260, ' ') + "\"[T]"};
  const char* sections[] = {"S", "s", "T", "U", " S ", "Ss", "\"S\""};
  const char* keys[] = {"K", "k", "L", "\"K\""};
  unsigned seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int round = 0; round < 400; ++round) {
    std::string content;
    const int count = static_cast<int>(next() % 12);
    for (int l = 0; l < count; ++l) {
      content += pieces[next() % std::size(pieces)];
      content += (next() % 5 == 0) ? "\r\n" : "\n";
    }
    if (next() % 3 == 0) content += pieces[next() % std::size(pieces)];
    ProfileReader reader(MemoryLoader({{"t.ini", content}}));
    for (const char* s : sections) {
      for (const char* k : keys) {
        std::string expected, actual;
        const bool want = ScanLookup(content, s, k, expected);
        ASSERT_EQ(reader.GetProfileValue("t.ini", s, k, actual), want) << content << "|" << s << "|" << k;
        ASSERT_EQ(actual, expected) << content;
      }
    }
  }
}

}  // namespace
}  // namespace zefr
