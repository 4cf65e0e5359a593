#include "profile_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zefr {
namespace {

const char kSample[] =
    "K0=before\n"
    "; heading comment\n"
    "[Alpha]\n"
    "Key1 = value one \n"
    "Key2=\t\"quoted\"  \n"
    "Key3='single'\n"
    "Key4=\"dq\n"
    "Key5=\"a'\n"
    "Key6=\"\"\n"
    "Key7=\" \n"
    "K5=1  ; c1\n"
    "M=a;b\n"
    "Q=\"in ; side\"\n"
    "Empty=\n"
    "Blank=   \t\n"
    "NoEquals\n"
    ";Hidden=1\n"
    "  ; Hidden2=2\n"
    "  Indented=yes\n"
    "Dup=first\n"
    "Dup=second\n"
    "[beta]\n"
    "Other=x\n"
    "[ALPHA]\n"
    "Later=1\n"
    "[ Spaced ] ; note\n"
    "S=1\n"
    "[Open\n"
    "O=1\n"
    "[Last]\n"
    "Tail=end";

struct ReadCase {
  const char* section;
  const char* key;
  std::optional<std::string> want;
};

const std::vector<ReadCase> kReads = {
    {"Alpha", "K0", std::nullopt},           // before the first section
    {"alpha", "KEY1", "value one"},          // names without case, value trimmed
    {"Alpha", "Key2", "quoted"},             // one pair of double quotes off
    {"Alpha", "Key3", "single"},             // single quotes too
    {"Alpha", "Key4", "\"dq"},               // a lone quote stays
    {"Alpha", "Key5", "\"a'"},               // unlike quotes stay
    {"Alpha", "Key6", ""},
    {"Alpha", "Key7", "\""},
    {"Alpha", "K5", "1  ; c1"},              // inline comments are not cut
    {"Alpha", "M", "a;b"},
    {"Alpha", "Q", "in ; side"},
    {"Alpha", "Empty", ""},                  // present but empty
    {"Alpha", "Blank", ""},
    {"Alpha", "NoEquals", ""},
    {"Alpha", "Hidden", std::nullopt},       // comment lines are never keys
    {"Alpha", ";Hidden", std::nullopt},
    {"Alpha", "Hidden2", std::nullopt},
    {"Alpha", "Indented", "yes"},
    {"Alpha", "Dup", "first"},               // first line wins
    {"Alpha", "Other", std::nullopt},        // belongs to the next section
    {"Alpha", "Later", std::nullopt},        // only the first [Alpha] counts
    {"Beta", "Other", "x"},
    {"Spaced", "S", "1"},
    {" Spaced\t", " S ", "1"},               // caller's names are trimmed
    {"Open", "O", "1"},                      // header without "]"
    {"Last", "Tail", "end"},                 // last line without a line feed
    {"Missing", "Key1", std::nullopt},
    {"Alpha", "Missing", std::nullopt},
};

std::string ToCrlf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

TEST(ProfileTextTest, ReadsLikeThePlatformService) {
  for (bool crlf : {false, true}) {
    ProfileText text(crlf ? ToCrlf(kSample) : std::string(kSample));
    for (const ReadCase& c : kReads) {
      EXPECT_EQ(text.Read(c.section, c.key), c.want)
          << (crlf ? "CRLF " : "LF ") << "[" << c.section << "] " << c.key;
    }
  }
}

TEST(ProfileTextTest, KeepsEveryByteWhenUntouched) {
  const std::vector<std::string> inputs = {
      "",
      "\n",
      std::string(kSample),
      ToCrlf(kSample),
      "[S]\r\nA=1\nB=2\r\n",  // mixed endings
      "[S]\nA=1\r",           // stray carriage return at the end
      "a\r\rb\r\n\n\n",
      std::string("[S]\nA=x\0y\n", 11),
      "\xEF\xBB\xBF[S]\nA=1\n",
  };
  for (const std::string& in : inputs) {
    ProfileText text(in);
    EXPECT_EQ(text.Bytes(), in);
    EXPECT_FALSE(text.Modified());
  }
}

struct Edit {
  enum Op { kWrite, kRemove } op;
  const char* section;
  const char* key;
  const char* value;
};

struct EditCase {
  const char* name;
  std::string before;
  std::vector<Edit> edits;
  std::string after;
};

const std::vector<EditCase> kEdits = {
    {"existing key keeps its spelling, drops its comment",
     "[S]\nmyKey = 1 ; c\n", {{Edit::kWrite, "s", "MYKEY", "2"}}, "[S]\nmyKey=2\n"},
    {"other lines stay byte for byte",
     "; head\n\n[S]\n  A=1\n\n; mid\nB=2\n[T]\nC=3\n", {{Edit::kWrite, "S", "B", "5"}},
     "; head\n\n[S]\n  A=1\n\n; mid\nB=5\n[T]\nC=3\n"},
    {"indented key line is rewritten flush",
     "[S]\n  A=1\n", {{Edit::kWrite, "S", "a", "2"}}, "[S]\nA=2\n"},
    {"new key after the section's last key line",
     "[S]\nA=1\n\n; trailing comment\n[T]\nC=3\n", {{Edit::kWrite, "S", "New", "v"}},
     "[S]\nA=1\nNew=v\n\n; trailing comment\n[T]\nC=3\n"},
    {"new key in a section without keys goes under the header",
     "[S]\n; only a comment\n\n[T]\n", {{Edit::kWrite, "S", "New", "v"}},
     "[S]\nNew=v\n; only a comment\n\n[T]\n"},
    {"commented-out key is not the key",
     "[S]\n;A=1\n", {{Edit::kWrite, "S", "A", "2"}}, "[S]\nA=2\n;A=1\n"},
    {"new section appended with its key",
     "[S]\nA=1\n", {{Edit::kWrite, "T", "K", "v"}}, "[S]\nA=1\n[T]\nK=v\n"},
    {"empty file", "", {{Edit::kWrite, "S", "K", "v"}}, "[S]\nK=v\n"},
    {"empty value writes KEY=", "[S]\nA=1\n", {{Edit::kWrite, "S", "A", ""}}, "[S]\nA=\n"},
    {"value written as given, comment included",
     "[S]\nA=1\n", {{Edit::kWrite, "S", "A", "4\t; note"}}, "[S]\nA=4\t; note\n"},
    {"key before the first section is left alone",
     "A=1\n[S]\n", {{Edit::kWrite, "S", "A", "2"}}, "A=1\n[S]\nA=2\n"},
    {"only the first section of a name is written",
     "[S]\nA=1\n[s]\nB=1\n", {{Edit::kWrite, "S", "B", "2"}}, "[S]\nA=1\nB=2\n[s]\nB=1\n"},
    {"first line of a doubled key is written",
     "[S]\nA=1\nA=2\n", {{Edit::kWrite, "S", "A", "3"}}, "[S]\nA=3\nA=2\n"},
    {"last line without a line feed gets one before a new line",
     "[S]\nA=1", {{Edit::kWrite, "S", "B", "2"}}, "[S]\nA=1\nB=2\n"},
    {"rewritten last line ends with a line feed",
     "[S]\nA=1", {{Edit::kWrite, "S", "A", "3"}}, "[S]\nA=3\n"},
    {"new section after a last line without a line feed",
     "[S]\nA=1", {{Edit::kWrite, "T", "B", "2"}}, "[S]\nA=1\n[T]\nB=2\n"},
    {"CRLF kept on a rewritten line",
     "[S]\r\nA=1\r\n", {{Edit::kWrite, "S", "A", "2"}}, "[S]\r\nA=2\r\n"},
    {"CRLF on a new key",
     "[S]\r\nA=1\r\n[T]\r\n", {{Edit::kWrite, "S", "B", "2"}}, "[S]\r\nA=1\r\nB=2\r\n[T]\r\n"},
    {"CRLF on a new section", "[S]\r\nA=1", {{Edit::kWrite, "T", "K", "v"}},
     "[S]\r\nA=1\r\n[T]\r\nK=v\r\n"},
    {"remove deletes the key's line only",
     "[S]\nA=1\n; c\nB=2\n", {{Edit::kRemove, "s", "a", nullptr}}, "[S]\n; c\nB=2\n"},
    {"remove of an absent key changes nothing",
     "[S]\nA=1\n", {{Edit::kRemove, "S", "B", nullptr}, {Edit::kRemove, "X", "A", nullptr}},
     "[S]\nA=1\n"},
    {"remove then write moves the key after the section's key lines",
     "[S]\nA=1\nB=2\n\n[T]\n",
     {{Edit::kRemove, "S", "A", nullptr}, {Edit::kWrite, "S", "A", "1"}},
     "[S]\nB=2\nA=1\n\n[T]\n"},
    {"remove of a doubled key reveals the second line",
     "[S]\nA=1\nA=2\n", {{Edit::kRemove, "S", "A", nullptr}, {Edit::kWrite, "S", "A", "3"}},
     "[S]\nA=3\n"},
    {"refused entries change nothing",
     "[S]\nA=1\n",
     {{Edit::kWrite, "S", "A", "1\n[Evil]"},
      {Edit::kWrite, "S", "A", "1\r"},
      {Edit::kWrite, "S", "A=B", "1"},
      {Edit::kWrite, "S", "[A", "1"},
      {Edit::kWrite, "S", ";A", "1"},
      {Edit::kWrite, "S", " ", "1"},
      {Edit::kWrite, "S]", "A", "1"},
      {Edit::kWrite, "", "A", "1"}},
     "[S]\nA=1\n"},
};

TEST(ProfileTextTest, EditsTouchOnlyTheirLines) {
  for (const EditCase& c : kEdits) {
    ProfileText text(c.before);
    for (const Edit& e : c.edits) {
      if (e.op == Edit::kWrite)
        text.Write(e.section, e.key, e.value);
      else
        text.Remove(e.section, e.key);
    }
    EXPECT_EQ(text.Bytes(), c.after) << c.name;
    EXPECT_EQ(text.Modified(), c.before != c.after) << c.name;
  }
}

// Lines added and removed move the sections after them: an edited text must
// read exactly as its own bytes read afresh.
TEST(ProfileTextTest, EditedTextReadsAsItsBytes) {
  const Edit edits[] = {
      {Edit::kWrite, "New", "A", "1"},        // appends a section
      {Edit::kWrite, "alpha", "Fresh", "2"},  // a line inside the first [Alpha]
      {Edit::kWrite, "NEW", "B", "3"},        // the appended section, in another case
      {Edit::kRemove, "Alpha", "Key1", ""},   // a line before later sections goes
      {Edit::kWrite, "Last", "More", "4"},    // after a last line without a line feed
      {Edit::kRemove, "beta", "Other", ""},
      {Edit::kWrite, "Spaced", "T", "5"},
      {Edit::kWrite, "Open", "P", "6"},
      {Edit::kWrite, "Beta", "Other", "7"},
  };
  const char* sections[] = {"Alpha", "beta", "New", "Spaced", "Open", "Last", "Missing"};
  const char* keys[] = {"Key1", "Key2", "Fresh", "Later", "Other", "A", "B", "More", "S", "T", "O", "P", "Tail"};
  ProfileText text(kSample);
  for (const Edit& e : edits) {
    if (e.op == Edit::kWrite)
      ASSERT_TRUE(text.Write(e.section, e.key, e.value));
    else
      ASSERT_TRUE(text.Remove(e.section, e.key));
    const ProfileText fresh(text.Bytes());
    std::vector<const char*> asked{e.section};  // the edited section first
    asked.insert(asked.end(), std::begin(sections), std::end(sections));
    for (const char* s : asked)
      for (const char* k : keys)
        EXPECT_EQ(text.Read(s, k), fresh.Read(s, k)) << "after " << e.section << "/" << e.key << ": " << s << "/" << k;
  }
}

TEST(ProfileTextTest, RefusedEntriesSayWhy) {
  EXPECT_EQ(ProfileText::ValidEntry("S", "A", "x ; y \"z\""), "");
  EXPECT_NE(ProfileText::ValidEntry("S", "A", "x\ny"), "");
  ProfileText text("[S]\n");
  EXPECT_FALSE(text.Write("S", "A", "x\ny"));
  EXPECT_TRUE(text.Write("S", "A", "x"));
}

TEST(ProfileTextTest, WrittenValuesReadBack) {
  const std::vector<std::string> values = {"", "12", "0x20", "a;b", "4\t; comment", "NONE",
                                           "  padded  ", "\"quoted\"", "'q'"};
  const std::vector<std::string> want = {"", "12", "0x20", "a;b", "4\t; comment", "NONE",
                                         "padded", "quoted", "q"};
  ProfileText text("; header\n[S]\nA=old\n");
  for (std::size_t i = 0; i < values.size(); ++i) {
    ASSERT_TRUE(text.Write("S", "A", values[i]));
    ProfileText reread(text.Bytes());
    EXPECT_EQ(reread.Read("S", "A"), want[i]) << values[i];
  }
}

// The lookup by scanning every line of the bytes, as the service describes
// it: the key's line, or nullopt. `ends` tells whether that line has a line
// feed after it.
std::optional<std::string> ScanForKeyLine(const std::string& bytes, std::string_view section,
                                          std::string_view key, bool* ends) {
  auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
  };
  auto same = [](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
        return false;
    return true;
  };
  section = trim(section);
  key = trim(key);
  bool seenSection = false, inSection = false;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    std::string_view body = std::string_view(bytes).substr(start, lf == std::string::npos ? std::string::npos : lf - start);
    if (lf != std::string::npos && !body.empty() && body.back() == '\r') body.remove_suffix(1);
    start = lf == std::string::npos ? bytes.size() : lf + 1;
    const std::string_view t = trim(body);
    if (t.empty() || t.front() == ';') continue;
    if (t.front() == '[') {
      if (inSection) return std::nullopt;
      const std::string_view inside = t.substr(1, t.find(']') == std::string::npos ? std::string::npos : t.find(']') - 1);
      if (!seenSection && same(trim(inside), section)) seenSection = inSection = true;
      continue;
    }
    if (inSection && same(trim(t.substr(0, t.find('='))), key)) {
      *ends = lf != std::string::npos;
      return std::string(body);
    }
  }
  return std::nullopt;
}

