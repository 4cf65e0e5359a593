#include "ConfigurationDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "MemoryRows.h"

namespace zefr {
namespace {

namespace fs = std::filesystem;

constexpr ParameterId kTm1 = 1000, kTm1Device = 1002, kTm1Address = 1003, kTm1Command = 1004;
constexpr ParameterId kTm3 = 1200;
constexpr ParameterId kVm1 = 5000, kVm1Usage = 5001, kVm1Nominal = 5005;
constexpr ParameterId kTr1 = 7000, kTr1Monitor = 7002, kTr1Smoothing = 7003, kTr1Gain = 7005;
constexpr ParameterId kTr1Reduction = 7015, kTr1Primary = 7016;
constexpr ParameterId kFc1 = 9000, kFc1Slot1 = 9008, kFc1Slot2 = 9013, kFc1Slot3 = 9018;
constexpr ParameterId kFc1Fan2Measurement = 9017;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The model over rows in memory, built and started as the window does.
class Document : public ::testing::Test {
 protected:
  Document() : doc(schema, rows) {
    for (const ParameterId id : schema.DisplayOrder()) {
      rows.Create(*schema.Descriptor(id));
      doc.InitRow(id);
    }
    doc.StartUp();
    dir = fs::temp_directory_path() /
          ("zefr_doc_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  ~Document() override { fs::remove_all(dir); }

  MemoryRow& Row(ParameterId id) { return *rows.Find(id); }

  // What the user does in the tree: pick an entry or type a text, then commit.
  void Choose(ParameterId id, const std::string& display) {
    const int position = Row(id).FindItem(display);
    ASSERT_GE(position, 0) << display;
    Row(id).Select(position);
    doc.OnCommitted(id);
  }
  void Type(ParameterId id, const std::string& text) {
    Row(id).SetText(text);
    doc.OnCommitted(id);
  }
  std::vector<std::string> Entries(ParameterId id) {
    std::vector<std::string> texts;
    for (int i = 0; i < Row(id).Count(); ++i) texts.push_back(Row(id).ItemText(i));
    return texts;
  }
  bool Has(ParameterId id, std::uint32_t bit) { return (doc.StateWord(id) & bit) != 0; }

  fs::path Default(const char* name) { return fs::path(ZEFR_RES_DIR) / name; }
  fs::path Copy(const char* name) {
    const fs::path to = dir / name;
    fs::copy_file(Default(name), to, fs::copy_options::overwrite_existing);
    return to;
  }

  ParameterSchema schema;
  MemoryRows rows;
  ConfigurationDocument doc;
  fs::path dir;
};

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
  EXPECT_EQ(doc.CollectErrorReport(), "");
  EXPECT_EQ(doc.TitleText(""), "Zefr Configuration Utility - Untitled");
}

TEST_F(Document, DefaultConfigurationsLoadWithoutErrors) {
  for (const char* name : {"ZefrCfgATX.ini", "ZefrCfgBTX.ini"}) {
    SCOPED_TRACE(name);
    doc.ResetToDefaults();
    const LoadResult result = doc.Load(Default(name).string());
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.hadData);
    EXPECT_EQ(doc.CollectErrorReport(), "");
    EXPECT_EQ(Row(100).Label(), "Temperature Monitors (6/12)");
    EXPECT_EQ(Row(104).Label(), "Fan Controllers (2/8)");
    EXPECT_EQ(doc.EnabledMask(0), 0x3Fu);
    // A reference to a kind later in the file still names its instance.
    EXPECT_EQ(Row(kTr1Monitor).SelectedText(), "Temperature Monitor  1");
    EXPECT_EQ(doc.ValueOf(kFc1Slot1), "1");
  }
}

// Assigning a saved copy puts back every part of the state a load changes.
TEST_F(Document, AssignedCopyPutsTheStateBack) {
  const ConfigurationDocument fresh = doc;
  const MemoryRows freshRows = rows;
  doc.SetFlags(kModifiedFlag);
  ASSERT_TRUE(doc.Load(Default("ZefrCfgATX.ini").string()).ok);
  doc.CollectErrorReport();
  ASSERT_NE(doc.EnabledMask(0), fresh.EnabledMask(0));

  rows = freshRows;
  doc = fresh;
  EXPECT_EQ(doc.Flags(), fresh.Flags());
  EXPECT_EQ(doc.Report(), fresh.Report());
  for (int kind = 0; kind < ParameterSchema::kKindCount; ++kind)
    EXPECT_EQ(doc.EnabledMask(kind), fresh.EnabledMask(kind));
  for (const ParameterId id : schema.DisplayOrder()) {
    SCOPED_TRACE(id);
    ASSERT_EQ(doc.StateWord(id), fresh.StateWord(id));
    ASSERT_EQ(doc.Baseline(id), fresh.Baseline(id));
    ASSERT_EQ(doc.ValueOf(id), fresh.ValueOf(id));
  }
  // And it goes on working from there.
  ASSERT_TRUE(doc.Load(Default("ZefrCfgATX.ini").string()).ok);
  EXPECT_EQ(doc.EnabledMask(0), 0x3Fu);
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

struct DeviceCase {
  const char* device;
  const char* address;
  const char* command;
  bool readOnly;
};

TEST_F(Document, DeviceSelectorFillsAndLocksTheHexFields) {
  Choose(kTm1, "Enabled");
  const DeviceCase cases[] = {
      {"Varn Temperature Sensor", "0x20", "0x00", true},
      {"Other Pell Bus Device (custom)", "0x20", "0x00", false},
      {"CPU 1 Temperature Sensor", "0x20", "0x02", true},
  };
  for (const DeviceCase& c : cases) {
    SCOPED_TRACE(c.device);
    Choose(kTm1Device, c.device);
    EXPECT_EQ(doc.ValueOf(kTm1Address), c.address);
    EXPECT_EQ(doc.ValueOf(kTm1Command), c.command);
    EXPECT_EQ(Row(kTm1Address).ReadOnly(), c.readOnly);
    EXPECT_EQ(Row(kTm1Command).ReadOnly(), c.readOnly);
  }
  // A suggested address stays open; the command part is fixed.
  Choose(kTm1Device, "Bexmoor, Internal Sensor");
  EXPECT_EQ(doc.ValueOf(kTm1Address), "0x4C");
  EXPECT_EQ(doc.ValueOf(kTm1Command), "0x00");
  EXPECT_FALSE(Row(kTm1Address).ReadOnly());
  EXPECT_TRUE(Row(kTm1Command).ReadOnly());
}

TEST_F(Document, TypedHexFieldsSelectTheirDevice) {
  Choose(kTm1, "Enabled");
  Choose(kTm1Device, "Other Pell Bus Device (custom)");
  Type(kTm1Address, "0x4c");
  Type(kTm1Command, "0x01");
  EXPECT_EQ(Row(kTm1Device).SelectedText(), "Bexmoor, External (Diode) Sensor");
  Type(kTm1Command, "0x7");
  EXPECT_EQ(Row(kTm1Device).SelectedText(), "Other Pell Bus Device (custom)");
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

TEST_F(Document, EnablingAnInstanceCountsItAndOffersItToReferences) {
  Choose(kTm1, "Enabled");
  Choose(1100, "Enabled");
  EXPECT_EQ(Row(100).Label(), "Temperature Monitors (2/12)");
  Choose(kTm3, "Enabled");
  EXPECT_EQ(Row(100).Label(), "Temperature Monitors (3/12)");
  EXPECT_EQ(Row(kTm3).LabelBackground(), colours::kEnabled);
  EXPECT_FALSE(Row(1201).ReadOnly());
  const std::vector<std::string> offered = {"", "Temperature Monitor  1", "Temperature Monitor  2",
                                            "Temperature Monitor  3"};
  EXPECT_EQ(Entries(kTr1Monitor), offered);
  EXPECT_EQ(Entries(8102), offered);  // every response unit
  // Sorted, as the reference box is.
  EXPECT_EQ(Entries(7011),
            (std::vector<std::string>{"", "Not involved in processor cooling",
                                      "Temperature Monitor  1", "Temperature Monitor  2",
                                      "Temperature Monitor  3"}));
}

TEST_F(Document, DisablingANamedInstanceFlagsTheReference) {
  Choose(kTm3, "Enabled");
  Choose(kTr1, "Enabled");
  Choose(kTr1Monitor, "Temperature Monitor  3");
  Choose(kTm3, "Disabled");
  EXPECT_EQ(doc.ValueOf(kTr1Monitor), "3");
  EXPECT_EQ(Row(kTr1Monitor).SelectedText(), "Bad Data (3)");
  EXPECT_EQ(doc.CollectErrorReport(),
            "Temperature Response Units 1\xC2\xBBPrimary Temperature Monitor: "
            "Selected device is disabled or does not exist. \r\n");
  // Back on, the reference names it again.
  Choose(kTm3, "Enabled");
  EXPECT_EQ(Row(kTr1Monitor).SelectedText(), "Temperature Monitor  3");
  EXPECT_EQ(Row(kTr1Monitor).FindItem("Bad Data (3)"), -1);
  EXPECT_FALSE(Has(kTr1Monitor, state::kBadValue));
}

TEST_F(Document, FanSlotsMustBeFilledInOrder) {
  Choose(3000, "Enabled");
  Choose(3100, "Enabled");
  Choose(kFc1, "Enabled");
  // Slot 2 set while slot 1 is not: marked, and the mark survives the check.
  Choose(kFc1Slot2, "Fan Monitor  1");
  EXPECT_TRUE(Has(kFc1Slot2, state::kBadValue));
  doc.CollectErrorReport();
  EXPECT_TRUE(Has(kFc1Slot2, state::kBadValue));
  EXPECT_EQ(Row(kFc1Slot2).LabelBackground(), colours::kError);
  // Slot 3 after an unset slot 1 is marked even though slot 2 is set.
  Choose(kFc1Slot3, "Fan Monitor  2");
  EXPECT_TRUE(Has(kFc1Slot3, state::kBadValue));
  Choose(kFc1Slot1, "Fan Monitor  2");
  EXPECT_FALSE(Has(kFc1Slot2, state::kBadValue));
  EXPECT_FALSE(Has(kFc1Slot3, state::kBadValue));
  EXPECT_EQ(Row(kFc1Slot2).LabelBackground(), colours::kPlain);
}

TEST_F(Document, FanFieldsFollowTheirSlot) {
  Choose(3000, "Enabled");
  Choose(kFc1, "Enabled");
  Choose(kFc1Slot1, "Fan Monitor  1");
  // Slot 2 unset: its fields are read-only and its True/False field is quiet.
  EXPECT_TRUE(Row(9014).ReadOnly());
  EXPECT_TRUE(Row(kFc1Fan2Measurement).ReadOnly());
  EXPECT_FALSE(Has(kFc1Fan2Measurement, state::kTrueFalse));
  EXPECT_EQ(Row(kFc1Fan2Measurement).ItemText(0), "");
  // Slot 1 set: its empty True/False field asks for an answer.
  EXPECT_FALSE(Row(9012).ReadOnly());
  EXPECT_EQ(Row(9012).ItemText(0), "Choose True or False...");
  EXPECT_EQ(Row(9012).SelectedText(), "Choose True or False...");
  EXPECT_TRUE(Has(9012, state::kTrueFalse));
  EXPECT_EQ(Row(9012).Message(), "Value must be True or False. ");
  Choose(9012, "True");
  EXPECT_FALSE(Has(9012, state::kTrueFalse));
}

TEST_F(Document, ThresholdHelpFollowsTheUsage) {
  Choose(kVm1, "Enabled");
  const std::string help = schema.Descriptor(kVm1Nominal)->help;
  Choose(kVm1Usage, "Processor 1 Vccp Voltage");
  EXPECT_EQ(Row(kVm1Nominal).Help(),
            help + " Specify this value relative to, or as an offset from Vccp voltage.");
  Choose(kVm1Usage, "+12 Volts");
  EXPECT_EQ(Row(kVm1Nominal).Help(), help + " Specify as an absolute value.");
  Choose(kTm1, "Enabled");
  Choose(1001, "Processor Core Temperature");
  EXPECT_EQ(Row(1013).Help(), schema.Descriptor(1013)->help +
                                  " Specify this value relative to, or as an offset from "
                                  "T-Control temperature.");
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

struct ReportCase {
  const char* name;
  ParameterId id;
  const char* value;
  const char* line;  // empty: no report line
};

TEST_F(Document, ReportLines) {
  Choose(kTm1, "Enabled");
  Choose(kTr1, "Enabled");
  Choose(kTm1Device, "Other Pell Bus Device (custom)");
  static const std::string longComment(300, 'c');
  const ReportCase cases[] = {
      {"hex too long and out of range", kTm1Address, "0x1FF",
       "Temperature Monitors 1\xC2\xBB" "Device Address: Value out of range (0, 255). "
       "Value length longer than 2. \r\n"},
      {"hex NONE", kTm1Address, "NONE", ""},
      {"hex not a number", kTm1Address, "0xZZ", "Temperature Monitors 1\xC2\xBB" "Device Address: Bad value. \r\n"},
      {"empty integer", 1009, "", ""},
      {"integer with decimals", 1012, "60.00", ""},
      {"integer out of range", 1009, "300", "Temperature Monitors 1\xC2\xBBNon-Critical Timeout: Value out of range (1, 255). \r\n"},
      {"integer not a number", 1009, "1a", "Temperature Monitors 1\xC2\xBBNon-Critical Timeout: Bad value. \r\n"},
      {"real in range", kTr1Gain, "0.3", ""},
      {"real below range", kTr1Reduction, "-0.2",
       "Temperature Response Units 1\xC2\xBB" "Ambient Duty Cycle Reduction: Value out of range (-3.00, -0.30). \r\n"},
      {"comments of any length", 1016, longComment.c_str(), ""},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.name);
    doc.ResetToDefaults();
    Choose(kTm1, "Enabled");
    Choose(kTr1, "Enabled");
    Choose(kTm1Device, "Other Pell Bus Device (custom)");
    doc.SetValue(c.id, c.value);
    EXPECT_EQ(doc.CollectErrorReport(), c.line);
    EXPECT_EQ(Row(c.id).LabelBackground(), *c.line ? colours::kError : colours::kPlain);
  }
}

TEST_F(Document, UsageSelectsTheRangeRow) {
  Choose(kTm1, "Enabled");
  const ParameterId timeout = 1009, nonCritical = 1013;
  EXPECT_EQ(doc.RowClass(timeout), 0x2);
  Choose(1001, "Processor Core Temperature");
  EXPECT_EQ(doc.RowClass(timeout), 0x10);
  EXPECT_EQ(doc.RowClass(nonCritical), 0x100);
  Type(timeout, "2");
  EXPECT_TRUE(Has(timeout, state::kOutOfRange));
  EXPECT_EQ(Row(timeout).Message(), "Value out of range (1, 1). ");
  Choose(1001, "Memory Temperature");
  EXPECT_EQ(doc.RowClass(nonCritical), 0x2);
  EXPECT_FALSE(Has(timeout, state::kOutOfRange));
}

TEST_F(Document, DisabledInstancesStayOutOfTheReport) {
  doc.SetValue(1009, "999");
  EXPECT_EQ(doc.CollectErrorReport(), "");
  // A switch that is neither TRUE nor FALSE is named, its instance stays off.
  doc.SetValue(1100, "YES");
  doc.SetValue(1109, "999");
  EXPECT_EQ(doc.CollectErrorReport(),
            "Temperature Monitors 2\xC2\xBBTemperature Monitor 2: Device is disabled due to bad value. \r\n");
}

TEST(ValidNumber, FollowsTheNumericFieldParse) {
  const struct {
    const char* text;
    int base;
    bool valid;
  } cases[] = {
      {"12", 10, true},    {"-3", 10, true},   {"60.00", 10, true}, {"1.5e3", 10, true},
      {"5f", 10, false},   {"5.0f", 10, true}, {"7u", 10, true},    {"abc", 10, false},
      {"", 10, false},     {"1a", 10, false},  {".", 10, false},    {"0x1FF", 16, true},
      {"0xZZ", 16, false}, {"0x", 16, false},  {"0x4c", 16, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(valuetext::IsValidNumber(c.text, c.base), c.valid) << c.text;
}

TEST_F(Document, UnknownListValueShowsAsBadDataAndIsWrittenBack) {
  const fs::path file = dir / "bad.ini";
  WriteFile(file, "[TemperatureMonitor1]\nEnabled=TRUE\nUsage=Foo\n");
  doc.ResetToDefaults();
  doc.Load(file.string());
  EXPECT_EQ(Row(1001).SelectedText(), "Bad Data (Foo)");
  EXPECT_EQ(doc.ValueOf(1001), "Foo");
  EXPECT_EQ(doc.CollectErrorReport(), "Temperature Monitors 1\xC2\xBBUsage: Bad value. \r\n");
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
  EXPECT_EQ(doc.CollectErrorReport(),
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

TEST(HexFromPlainInteger, LeavesWhatTheCompilerWouldNotReadAsANumber) {
  for (const char* text : {"", "09", "-1", "+5", " 5", "0x", "12a", "99999999999"})
    EXPECT_EQ(valuetext::HexFromPlainInteger(text), text) << text;
  EXPECT_EQ(valuetext::HexFromPlainInteger("4294967295"), "4294967295");
  EXPECT_EQ(valuetext::HexFromPlainInteger("2147483647"), "0x7FFFFFFF");
}

}  // namespace
}  // namespace zefr
