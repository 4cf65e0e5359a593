#include "compiler_findings.h"

#include <gtest/gtest.h>

#include "document_fixture.h"

namespace zefr {
namespace {

using namespace testing_support;

// What the compiler refuses shows on its own row after each commit, after the
// editor's words, and goes again once mended.
TEST_F(Document, CompilerFindingsMarkTheirRow) {
  const struct {
    ParameterId id;
    const char* typed;
    const char* message;  // the row's whole message
    const char* line;     // its report line
  } cases[] = {
      {1007, "-0.5123", "Compiler: Out of Range! ",
       "Temperature Monitors 1\xC2\xBB" "Accuracy Correction Slope: Compiler: Out of Range! \r\n"},
      {1008, "", "Compiler: Input Missing! ",
       "Temperature Monitors 1\xC2\xBB" "Accuracy Correction Offset: Compiler: Input Missing! \r\n"},
      {3006, "-1", "Value out of range (0, 20000). Compiler: Out of Range! ",
       "Fan Monitors 1\xC2\xBBNominal Fan Speed: Value out of range (0, 20000). Compiler: Out of Range! \r\n"},
  };
  ASSERT_TRUE(doc.Load(Default("ZefrCfgATX.ini").string()).hadData);
  ASSERT_EQ(doc.Checks().CollectErrorReport(), "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const std::string before = doc.ValueOf(c.id);
    Type(c.id, c.typed);
    EXPECT_EQ(Row(c.id).Message(), c.message);
    EXPECT_EQ(Row(c.id).LabelBackground(), colours::kError);
    EXPECT_EQ(doc.Checks().CollectErrorReport(), c.line);
    // The editor's own report, on which Generate and Send refuse, keeps only its words.
    EXPECT_EQ(doc.Checks().EditorReport().find("Compiler"), std::string::npos);

    Type(c.id, before);
    EXPECT_EQ(Row(c.id).Message(), "");
    EXPECT_EQ(Row(c.id).LabelBackground(), colours::kPlain);
    EXPECT_EQ(doc.Checks().CollectErrorReport(), "");
  }
}

// What the editor writes is what the compiler checks: the bundled defaults,
// loaded and written again, pass it.
TEST_F(Document, WrittenDefaultsPassTheCompiler) {
  for (const char* name : {"ZefrCfgATX.ini", "ZefrCfgBTX.ini"}) {
    SCOPED_TRACE(name);
    doc.ResetToDefaults();
    doc.Load(Default(name).string());
    const std::string text = doc.WrittenText();
    EXPECT_NE(text.find("[FanController1]"), std::string::npos);
    EXPECT_TRUE(CompilerFindings(schema, text).empty());
  }
}

// An instance whose Enabled is neither TRUE nor FALSE is off in the tree but on
// for the compiler, so what the compiler refuses in it is reported too.
TEST_F(Document, FindingsInAnInstanceTheTreeHoldsOffAreReported) {
  std::string text = ReadFile(Default("ZefrCfgATX.ini"));
  const std::size_t section = text.find("[VoltageMonitor1]");
  text.replace(text.find("Enabled=TRUE", section), 12, "Enabled=Maybe");
  text.replace(text.find("VoltageNominal=12.000", section), 21, "VoltageNominal=abc");
  ASSERT_TRUE(doc.LoadText(text).hadData);
  const std::string& report = doc.Checks().CollectErrorReport();
  EXPECT_NE(report.find("Compiler: Not TRUE or FALSE! "), std::string::npos) << report;
  EXPECT_NE(report.find("Voltage Monitors 1\xC2\xBB" "Nominal Voltage: Bad value. Compiler: Invalid Syntax! "), std::string::npos)
      << report;
}

// Findings go to the row of their section and key; sections the tree does
// not know have no row.
TEST(CompilerFindings, GoToTheRowOfTheirKey) {
  const ParameterSchema schema;
  const auto findings = CompilerFindings(schema, "[TemperatureMonitor2]\nEnabled=TRUE\n[Elsewhere]\nEnabled=x\n");
  ASSERT_FALSE(findings.empty());
  for (const auto& [id, text] : findings) {
    EXPECT_GE(id, 1100);
    EXPECT_LE(id, 1116);
    EXPECT_EQ(text.rfind("Compiler: ", 0), 0u) << text;
  }
  EXPECT_EQ(findings.at(1101), "Compiler: Not Found! ");  // Usage, absent
}

}  // namespace
}  // namespace zefr
