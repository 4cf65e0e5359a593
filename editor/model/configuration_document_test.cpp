#include "configuration_document.h"

#include <gtest/gtest.h>

#include "document_fixture.h"

namespace zefr {
namespace {

using namespace testing_support;

TEST_F(Document, StartsBlankWithEveryInstanceOff) {
  EXPECT_EQ(Row(100).Label(), "Temperature Monitors (0/12)");
  EXPECT_EQ(Row(104).Label(), "Fan Controllers (0/8)");
  EXPECT_EQ(doc.ValueOf(kTm1), "FALSE");
  EXPECT_EQ(Row(kTm1).LabelBackground(), colours::kDisabled);
  EXPECT_TRUE(Row(kTm1Address).ReadOnly());
  EXPECT_TRUE(Row(kTm1Address).GreyText());
  EXPECT_EQ(Row(kTm1Address).Message(), "Input disabled. ");
  // Reference lists name no disabled instance.
  EXPECT_EQ(Entries(kTr1Monitor), std::vector<std::string>{""});
  EXPECT_EQ(doc.Checks().CollectErrorReport(), "");
  EXPECT_EQ(doc.TitleText(""), "Zefr Configuration Utility - Untitled");
}

// The fuzzer restores a document by copying it: the copy's checks and rules
// must keep their state apart from the original's.
TEST_F(Document, ACopyKeepsItsOwnStateAndFlags) {
  ConfigurationDocument copy(doc);
  EXPECT_TRUE(copy.Untitled());
  EXPECT_EQ(copy.Baseline(kTm1), "FALSE");

  Row(kTm1).Select(Row(kTm1).FindItem("Enabled"));
  EXPECT_TRUE(copy.OnCommitted(kTm1));
  EXPECT_TRUE(copy.Modified());
  EXPECT_EQ(copy.Rules().EnabledMask(0), 0x1u);
  EXPECT_FALSE(copy.Checks().StateWord(1009) & state::kInputDisabled);

  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.Rules().EnabledMask(0), 0x0u);
  EXPECT_TRUE(doc.Checks().StateWord(1009) & state::kInputDisabled);
}

TEST_F(Document, DefaultConfigurationsLoadWithoutErrors) {
  for (const char* name : {"ZefrCfgATX.ini", "ZefrCfgBTX.ini"}) {
    SCOPED_TRACE(name);
    doc.ResetToDefaults();
    const LoadResult result = doc.Load(Default(name).string());
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.hadData);
    EXPECT_EQ(doc.Checks().CollectErrorReport(), "");
    EXPECT_EQ(Row(100).Label(), "Temperature Monitors (6/12)");
    EXPECT_EQ(Row(104).Label(), "Fan Controllers (2/8)");
    EXPECT_EQ(doc.Rules().EnabledMask(0), 0x3Fu);
    // A reference to a kind later in the file still names its instance.
    EXPECT_EQ(Row(kTr1Monitor).SelectedText(), "Temperature Monitor  1");
    EXPECT_EQ(doc.ValueOf(kFc1Slot1), "1");
  }
}

// New takes the defaults from memory: text loads exactly as the same file does.
TEST_F(Document, TextLoadsAsTheSameFile) {
  for (const char* name : {"ZefrCfgATX.ini", "ZefrCfgBTX.ini"}) {
    SCOPED_TRACE(name);
    doc.ResetToDefaults();
    ASSERT_TRUE(doc.Load(Default(name).string()).hadData);
    std::vector<std::string> fromFile;
    for (const ParameterId id : schema.DisplayOrder()) fromFile.push_back(doc.ValueOf(id));

    doc.ResetToDefaults();
    const LoadResult result = doc.LoadText(ReadFile(Default(name)));
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.hadData);
    std::vector<std::string> fromText;
    for (const ParameterId id : schema.DisplayOrder()) fromText.push_back(doc.ValueOf(id));
    EXPECT_EQ(fromText, fromFile);
    EXPECT_EQ(doc.Checks().CollectErrorReport(), "");
    EXPECT_EQ(doc.Baseline(kTm1), "TRUE");
  }
  const struct {
    const char* text;
    bool hadData;
  } cases[] = {{"", false}, {"[Other]\nEnabled=TRUE\n", false}, {"[TemperatureMonitor3]\nEnabled=TRUE\n", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    doc.ResetToDefaults();
    const LoadResult result = doc.LoadText(c.text);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.hadData, c.hadData);
    EXPECT_EQ(doc.ValueOf(kTm3), c.hadData ? "TRUE" : "FALSE");
  }
}