// Random files of doubled, differently spelled sections and keys, comments,
// blank lines and both line endings.
std::string RandomProfile(std::mt19937& random) {
  static const char* const kLines[] = {
      "[S]", "[ s ]", "[T]", "[t", "[]", "[S] ; note", "K=1", "  k = two ", "K=3", "Dup=a",
      "dup=b", "=empty name", "K", ";K=hidden", "  ; c", "", "   ", "x=\"q\"", "T=in S"};
  std::string text;
  const int lines = static_cast<int>(random() % 14);
  for (int i = 0; i < lines; ++i) {
    text += kLines[random() % std::size(kLines)];
    text += random() % 4 == 0 ? "\r\n" : "\n";
  }
  if (random() % 3 == 0) text += kLines[random() % std::size(kLines)];  // no line feed at the end
  return text;
}

TEST(ProfileTextTest, IndexAnswersAsAScanOfTheBytes) {
  const char* const sections[] = {"S", "s", " T ", "", "U"};
  const char* const keys[] = {"K", "k ", "Dup", "x", "T", "New"};
  const char* const values[] = {"1", "", "a b", " \"q\" "};
  std::mt19937 random(20240611);
  auto agrees = [&](const ProfileText& text, const std::string& when) {
    const std::string bytes = text.Bytes();
    for (const char* s : sections)
      for (const char* k : keys) {
        bool ends = false;
        std::optional<std::string> want;
        if (const auto line = ScanForKeyLine(bytes, s, k, &ends))
          want = ProfileText("[x]\n" + *line + (ends ? "\n" : "")).Read("x", k);
        ASSERT_EQ(text.Read(s, k), want) << when << "[" << s << "] " << k << " in\n" << bytes;
      }
  };
  for (int round = 0; round < 400; ++round) {
    ProfileText text(RandomProfile(random));
    agrees(text, "parsed: ");
    for (int step = 0; step < 12; ++step) {
      const char* s = sections[random() % std::size(sections)];
      const char* k = keys[random() % std::size(keys)];
      if (random() % 3 == 0) {
        bool ends = false;
        const bool there = ScanForKeyLine(text.Bytes(), s, k, &ends).has_value();
        EXPECT_EQ(text.Remove(s, k), there);
        agrees(text, std::string("removed [") + s + "] " + k + ": ");
      } else {
        text.Write(s, k, values[random() % std::size(values)]);
        agrees(text, std::string("wrote [") + s + "] " + k + ": ");
      }
    }
  }
}

// A rewritten line's old text is left behind until it is most of the held
// text; then only the lines' own text is kept. A copy edits on its own.
TEST(ProfileTextTest, ManyRewritesKeepTheOtherLines) {
  ProfileText text("; head\r\n[S]\r\nA=1\r\nB=2\r\n[T]\r\nC=3");
  ProfileText copy;
  std::string last;
  for (int i = 0; i < 300; ++i) {
    last = std::string(100 + i % 7, 'x') + std::to_string(i);
    ASSERT_TRUE(text.Write("S", "A", last));
    if (i == 150) copy = text;
  }
  ASSERT_TRUE(text.Remove("S", "B"));
  EXPECT_EQ(text.Bytes(), "; head\r\n[S]\r\nA=" + last + "\r\n[T]\r\nC=3");
  EXPECT_EQ(text.Read("T", "C"), "3");
  EXPECT_EQ(copy.Read("S", "B"), "2");
  EXPECT_EQ(copy.Read("S", "A"), std::string(100 + 150 % 7, 'x') + "150");
}

}  // namespace
}  // namespace zefr
