#include "tree_rules.h"

#include <gtest/gtest.h>

#include "document_fixture.h"

namespace zefr {
namespace {

using namespace testing_support;

using TreeRulesTest = Document;

struct DeviceCase {
  const char* device;
  const char* address;
  const char* command;
  bool readOnly;
};

TEST_F(TreeRulesTest, DeviceSelectorFillsAndLocksTheHexFields) {
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

TEST_F(TreeRulesTest, TypedHexFieldsSelectTheirDevice) {
  Choose(kTm1, "Enabled");
  Choose(kTm1Device, "Other Pell Bus Device (custom)");
  Type(kTm1Address, "0x4c");
  Type(kTm1Command, "0x01");
  EXPECT_EQ(Row(kTm1Device).SelectedText(), "Bexmoor, External (Diode) Sensor");
  Type(kTm1Command, "0x7");
  EXPECT_EQ(Row(kTm1Device).SelectedText(), "Other Pell Bus Device (custom)");
}

TEST_F(TreeRulesTest, EnablingAnInstanceCountsItAndOffersItToReferences) {
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

TEST_F(TreeRulesTest, DisablingANamedInstanceFlagsTheReference) {
  Choose(kTm3, "Enabled");
  Choose(kTr1, "Enabled");
  Choose(kTr1Monitor, "Temperature Monitor  3");
  Choose(kTm3, "Disabled");
  EXPECT_EQ(doc.ValueOf(kTr1Monitor), "3");
  EXPECT_EQ(Row(kTr1Monitor).SelectedText(), "Bad Data (3)");
  EXPECT_EQ(EditorReport(),
            "Temperature Response Units 1\xC2\xBBPrimary Temperature Monitor: "
            "Selected device is disabled or does not exist. \r\n");
  // Back on, the reference names it again.
  Choose(kTm3, "Enabled");
  EXPECT_EQ(Row(kTr1Monitor).SelectedText(), "Temperature Monitor  3");
  EXPECT_EQ(Row(kTr1Monitor).FindItem("Bad Data (3)"), -1);
  EXPECT_FALSE(Has(kTr1Monitor, state::kBadValue));
}

TEST_F(TreeRulesTest, FanSlotsMustBeFilledInOrder) {
  Choose(3000, "Enabled");
  Choose(3100, "Enabled");
  Choose(kFc1, "Enabled");
  // Slot 2 set while slot 1 is not: marked, and the mark survives the check.
  Choose(kFc1Slot2, "Fan Monitor  1");
  EXPECT_TRUE(Has(kFc1Slot2, state::kBadValue));
  EXPECT_NE(doc.Checks().CollectErrorReport().find("Fan Controllers 1\xC2\xBB" "Associated Fan Speed Monitor (2/4): "
                                                    "Set the fan slots before this one first. \r\n"),
            std::string::npos);
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

// Every red slot says why: a monitor switched off under slots 2 to 4 is named
// as under slot 1, not left with an empty reason.
TEST_F(TreeRulesTest, ASlotNamingADisabledMonitorSaysSo) {
  for (int m = 0; m < 4; ++m) Choose(static_cast<ParameterId>(3000 + 100 * m), "Enabled");
  Choose(kFc1, "Enabled");
  const ParameterId slots[] = {kFc1Slot1, kFc1Slot2, kFc1Slot3, 9023};
  for (int k = 0; k < 4; ++k) Choose(slots[k], "Fan Monitor  " + std::to_string(k + 1));
  ASSERT_EQ(EditorReport().find("Associated"), std::string::npos);
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k + 1);
    Choose(static_cast<ParameterId>(3000 + 100 * k), "Disabled");
    const std::string line = "Fan Controllers 1\xC2\xBB" "Associated Fan Speed Monitor (" +
                             std::to_string(k + 1) + "/4): Selected device is disabled or does not exist. \r\n";
    EXPECT_NE(EditorReport().find(line), std::string::npos) << doc.Checks().EditorReport();
    EXPECT_EQ(EditorMessage(slots[k]), "Selected device is disabled or does not exist. ");
    Choose(static_cast<ParameterId>(3000 + 100 * k), "Enabled");
  }
}

TEST_F(TreeRulesTest, FanFieldsFollowTheirSlot) {
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
  EXPECT_EQ(EditorMessage(9012), "Value must be True or False. ");
  Choose(9012, "True");
  EXPECT_FALSE(Has(9012, state::kTrueFalse));
}

TEST_F(TreeRulesTest, ThresholdHelpFollowsTheUsage) {
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

TEST_F(TreeRulesTest, EnabledMaskHasOneBitPerEnabledInstance) {
  const struct {
    ParameterId id;
    const char* choice;
    std::uint32_t mask;
    const char* heading;
  } steps[] = {
      {kTm1, "Enabled", 0x001, "Temperature Monitors (1/12)"},
      {kTm3, "Enabled", 0x005, "Temperature Monitors (2/12)"},
      {1000 + 11 * 100, "Enabled", 0x805, "Temperature Monitors (3/12)"},
      {kTm1, "Disabled", 0x804, "Temperature Monitors (2/12)"},
      {kTm1, "Disabled", 0x804, "Temperature Monitors (2/12)"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(std::to_string(s.id) + " " + s.choice);
    Choose(s.id, s.choice);
    EXPECT_EQ(doc.Rules().EnabledMask(0), s.mask);
    EXPECT_EQ(Row(100).Label(), s.heading);
  }
  // Other kinds keep theirs; there is no kind outside the schema.
  EXPECT_EQ(doc.Rules().EnabledMask(1), 0u);
  for (const int kind : {-1, ParameterSchema::kKindCount, 1000})
    EXPECT_EQ(doc.Rules().EnabledMask(kind), 0u) << kind;
}

}  // namespace
}  // namespace zefr