TEST_F(Document, ReferenceToALaterKindResolvesAfterLoad) {
  const fs::path file = dir / "primary.ini";
  WriteFile(file,
            "[TemperatureMonitor1]\nEnabled=TRUE\n"
            "[TemperatureResponse1]\nEnabled=TRUE\nTemperatureMonitor=1\nPrimaryFanController=1\n"
            "[FanController1]\nEnabled=TRUE\n");
  doc.ResetToDefaults();
  doc.Load(file.string());
  EXPECT_EQ(Row(kTr1Primary).SelectedText(), "Fan Controller  1");
  EXPECT_FALSE(Has(kTr1Primary, state::kBadValue));
}

TEST_F(Document, LoadedHexFieldsAreLockedAsTheirDeviceSays) {
  doc.ResetToDefaults();
  doc.Load(Default("ZefrCfgATX.ini").string());
  EXPECT_EQ(Row(kTm1Device).SelectedText(), "CPU 1 Temperature Sensor");
  EXPECT_TRUE(Row(kTm1Address).ReadOnly());
  EXPECT_EQ(Row(1102).SelectedText(), "Bexmoor, Internal Sensor");
  EXPECT_FALSE(Row(1103).ReadOnly());
  // No device of the list has 0x49 for a voltage sensor: entered by hand.
  EXPECT_EQ(Row(5002).SelectedText(), "Other Pell Bus Device (custom)");
  EXPECT_FALSE(Row(5003).ReadOnly());
}

TEST_F(Document, CommitMarksModifiedOnlyAwayFromTheBaseline) {
  Choose(kTm1, "Disabled");
  EXPECT_FALSE(doc.Modified());
  Choose(kTm1, "Enabled");
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(doc.TitleText("a.ini"), "Zefr Configuration Utility - Untitled*");
  Choose(kTm1, "Disabled");
  EXPECT_TRUE(doc.Modified());
  doc.SetFlags(0);
  EXPECT_EQ(doc.TitleText("a.ini"), "Zefr Configuration Utility - a.ini");
}

TEST_F(Document, UnknownListValueShowsAsBadDataAndIsWrittenBack) {
  const fs::path file = dir / "bad.ini";
  WriteFile(file, "[TemperatureMonitor1]\nEnabled=TRUE\nUsage=Foo\n");
  doc.ResetToDefaults();
  doc.Load(file.string());
  EXPECT_EQ(Row(1001).SelectedText(), "Bad Data (Foo)");
  EXPECT_EQ(doc.ValueOf(1001), "Foo");
  EXPECT_EQ(EditorReport(), "Temperature Monitors 1\xC2\xBBUsage: Bad value. \r\n");
  const fs::path out = dir / "out.ini";
  ASSERT_TRUE(doc.Write(out.string(), WriteMode::SaveAs, nullptr));
  EXPECT_NE(ReadFile(out).find("Usage=Foo\t;Bad Data (Foo)\n"), std::string::npos);
  // A reset drops the extra option.
  doc.ResetToDefaults();
  EXPECT_EQ(Row(1001).FindItem("Bad Data (Foo)"), -1);
  EXPECT_EQ(schema.ExtraOption(1001), nullptr);
}

