// What zefrlint finds beyond the compiler, its fixes and its JSON and SARIF:
// each finding at its place, every other byte of a fixed file kept.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "lint.h"
#include "rule_catalog.h"
#include "safe_fix.h"
#include "suggest.h"

namespace zefr::lint {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string Atx() {
  std::ifstream in(fs::path(ZEFR_SOURCE_DIR) / "editor/res/ZefrCfgATX.ini", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The default with `from` replaced by `to` once; the test fails if from is not there.
std::string AtxWith(const std::string& from, const std::string& to) {
  std::string text = Atx();
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// 1-based line of the first occurrence of needle.
std::uint32_t LineOf(const std::string& text, const std::string& needle) {
  const std::size_t at = text.find(needle);
  return static_cast<std::uint32_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1);
}

// zefrlint's own warnings, without the compiler's diagnostics.
std::vector<Diagnostic> Warnings(const std::string& text) {
  bool accepted = false;
  std::vector<Diagnostic> all = LintContent(text, &accepted);
  std::erase_if(all, [](const Diagnostic& d) {
    const int index = RuleIndex(d.rule);
    return index < 0 || Rules()[static_cast<std::size_t>(index)].fromCompiler;
  });
  return all;
}

TEST(LintWarnings, TheDefaultsHaveNone) {
  for (const char* name : {"ZefrCfgATX.ini", "ZefrCfgBTX.ini"}) {
    std::ifstream in(fs::path(ZEFR_SOURCE_DIR) / "editor/res" / name, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    bool accepted = false;
    EXPECT_TRUE(LintContent(text, &accepted).empty()) << name;
    EXPECT_TRUE(accepted);
  }
}

struct WarningCase {
  const char* name;
  std::string from, to;
  std::string rule;
  std::string at;  // text whose line the warning names
  std::uint32_t column;
  std::string message;
  std::string suggestion;
  bool fixable;
};

class LintWarning : public testing::TestWithParam<WarningCase> {};

TEST_P(LintWarning, AtItsPlace) {
  const WarningCase& c = GetParam();
  const std::string text = AtxWith(c.from, c.to);
  const std::vector<Diagnostic> found = Warnings(text);
  ASSERT_EQ(found.size(), 1u) << (found.empty() ? "" : LintLine("f", found[0]) + LintLine("f", found.back()));
  const Diagnostic& d = found[0];
  EXPECT_EQ(d.rule, c.rule);
  EXPECT_EQ(d.spot.line, LineOf(text, c.at));
  EXPECT_EQ(d.spot.column, c.column);
  EXPECT_EQ(LintLine("f.ini", d), "f.ini:" + std::to_string(d.spot.line) + ":" + std::to_string(c.column) +
                                      ": warning: " + c.message + "\n");
  EXPECT_EQ(d.suggestion, c.suggestion);
  EXPECT_EQ(d.fixable, c.fixable);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LintWarning,
    testing::Values(
        WarningCase{"MisspeltKey", "AccuracyCorrectionSlope=1.00", "  AccuracyCorectionSlope = 1.00",
                    "unknown-key", "AccuracyCorectionSlope", 3,
                    "Section \"TemperatureMonitor1\", Parameter \"AccuracyCorectionSlope\" - Unknown key, never read; "
                    "did you mean AccuracyCorrectionSlope?",
                    "AccuracyCorrectionSlope", true},
        WarningCase{"KeyOfAnotherKind", "[FanMonitor1]\nEnabled=TRUE", "[FanMonitor1]\nEnabled=TRUE\nVoltageNominal=1",
                    "unknown-key", "VoltageNominal=1", 1,
                    "Section \"FanMonitor1\", Parameter \"VoltageNominal\" - Unknown key, never read", "", false},
        WarningCase{"QuotedKeyIsNotFixed", "AccuracyCorrectionSlope=1.00", "\"AccuracyCorectionSlope\"=1.00",
                    "unknown-key", "\"AccuracyCorectionSlope\"", 1,
                    "Section \"TemperatureMonitor1\", Parameter \"AccuracyCorectionSlope\" - Unknown key, never read; "
                    "did you mean AccuracyCorrectionSlope?",
                    "AccuracyCorrectionSlope", false},
        WarningCase{"MisspeltSection", "[VoltageMonitor8]", "[VoltageMontor8]", "unknown-section", "[VoltageMontor8]", 2,
                    "Section \"VoltageMontor8\" - Unknown section, never read; did you mean VoltageMonitor8?",
                    "VoltageMonitor8", true},
        WarningCase{"SectionBeyondItsKind", "[FanMonitor1]", "[FanMonitor9]\n[FanMonitor1]", "unknown-section",
                    "[FanMonitor9]", 2,
                    "Section \"FanMonitor9\" - Unknown section, never read: there are 8 FanMonitor sections, "
                    "numbered from 1",
                    "", false},
        // Renaming it would hide the section that is there.
        WarningCase{"SuggestionAlreadyThere", "[FanMonitor1]", "[FanMonitr1]\n[FanMonitor1]", "unknown-section",
                    "[FanMonitr1]", 2,
                    "Section \"FanMonitr1\" - Unknown section, never read; did you mean FanMonitor1?", "FanMonitor1",
                    false},
        WarningCase{"RepeatedKey", "DerivativeTimeWindow=15", "DerivativeTimeWindow=15\nderivativetimewindow=20",
                    "duplicate-key", "derivativetimewindow=20", 1,
                    "Section \"TemperatureResponse1\", Parameter \"derivativetimewindow\" - Given again and ignored: "
                    "the compiler reads line " + std::to_string(LineOf(Atx(), "DerivativeTimeWindow=15")),
                    "", false},
        WarningCase{"RepeatedSection", "[FanMonitor1]\nEnabled=TRUE", "[FanMonitor1]\nEnabled=TRUE\n[fanmonitor1]",
                    "duplicate-section", "[fanmonitor1]", 2,
                    "Section \"fanmonitor1\" - Given again and ignored: the compiler reads the section at line " +
                        std::to_string(LineOf(Atx(), "[FanMonitor1]")),
                    "", false},
        WarningCase{"DecimalCutShort", "VoltageNominal=12.000", "VoltageNominal=12.0005", "truncated-decimal",
                    "VoltageNominal=12.0005", 16,
                    "Section \"VoltageMonitor1\", Parameter \"VoltageNominal\" - 12.0005 is stored as 12.000 "
                    "(3 decimals kept, the rest cut off)",
                    "", false},
        WarningCase{"DecimalBelowZeroCutShort", "UnderVoltageNonCritical=-0.400", "UnderVoltageNonCritical=-0.4009",
                    "truncated-decimal", "UnderVoltageNonCritical=-0.4009", 25,
                    "Section \"VoltageMonitor5\", Parameter \"UnderVoltageNonCritical\" - -0.4009 is stored as "
                    "-0.400 (3 decimals kept, the rest cut off)",
                    "", false},
        WarningCase{"OutsideTheEditorsRange", "FanSpeedNominal=2500", "FanSpeedNominal=25000", "editor-range",
                    "FanSpeedNominal=25000", 17,
                    "Section \"FanMonitor1\", Parameter \"FanSpeedNominal\" - Accepted by the compiler, but the "
                    "editor flags it: outside its range 0 to 20000 for \"Nominal Fan Speed\"",
                    "", false},
        WarningCase{"KeyOfUnusedFanSlot", "Fan2SetConfigurationCommand=\n", "Fan2SetConfigurationCommand=0x0E\n",
                    "unread-key", "Fan2SetConfigurationCommand=0x0E", 1,
                    "Section \"FanController1\", Parameter \"Fan2SetConfigurationCommand\" - Never read: "
                    "AssociatedFanSpeedMonitor2 is NONE",
                    "", false},
        WarningCase{"KeyOfDisabledEntity", "[FanMonitor8]\nEnabled=FALSE", "[FanMonitor8]\nEnabled=FALSE\nUsage=3 ; unread",
                    "unread-key", "Usage=3 ; unread", 1,
                    "Section \"FanMonitor8\", Parameter \"Usage\" - Never read: Enabled is FALSE", "", false},
        WarningCase{"KeyBeforeAnySection", "[TemperatureMonitor1]", "Enabled=TRUE\n[TemperatureMonitor1]", "unread-key",
                    "Enabled=TRUE\n[TemperatureMonitor1]", 1,
                    "Never read: it stands before the first section", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LintWarnings, AKeyTheCompilerRefusesIsNotWarnedAgain) {
  // Out of range and cut short: the error says enough.
  bool accepted = true;
  const std::vector<Diagnostic> all = LintContent(AtxWith("VoltageNominal=12.000", "VoltageNominal=999.0005"), &accepted);
  EXPECT_FALSE(accepted);
  for (const Diagnostic& d : all) EXPECT_STRNE(d.rule, "truncated-decimal");
}

TEST(Suggest, NearestUniqueNameOnly) {
  const std::vector<std::string> names = {"FanSpeedNominal", "FanSpeedCritical", "Usage", "Enabled"};
  struct Case {
    const char* word;
    std::optional<std::string> expected;
  } cases[] = {
      {"FanSpeedNominl", "FanSpeedNominal"},  // one left out
      {"fanspeednominal", std::nullopt},      // the same name: nothing to suggest
      {"FnaSpeedNominal", "FanSpeedNominal"}, // neighbours swapped
      {"Usag", "Usage"},
      {"Usg", std::nullopt},                  // two edits is too far for a short word
      {"Enable", "Enabled"},
      {"Speed", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(Closest(c.word, names), c.expected) << c.word;
  EXPECT_EQ(Closest("ab", std::vector<std::string>{"abc", "abd"}), std::nullopt);  // a tie
  EXPECT_EQ(EditDistance("kitten", "sitting"), 3u);
}

TEST(SafeFix, ChangesOnlyTheNamesAndKeepsLineEnds) {
  std::string text = AtxWith("AccuracyCorrectionSlope=1.00", "AccuracyCorectionSlope=1.00 ; kept");
  const std::size_t header = text.find("[VoltageMonitor8]");
  text.replace(header, 17, "[VoltageMontor8]");
  // CR LF line ends and a key refused elsewhere stay as they are.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  bool accepted = false;
  const std::vector<Diagnostic> found = LintContent(crlf, &accepted);
  std::vector<AppliedFix> applied;
  const std::string fixed = ApplyFixes(crlf, found, &applied);
  ASSERT_EQ(applied.size(), 2u);
  EXPECT_EQ(applied[0].to, "AccuracyCorrectionSlope");
  EXPECT_EQ(applied[1].to, "VoltageMonitor8");
  std::string expected;
  for (char c : Atx()) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::size_t slope = expected.find("AccuracyCorrectionSlope=1.00");
  expected.insert(slope + 28, " ; kept");
  EXPECT_EQ(fixed, expected);
  // A place that no longer holds the name is left alone.
  std::vector<AppliedFix> none;
  EXPECT_EQ(ApplyFixes(Atx(), found, &none), Atx());
  EXPECT_TRUE(none.empty());
}

class ZefrlintRun : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/zefrlint_run.XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
    return (dir_ / name).string();
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  int Run(std::vector<std::string> args) {
    out_.clear();
    err_.clear();
    return lint::Run(args, &out_, &err_);
  }
  fs::path dir_;
  std::string out_, err_;
};

TEST_F(ZefrlintRun, WerrorMakesWarningsFail) {
  const std::string warned = Write("w.ini", AtxWith("VoltageNominal=12.000", "VoltageNominal=12.0005"));
  EXPECT_EQ(Run({warned}), kAccepted);
  EXPECT_EQ(Run({"--werror", warned}), kRefused);
  EXPECT_EQ(Run({"--werror", "-q", warned}), kRefused);
  EXPECT_EQ(out_, "");
  EXPECT_EQ(Run({"--werror", Write("clean.ini", Atx())}), kAccepted);
}

TEST_F(ZefrlintRun, JsonHasOneObjectPerDiagnostic) {
  const std::string text = AtxWith("AccuracyCorrectionSlope=1.00", "AccuracyCorectionSlope=1.00");
  const std::string file = Write("j.ini", text);
  EXPECT_EQ(Run({"--format=json", file}), kRefused);
  const json all = json::parse(out_);
  ASSERT_TRUE(all.is_array());
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0]["rule"], "not-found");
  EXPECT_EQ(all[0]["severity"], "error");
  EXPECT_EQ(all[0]["suggestion"], nullptr);
  const json& w = all[1];
  EXPECT_EQ(w["file"], file);
  EXPECT_EQ(w["line"], LineOf(text, "AccuracyCorectionSlope"));
  EXPECT_EQ(w["column"], 1);
  EXPECT_EQ(w["endColumn"], 23);
  EXPECT_EQ(w["severity"], "warning");
  EXPECT_EQ(w["rule"], "unknown-key");
  EXPECT_EQ(w["section"], "TemperatureMonitor1");
  EXPECT_EQ(w["key"], "AccuracyCorectionSlope");
  EXPECT_EQ(w["suggestion"], "AccuracyCorrectionSlope");
  EXPECT_EQ(Run({"--format=json", Write("clean.ini", Atx())}), kAccepted);
  EXPECT_EQ(json::parse(out_), json::array());
}

TEST_F(ZefrlintRun, SarifNamesTheToolItsRulesAndEachPlace) {
  const std::string text = AtxWith("VoltageNominal=12.000", "VoltageNominal=abc");
  const std::string file = Write("s.ini", text);
  EXPECT_EQ(Run({"--format=sarif", file}), kRefused);
  const json log = json::parse(out_);
  EXPECT_EQ(log["version"], "2.1.0");
  const json& run = log["runs"][0];
  EXPECT_EQ(run["tool"]["driver"]["name"], "zefrlint");
  const json& rules = run["tool"]["driver"]["rules"];
  ASSERT_EQ(run["results"].size(), 1u);
  const json& r = run["results"][0];
  EXPECT_EQ(r["ruleId"], "invalid-syntax");
  EXPECT_EQ(rules[r["ruleIndex"].get<int>()]["id"], "invalid-syntax");
  EXPECT_EQ(r["level"], "error");
  EXPECT_EQ(r["message"]["text"], "Section \"VoltageMonitor1\", Parameter \"VoltageNominal\" - Invalid Syntax");
  const json& at = r["locations"][0]["physicalLocation"];
  EXPECT_EQ(at["artifactLocation"]["uri"], file);
  EXPECT_EQ(at["region"]["startLine"], LineOf(text, "VoltageNominal=abc"));
  EXPECT_EQ(at["region"]["startColumn"], 16);
  EXPECT_EQ(at["region"]["endColumn"], 19);
}

TEST_F(ZefrlintRun, FixWritesTheSafeFixesAndSaysWhat) {
  const std::string text = AtxWith("AccuracyCorrectionSlope=1.00", "AccuracyCorectionSlope=1.00");
  const std::string file = Write("f.ini", text);
  fs::permissions(file, fs::perms(0640));
  EXPECT_EQ(Run({"--fix", file}), kAccepted);
  EXPECT_EQ(out_, file + ":" + std::to_string(LineOf(text, "AccuracyCorectionSlope")) +
                      ":1: fixed: AccuracyCorectionSlope -> AccuracyCorrectionSlope\n");
  EXPECT_EQ(Read(file), Atx());
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
  // Nothing left to fix: the file is not written again.
  const auto written = fs::last_write_time(file);
  EXPECT_EQ(Run({"--fix", file}), kAccepted);
  EXPECT_EQ(out_, "");
  EXPECT_EQ(fs::last_write_time(file), written);
  // With JSON on standard output, what was fixed goes to standard error.
  Write("g.ini", text);
  EXPECT_EQ(Run({"--fix", "--format=json", (dir_ / "g.ini").string()}), kAccepted);
  EXPECT_EQ(json::parse(out_), json::array());
  EXPECT_NE(err_.find("fixed: AccuracyCorectionSlope -> AccuracyCorrectionSlope"), std::string::npos);
}

TEST_F(ZefrlintRun, UnknownFormatIsBadArguments) {
  EXPECT_EQ(Run({"--format=xml", Write("a.ini", Atx())}), kBadInput);
  EXPECT_NE(err_.find("unknown format \"xml\""), std::string::npos);
}

}  // namespace
}  // namespace zefr::lint