TEST_F(Document, BadDataNeverTakesARealOptionsValue) {
  // "3" names a disabled monitor: kept as bad data with the real option's value.
  const fs::path file = dir / "ref.ini";
  WriteFile(file, "[TemperatureResponse1]\nEnabled=TRUE\nTemperatureMonitor=3\n");
  doc.ResetToDefaults();
  doc.Load(file.string());
  EXPECT_EQ(Row(kTr1Monitor).SelectedText(), "Bad Data (3)");
  doc.ResetToDefaults();
  Choose(kTm3, "Enabled");
  ASSERT_TRUE(doc.SetValue(kTr1Monitor, "3"));
  EXPECT_EQ(Row(kTr1Monitor).SelectedText(), "Temperature Monitor  3");
  EXPECT_EQ(schema.OptionOfStored(kTr1Monitor, "3"), 3);
}

TEST_F(Document, ValueLongerThanItsLimitIsKeptWhole) {
  const fs::path file = dir / "long.ini";
  WriteFile(file, "[FanMonitor1]\nEnabled=TRUE\nFanSpeedNominal=12345678\n");
  doc.ResetToDefaults();
  doc.Load(file.string());
  EXPECT_EQ(doc.ValueOf(3006), "12345678");
  EXPECT_EQ(EditorReport(),
            "Fan Monitors 1\xC2\xBBNominal Fan Speed: Value out of range (0, 20000). "
            "Value length longer than 6. \r\n");
}

TEST_F(Document, CommentsSurviveLoadAndSave) {
  const fs::path file = dir / "smooth.ini";
  WriteFile(file,
            "; my board\n[TemperatureResponse1]\nEnabled=TRUE\nSmoothingWindow=4   ; keep me\n"
            "[Other]\nX=1\n");
  doc.ResetToDefaults();
  doc.Load(file.string());
  EXPECT_EQ(doc.ValueOf(kTr1Smoothing), "4");
  // Unchanged: the line stays as it was.
  ASSERT_TRUE(doc.Write(file.string(), WriteMode::Save, nullptr));
  EXPECT_EQ(ReadFile(file),
            "; my board\n[TemperatureResponse1]\nEnabled=TRUE\nSmoothingWindow=4   ; keep me\n"
            "[Other]\nX=1\n");
  // Changed: the value, a tab and the comment from its ";".
  doc.SetValue(kTr1Smoothing, "5");
  ASSERT_TRUE(doc.Write(file.string(), WriteMode::Save, nullptr));
  EXPECT_NE(ReadFile(file).find("SmoothingWindow=5\t; keep me\n"), std::string::npos);
  EXPECT_NE(ReadFile(file).find("[Other]\nX=1\n"), std::string::npos);
}

TEST_F(Document, SaveOfALoadedDefaultChangesOnlyTheEditedLine) {
  const fs::path file = Copy("ZefrCfgATX.ini");
  const std::string before = ReadFile(file);
  doc.ResetToDefaults();
  doc.Load(file.string());
  ASSERT_TRUE(doc.Write(file.string(), WriteMode::Save, nullptr));
  EXPECT_EQ(ReadFile(file), before);

  Choose(1001, "Processor Core Temperature");  // TemperatureMonitor1 Usage 2 -> 1
  ASSERT_TRUE(doc.Write(file.string(), WriteMode::Save, nullptr));
  const std::string after = ReadFile(file);
  const std::string oldLine = "Usage=2                                  ;; Processor Die/Package Temperature\n";
  const auto at = before.find(oldLine);
  ASSERT_NE(at, std::string::npos);
  std::string expected = before;
  expected.replace(at, oldLine.size(), "Usage=1\t;Processor Core Temperature\n");
  EXPECT_EQ(after, expected);
}

TEST_F(Document, SaveAsWritesEveryKeyWithItsOptionComment) {
  doc.ResetToDefaults();
  doc.Load(Default("ZefrCfgBTX.ini").string());
  const fs::path out = dir / "all.ini";
  WriteFile(out, "[TemperatureMonitor1]\nUsage=9 ; old\n");
  ASSERT_TRUE(doc.Write(out.string(), WriteMode::SaveAs, nullptr));
  const std::string text = ReadFile(out);
  EXPECT_NE(text.find("Usage=2\t;Processor Die/Package Temperature\n"), std::string::npos);
  EXPECT_NE(text.find("DeviceAddress=0x20\t;CPU 1 Temperature Sensor\n"), std::string::npos);
  EXPECT_NE(text.find("[TemperatureMonitor7]\nEnabled=FALSE\nUsage=\nDeviceAddress=\n"),
            std::string::npos);
  // Read back, it is the same configuration.
  ParameterSchema schema2;
  MemoryRows rows2;
  ConfigurationDocument doc2(schema2, rows2);
  for (const ParameterId id : schema2.DisplayOrder()) {
    rows2.Create(*schema2.Descriptor(id));
    doc2.InitRow(id);
  }
  doc2.StartUp();
  doc2.Load(out.string());
  for (const ParameterId id : schema.DisplayOrder()) EXPECT_EQ(doc2.ValueOf(id), doc.ValueOf(id)) << id;
}

TEST_F(Document, FailedWriteIsReported) {
  std::string error;
  EXPECT_FALSE(doc.Write((dir / "missing" / "x.ini").string(), WriteMode::SaveAs, &error));
  EXPECT_FALSE(error.empty());
}

// A value that cannot go into the file fails the save, and the file keeps
// none of the other changes either.
TEST_F(Document, RefusedValueLeavesTheFileAsItWas) {
  const fs::path file = dir / "refused.ini";
  const std::string before = "[TemperatureResponse1]\nEnabled=TRUE\nSmoothingWindow=4\nProportionalGain=1.00\n";
  WriteFile(file, before);
  doc.ResetToDefaults();
  doc.Load(file.string());
  doc.SetValue(kTr1Smoothing, "5");
  doc.SetValue(kTr1Gain, "2.00\n[Injected]");
  std::string error;
  EXPECT_FALSE(doc.Write(file.string(), WriteMode::Save, &error));
  EXPECT_NE(error.find("line break"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(file), before);
}

TEST_F(Document, FileWithoutKnownKeysHoldsNoData) {
  const fs::path file = dir / "empty.ini";
  WriteFile(file, "[Other]\nX=1\n");
  EXPECT_FALSE(doc.Load(file.string()).hadData);
}

// The compiler reads a hex byte field as decimal, as octal after a leading 0,
// or as hex after 0x; a loaded value keeps that number, shown as hex.
TEST_F(Document, PlainIntegerHexBytesKeepTheirValueOnLoad) {
  const struct {
    const char* file;
    const char* shown;
    bool outOfRange;
  } cases[] = {
      {"32", "0x20", false},   {"0277", "0xBF", false}, {"0", "0x00", false},
      {"00", "0x00", false},   {"255", "0xFF", false},  {"300", "0x12C", true},
      {"NONE", "NONE", false}, {"0x1F", "0x1F", false}, {"1G", "0x1G", false},
  };
  const fs::path file = dir / "bytes.ini";
  for (const auto& c : cases) {
    WriteFile(file, std::string("[TemperatureMonitor1]\nEnabled=TRUE\nDeviceAddress=") + c.file + "\n");
    doc.ResetToDefaults();
    doc.Load(file.string());
    EXPECT_EQ(doc.ValueOf(kTm1Address), c.shown) << c.file;
    EXPECT_EQ(Has(kTm1Address, state::kOutOfRange), c.outOfRange) << c.file;
    EXPECT_FALSE(doc.Modified()) << c.file;
    ASSERT_TRUE(doc.Write(file.string(), WriteMode::Save, nullptr)) << c.file;
    doc.Load(file.string());
    EXPECT_EQ(doc.ValueOf(kTm1Address), c.shown) << c.file;
  }
}

}  // namespace
}  // namespace zefr
