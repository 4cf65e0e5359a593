#include "parameter_schema.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

namespace zefr {
namespace {

const ParameterSchema& Schema() {
  static const ParameterSchema schema;
  return schema;
}

bool OnlyCommas(const std::string& text) {
  return text.find_first_not_of(',') == std::string::npos;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == ',')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

// Holds over every id of the display order.
TEST(ParameterSchemaInvariants, EveryIdInDisplayOrder) {
  const ParameterSchema& s = Schema();
  const auto& order = s.DisplayOrder();
  ASSERT_EQ(order.size(), 1009u);
  EXPECT_EQ(std::set<ParameterId>(order.begin(), order.end()).size(), order.size());

  std::vector<std::set<std::string>> keysOfInstance(ParameterSchema::kInstanceCount);
  int headings = 0;
  for (ParameterId id : order) {
    SCOPED_TRACE(id);
    const ParameterDescriptor* d = s.Descriptor(id);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->id, id);
    ASSERT_NE(TypeName(d->attributes), nullptr) << std::hex << d->attributes;
    const EntityKind* kind = s.Kind(d->kind);
    ASSERT_NE(kind, nullptr);

    if (d->Type() == attr::kHeading) {
      ++headings;
      EXPECT_EQ(id, kind->headingId);
      EXPECT_EQ(d->parent, kNoParameter);
      EXPECT_TRUE(d->key.empty());
      continue;
    }

    // Identifier scheme.
    EXPECT_LT(d->index, kind->parametersPerInstance);
    EXPECT_GE(d->instanceNumber, 1);
    EXPECT_LE(d->instanceNumber, kind->instanceCount);
    EXPECT_EQ(id, kind->firstParameterId + 100 * (d->instanceNumber - 1) + d->index);

    // Parents.
    const ParameterDescriptor* parent = s.Descriptor(d->parent);
    ASSERT_NE(parent, nullptr);
    if (d->index == 0) {
      EXPECT_EQ(d->parent, kind->headingId);
      EXPECT_TRUE(d->Has(attr::kInstanceSwitch));
    } else {
      EXPECT_EQ(d->parent, id - d->index);
      EXPECT_TRUE(parent->Has(attr::kInstanceSwitch));
    }

    // Keys: unique within the instance and found again by the reverse map.
    const auto instance = s.InstanceIndexOf(id);
    ASSERT_TRUE(instance);
    EXPECT_EQ(d->Has(attr::kIniKey), !d->key.empty());
    if (!d->key.empty()) {
      EXPECT_TRUE(keysOfInstance[*instance].insert(d->key).second) << d->key;
      EXPECT_EQ(s.ParameterOfKey(*instance, d->key), id);
      EXPECT_EQ(s.KeyOf(*instance, id), d->key);
    }

    // Dependents resolve to existing ids.
    for (ParameterId dependent : s.ResolvedDependents(id))
      EXPECT_NE(s.Descriptor(dependent), nullptr) << dependent;
    if (d->Has(attr::kSelector | attr::kDerived | attr::kFanSlot | attr::kReferenced)) {
      EXPECT_FALSE(d->dependents.empty());
    }

    // Options: blank first (the instance switch excepted), reverse maps
    // complete, class words exactly on `Usage`.
    if (IsListType(d->attributes)) {
      ASSERT_FALSE(d->options.empty());
      if (!d->Has(attr::kInstanceSwitch)) {
        EXPECT_EQ(d->options[0].display, "");
        EXPECT_TRUE(OnlyCommas(d->options[0].stored)) << d->options[0].stored;
      }
    }
    for (int i = 0; i < d->OptionCount(); ++i) {
      const ParameterOption& o = d->options[i];
      EXPECT_EQ(s.OptionOfStored(id, o.stored), i) << o.stored;
      EXPECT_EQ(s.OptionOfDisplay(id, o.display), i) << o.display;
      if (d->Has(attr::kUsage)) {
        ASSERT_TRUE(s.OptionClass(id, i));
        EXPECT_NE(*s.OptionClass(id, i), 0u);
      } else {
        EXPECT_FALSE(s.OptionClass(id, i));
      }
    }
    if (d->Has(attr::kSelector)) {
      for (const ParameterOption& o : d->options)
        EXPECT_EQ(SplitCommas(o.stored).size(), d->dependents.size()) << o.stored;
    }

    // Controlling parameter is the instance's own `Usage`.
    if (d->controlling != kNoParameter) {
      const ParameterDescriptor* usage = s.Descriptor(d->controlling);
      ASSERT_NE(usage, nullptr);
      EXPECT_TRUE(usage->Has(attr::kUsage));
      EXPECT_EQ(usage->parent, d->parent);
    }

    // Ranges come in minimum/maximum pairs.
    for (const auto& [key, value] : d->ranges) {
      if (key % 2 != 0) continue;
      const auto range = s.Range(id, key);
      ASSERT_TRUE(range) << key;
      EXPECT_LE(range->first, range->second);
    }

    // Default texts.
    if (d->Has(attr::kInstanceSwitch)) {
      EXPECT_EQ(d->defaultText, "FALSE");
    } else if (d->Has(attr::kSelector)) {
      EXPECT_EQ(d->defaultText, d->options[0].stored);
    } else {
      EXPECT_EQ(d->defaultText, "");
    }
  }
  EXPECT_EQ(headings, 5);
}

TEST(ParameterSchema, KindsAndHeadings) {
  struct Row {
    int kind;
    const char* family;
    ParameterId heading;
    const char* headingName;
    int instances, first, perInstance;
  } rows[] = {
      {0, "TemperatureMonitor", 100, "Temperature Monitors (12/12)", 12, 1000, 17},
      {1, "FanMonitor", 101, "Fan Monitors (8/8)", 8, 3000, 11},
      {2, "VoltageMonitor", 102, "Voltage Monitors (8/8)", 8, 5000, 13},
      {3, "TemperatureResponse", 103, "Temperature Response Units (12/12)", 12, 7000, 18},
      {4, "FanController", 104, "Fan Controllers (8/8)", 8, 9000, 49},
  };
  const ParameterSchema& s = Schema();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.family);
    const EntityKind* k = s.Kind(r.kind);
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->family, r.family);
    EXPECT_EQ(k->headingId, r.heading);
    EXPECT_EQ(k->instanceCount, r.instances);
    EXPECT_EQ(k->firstParameterId, r.first);
    EXPECT_EQ(k->parametersPerInstance, r.perInstance);
    const ParameterDescriptor* h = s.Descriptor(r.heading);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->displayName, r.headingName);
    EXPECT_EQ(h->help, k->description);
    EXPECT_EQ(h->attributes, 0x20u);
  }
  EXPECT_EQ(s.Kind(5), nullptr);
  EXPECT_EQ(s.Kind(-1), nullptr);

  // Display order: heading, then each instance's parameters by index.
  const auto& order = s.DisplayOrder();
  EXPECT_EQ(order[0], 100);
  EXPECT_EQ(order[1], 1000);
  EXPECT_EQ(order[18], 1100);
  EXPECT_EQ(order[1 + 12 * 17], 101);
  EXPECT_EQ(order.back(), 9748);
}

TEST(ParameterSchema, IdsAndDisplayNames) {
  struct Row {
    ParameterId id;
    const char* name;  // nullptr: no such parameter
  } rows[] = {
      {1000, "Temperature Monitor 1"},
      {1100, "Temperature Monitor 2"},
      {2100, "Temperature Monitor 12"},
      {2116, "Comments"},
      {1017, nullptr},
      {2200, nullptr},
      {3011, nullptr},
      {5112, "Comments"},
      {7900, "Temperature Response Unit 10"},
      {9036, "Temperature Weighting Response (1/12)"},
      {9747, "Temperature Weighting Response (12/12)"},
      {9713, "Associated Fan Speed Monitor (2/4)"},
      {9748, "Comments"},
      {9749, nullptr},
      {99, nullptr},
      {105, nullptr},
      {0, nullptr},
      {-1, nullptr},
      {32767, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    const ParameterDescriptor* d = Schema().Descriptor(r.id);
    if (r.name == nullptr) {
      EXPECT_EQ(d, nullptr);
      EXPECT_FALSE(Schema().DefaultValue(r.id));
      EXPECT_FALSE(Schema().Range(r.id, 2));
      EXPECT_FALSE(Schema().OptionStored(r.id, 0));
      EXPECT_FALSE(Schema().OptionOfStored(r.id, ""));
      EXPECT_TRUE(Schema().ResolvedDependents(r.id).empty());
    } else {
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(d->displayName, r.name);
    }
  }
}

TEST(ParameterSchema, Sections) {
  const ParameterSchema& s = Schema();
  struct Row {
    int instance;
    const char* section;
  } rows[] = {
      {0, "TemperatureMonitor1"}, {11, "TemperatureMonitor12"}, {12, "FanMonitor1"},
      {20, "VoltageMonitor1"},    {28, "TemperatureResponse1"}, {39, "TemperatureResponse12"},
      {40, "FanController1"},     {47, "FanController8"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(s.InstanceSection(r.instance), r.section);
    EXPECT_EQ(s.InstanceOfSection(r.section), r.instance);
  }
  EXPECT_FALSE(s.InstanceSection(48));
  EXPECT_FALSE(s.InstanceSection(-1));
  for (const char* unknown : {"temperaturemonitor1", "TemperatureMonitor13", "TemperatureMonitor0",
                              "TemperatureMonitor01", "FanMonitor9", "FanController", "",
                              "TemperatureMonitor1 "})
    EXPECT_FALSE(s.InstanceOfSection(unknown)) << unknown;

  EXPECT_EQ(s.InstanceIndexOf(1000), 0);
  EXPECT_EQ(s.InstanceIndexOf(2116), 11);
  EXPECT_EQ(s.InstanceIndexOf(9748), 47);
  EXPECT_FALSE(s.InstanceIndexOf(100));
  const auto fan = s.InstanceOf(9713);
  ASSERT_TRUE(fan);
  EXPECT_EQ(fan->kind, 4);
  EXPECT_EQ(fan->number, 8);
  EXPECT_EQ(fan->index, 47);
  EXPECT_FALSE(s.InstanceOf(104));
  EXPECT_FALSE(s.InstanceOf(1017));
}

TEST(ParameterSchema, KeysPerInstance) {
  const ParameterSchema& s = Schema();
  EXPECT_EQ(s.ParameterOfKey(0, "Usage"), 1001);
  EXPECT_EQ(s.ParameterOfKey(1, "Usage"), 1101);
  EXPECT_EQ(s.ParameterOfKey(47, "TempResponse12Weighting"), 9747);
  EXPECT_EQ(s.ParameterOfKey(40, "Fan3MinimumRPM"), 9021);
  EXPECT_FALSE(s.ParameterOfKey(0, "usage"));
  EXPECT_FALSE(s.ParameterOfKey(0, "Device"));
  EXPECT_FALSE(s.ParameterOfKey(0, ""));
  EXPECT_FALSE(s.ParameterOfKey(48, "Usage"));
  EXPECT_EQ(s.KeyOf(0, 1003), "DeviceAddress");
  EXPECT_FALSE(s.KeyOf(0, 1103));  // another instance
  EXPECT_FALSE(s.KeyOf(0, 1002));  // the selector has no key
  EXPECT_FALSE(s.KeyOf(0, 100));
}

// The unit a help text names must be the one the value is entered in: voltages are
// entered in volts ("12.000"), temperatures in degrees, speeds in RPM.
TEST(ParameterSchema, HelpNamesTheEnteredUnit) {
  const ParameterSchema& s = Schema();
  const struct {
    int instance;
    const char* key;
    const char* unit;
  } cases[] = {
      {20, "VoltageNominal", "(V)"},           {20, "UnderVoltageNonCritical", "(V)"},
      {20, "UnderVoltageCritical", "(V)"},     {20, "UnderVoltageNonRecoverable", "(V)"},
      {20, "OverVoltageNonCritical", "(V)"},   {20, "OverVoltageCritical", "(V)"},
      {27, "OverVoltageNonRecoverable", "(V)"}, {0, "TemperatureCritical", "(°C)"},
      {0, "TimeoutCritical", "(sec)"},         {12, "FanSpeedNominal", "(RPMs)"},
      {28, "TemperatureLimit", "(°C)"},        {40, "DutyCycleMax", "(%)"},
      {40, "SpinUpTime", "(msec)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const auto id = s.ParameterOfKey(c.instance, c.key);
    ASSERT_TRUE(id);
    EXPECT_NE(s.Descriptor(*id)->help.find(c.unit), std::string::npos);
  }
  // No value of a configuration is entered in millivolts.
  for (ParameterId id : s.DisplayOrder())
    EXPECT_EQ(s.Descriptor(id)->help.find("mV"), std::string::npos) << id;
}

TEST(ParameterSchema, Options) {
  const ParameterSchema& s = Schema();
  struct Row {
    ParameterId id;
    int option;
    const char* display;
    const char* stored;
  } rows[] = {
      {1000, 0, "Disabled", "FALSE"},
      {1002, 1, "Bexmoor, Internal Sensor", "*0x4C,0x00"},
      {1002, 0, "", ","},
      {3002, 0, "", ",,"},
      {9002, 5, "Pell Bus Device (custom)",
       "__THIS_IS_A_BOGUS_OPTION__,__THIS_IS_A_BOGUS_OPTION__,__THIS_IS_A_BOGUS_OPTION__,"
       "__THIS_IS_A_BOGUS_OPTION__,__THIS_IS_A_BOGUS_OPTION__"},
      {9034, 7, "25 kHz/25000 Hz (4-wire)", "25000"},
      {9035, 5, "1,000 msec", "1000"},
      {7002, 1, "Temperature Monitor  1", "1"},
      {7002, 9, "Temperature Monitor  9", "9"},
      {7002, 10, "Temperature Monitor 10", "10"},
      {7011, 13, "Not involved in processor cooling", "NONE"},
      {7016, 8, "Fan Controller  8", "8"},
      {9008, 8, "Fan Monitor  8", "8"},
      {9013, 9, "None", "NONE"},
      {9723, 9, "None", "NONE"},
      {9029, 2, "OFF Controlled", "OFF"},
      {9112, 2, "True", "TRUE"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.id << " #" << r.option);
    EXPECT_EQ(s.OptionDisplay(r.id, r.option), r.display);
    EXPECT_EQ(s.OptionStored(r.id, r.option), r.stored);
  }

  struct Count {
    ParameterId id;
    int count;
  } counts[] = {{7002, 13}, {7011, 14}, {7016, 9}, {9008, 9}, {9013, 10}, {9018, 10}, {9023, 10},
                {9108, 9},  {1001, 18}, {3001, 15}, {5001, 15}, {1000, 2}};
  for (const Count& c : counts)
    EXPECT_EQ(s.Descriptor(c.id)->OptionCount(), c.count) << c.id;

  // Stored values match lower-cased, display texts exactly; the empty text
  // goes through the blank-option text.
  EXPECT_EQ(s.OptionOfStored(1002, "*0x4c,0x00"), 1);
  EXPECT_EQ(s.OptionOfStored(1000, "true"), 1);
  EXPECT_EQ(s.OptionOfDisplay(1001, ""), 0);
  EXPECT_EQ(s.OptionOfStored(1001, ""), 0);
  EXPECT_FALSE(s.OptionOfStored(1002, ""));  // the selector's blank stores ","
  EXPECT_EQ(s.OptionOfDisplay(1002, ""), 0);
  EXPECT_FALSE(s.OptionOfDisplay(1001, "processor core temperature"));
  EXPECT_FALSE(s.OptionOfStored(1001, "__THIS_IS_A_BLANK_OPTION__"));
  EXPECT_FALSE(s.OptionOfStored(7002, "NONE"));
  EXPECT_FALSE(s.OptionOfStored(7016, "none"));
  EXPECT_FALSE(s.OptionOfStored(9008, "NONE"));
  EXPECT_EQ(s.OptionOfStored(9013, "none"), 9);
  EXPECT_FALSE(s.OptionStored(1000, 2));
  EXPECT_FALSE(s.OptionStored(1000, -1));

  EXPECT_EQ(s.OptionClass(1001, 0), 0x2u);
  EXPECT_EQ(s.OptionClass(1001, 2), 0x110u);
  EXPECT_EQ(s.OptionClass(9001, 12), 0x840u);
  EXPECT_FALSE(s.OptionClass(1001, 18));
  EXPECT_FALSE(s.OptionClass(1002, 1));
}

TEST(ParameterSchema, RangesAndRowKeys) {
  const ParameterSchema& s = Schema();
  struct Row {
    ParameterId id;
    const char* usage;
    FormFactor form;
    std::uint16_t row;
    float minimum, maximum;
  } rows[] = {
      {1009, "1", FormFactor::Custom, 0x10, 1, 1},           // processor core
      {1009, "15", FormFactor::Custom, 0x40, 1, 255},        // hard drive
      {1009, "3", FormFactor::ATX, 0x20, 1, 10},             // Varn
      {1010, "2", FormFactor::BTX, 0x10, 2, 2},
      {1011, "16", FormFactor::Custom, 0x40, 2, 255},
      {1009, "", FormFactor::Custom, 0x2, 1, 255},
      {1009, "99", FormFactor::Custom, 0x2, 1, 255},         // matches no option
      {1013, "1", FormFactor::Custom, 0x100, 6, 6},          // no row 0x10: weighting class
      {1012, "2", FormFactor::ATX, 0x100, 0, 0},
      {1015, "1", FormFactor::BTX, 0x100, 10, 10},
      {1013, "6", FormFactor::Custom, 0x2, -1000000, 1000000},
      {1113, "1", FormFactor::Custom, 0x100, 6, 6},          // instance 2, own usage
      {5005, "9", FormFactor::Custom, 0x2, -1000000, 1000000},
      {1003, "1", FormFactor::Custom, 0x2, 0, 255},          // not controlled
      {7005, "1", FormFactor::Custom, 0x2, 0.25f, 3},
      {7015, "", FormFactor::Custom, 0x2, -3, -0.3f},
      {9036, "1", FormFactor::Custom, 0x2, 0, 100},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.id << " usage " << r.usage);
    const std::uint16_t key = s.RowClass(r.id, r.usage, r.form);
    EXPECT_EQ(key, r.row);
    const auto range = s.Range(r.id, key);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, r.minimum);
    EXPECT_EQ(range->second, r.maximum);
  }
  EXPECT_EQ(s.Descriptor(1003)->ranges.size(), 2u);
  EXPECT_EQ(s.Descriptor(1003)->controlling, kNoParameter);
  EXPECT_EQ(s.Descriptor(1109)->controlling, 1101);
  EXPECT_FALSE(s.Range(1013, 0x10));
  EXPECT_FALSE(s.Range(1009, 0x3));  // a maximum row is no row key
  EXPECT_FALSE(s.Range(1016, 0x2));  // Comments
}

// The tables carry no form-factor rows; the rule is held on made-up tables.
TEST(ParameterSchema, RowOfClassWithFormFactorRows) {
  const std::map<std::uint16_t, float> rangeAndAtx = {
      {0x2, 0}, {0x3, 9}, {0x10, 1}, {0x11, 1}, {0x1010, 2}, {0x1011, 2}};
  const std::map<std::uint16_t, float> onlyBtxWeighting = {
      {0x2, 0}, {0x3, 9}, {0x2100, 5}, {0x2101, 5}};
  const std::map<std::uint16_t, float> atxRangePlainWeighting = {
      {0x2, 0}, {0x3, 9}, {0x100, 4}, {0x101, 4}, {0x1010, 3}, {0x1011, 3}};
  struct Row {
    const std::map<std::uint16_t, float>* ranges;
    std::uint32_t word;
    FormFactor form;
    std::uint16_t row;
  } rows[] = {
      {&rangeAndAtx, 0x110, FormFactor::ATX, 0x1010},
      {&rangeAndAtx, 0x110, FormFactor::BTX, 0x10},
      {&rangeAndAtx, 0x110, FormFactor::Custom, 0x10},
      {&rangeAndAtx, 0x820, FormFactor::ATX, 0x2},
      {&onlyBtxWeighting, 0x110, FormFactor::BTX, 0x2100},
      {&onlyBtxWeighting, 0x110, FormFactor::ATX, 0x2},
      {&onlyBtxWeighting, 0x110, FormFactor::Custom, 0x2},
      // A form-factor row of the range class wins over the weighting class
      // only under its own form factor.
      {&atxRangePlainWeighting, 0x110, FormFactor::ATX, 0x1010},
      {&atxRangePlainWeighting, 0x110, FormFactor::BTX, 0x100},
      {&atxRangePlainWeighting, 0x110, FormFactor::Custom, 0x100},
      {&rangeAndAtx, 0x2, FormFactor::ATX, 0x2},
  };
  for (const Row& r : rows)
    EXPECT_EQ(ParameterSchema::RowOfClass(*r.ranges, r.word, r.form), r.row)
        << std::hex << r.word << " form " << static_cast<int>(r.form);
}

// The one-shot range read from the tables must give what the built schema
// gives, for every numeric key of every instance under every Usage value.
TEST(ParameterSchema, RangeOfKeyAgreesWithTheBuiltSchema) {
  const ParameterSchema& schema = Schema();
  int compared = 0;
  int ranged = 0;
  for (int instance = 0; instance < ParameterSchema::kInstanceCount; ++instance) {
    const std::string section = *schema.InstanceSection(instance);
    // Every stored Usage text of the kind, another case, a blank and junk.
    std::vector<std::string> usages = {"", "junk", "NONE"};
    if (const auto usageId = schema.ParameterOfKey(instance, "Usage")) {
      for (int o = 0; o < schema.Descriptor(*usageId)->OptionCount(); ++o) {
        const std::string stored = *schema.OptionStored(*usageId, o);
        usages.push_back(stored);
        usages.push_back(LowerKey(stored));
      }
    }
    for (ParameterId id : schema.DisplayOrder()) {
      if (schema.InstanceIndexOf(id) != instance) continue;
      const ParameterDescriptor& d = *schema.Descriptor(id);
      if (!d.Has(attr::kIniKey) || d.key.empty()) continue;
      const bool numeric = d.Type() == attr::kInteger || d.Type() == attr::kReal;
      for (const std::string& usage : usages) {
        for (FormFactor form : {FormFactor::ATX, FormFactor::BTX, FormFactor::Custom}) {
          const auto expected = numeric ? schema.Range(id, schema.RowClass(id, usage, form)) : std::nullopt;
          const auto got = ParameterSchema::RangeOfKey(section, d.key, usage, form);
          ++compared;
          ASSERT_EQ(got.has_value(), expected.has_value()) << section << " " << d.key << " " << usage;
          if (!got) continue;
          ++ranged;
          EXPECT_EQ(got->type, d.Type()) << section << " " << d.key;
          EXPECT_EQ(got->minimum, expected->first) << section << " " << d.key << " " << usage;
          EXPECT_EQ(got->maximum, expected->second) << section << " " << d.key << " " << usage;
          EXPECT_EQ(got->displayName, d.displayName) << section << " " << d.key;
        }
      }
    }
  }
  EXPECT_GT(ranged, 1000);
  EXPECT_GT(compared, ranged);
  // Only the exact section and key names of the file's instances.
  ASSERT_TRUE(ParameterSchema::RangeOfKey("TemperatureMonitor12", "TemperatureNominal", "", FormFactor::Custom));
  for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{
           {"TemperatureMonitor0", "TemperatureNominal"}, {"TemperatureMonitor13", "TemperatureNominal"},
           {"TemperatureMonitor01", "TemperatureNominal"}, {"temperaturemonitor1", "TemperatureNominal"},
           {"TemperatureMonitor1", "temperaturenominal"}, {"TemperatureMonitor1", ""},
           {"FanMonitor1", "TemperatureNominal"}, {"Ambient", "TemperatureNominal"}, {"", ""}})
    EXPECT_FALSE(ParameterSchema::RangeOfKey(section, key, "", FormFactor::Custom)) << section << " " << key;
}

TEST(ParameterSchema, CopiedInstances) {
  const ParameterSchema& s = Schema();
  // Dependents are not shifted: offsets stay offsets, absolute ids stay.
  EXPECT_EQ(s.Descriptor(1102)->dependents, s.Descriptor(1002)->dependents);
  EXPECT_EQ(s.ResolvedDependents(1102), (std::vector<ParameterId>{1103, 1104}));
  EXPECT_EQ(s.Descriptor(1100)->dependents, s.Descriptor(1000)->dependents);
  EXPECT_EQ(s.ResolvedDependents(9713),
            (std::vector<ParameterId>{9714, 9715, 9716, 9717, 9718, 9723, 9708}));
  EXPECT_EQ(s.ResolvedDependents(9103), (std::vector<ParameterId>{9102}));
  // Weighting links exist on Fan Controller 1 only.
  EXPECT_EQ(s.ResolvedDependents(9036), (std::vector<ParameterId>{7001}));
  EXPECT_EQ(s.ResolvedDependents(9047), (std::vector<ParameterId>{8101}));
  EXPECT_TRUE(s.Descriptor(9136)->dependents.empty());
  EXPECT_EQ(s.Descriptor(9136)->attributes, 0x2002002u);
  EXPECT_EQ(s.Descriptor(9136)->key, "TempResponse1Weighting");
  // Hex fields take no options when copied.
  EXPECT_EQ(s.Descriptor(3003)->OptionCount(), 1);
  EXPECT_EQ(s.Descriptor(3103)->OptionCount(), 0);
  // Messages and defaults are copied.
  EXPECT_EQ(s.Message(9113, kBadValueCode), "Selected device is disabled or does not exist.");
  EXPECT_EQ(s.Message(9108, kBadValueCode), "Selected device is disabled or does not exist.");
  EXPECT_EQ(s.Message(1100, kBadValueCode), "Device is disabled due to bad value.");
  EXPECT_FALSE(s.Message(7111, kBadValueCode));
  EXPECT_FALSE(s.Message(1101, kBadValueCode));
  // A message entry that exists is never empty: a red row always says why.
  for (ParameterId id : s.DisplayOrder())
    if (const auto m = s.Message(id, kBadValueCode)) {
      EXPECT_FALSE(m->empty()) << id;
    }
  EXPECT_EQ(s.DefaultValue(9702), ",,,,");
  EXPECT_EQ(s.DefaultValue(3702), ",,");
  EXPECT_EQ(s.DefaultValue(8100), "FALSE");
  EXPECT_EQ(s.DefaultValue(8101), "");

  // Names and help are those of instance 1, the switch excepted.
  for (int k = 0; k < ParameterSchema::kKindCount; ++k) {
    const EntityKind& kind = *s.Kind(k);
    for (int n = 2; n <= kind.instanceCount; ++n) {
      for (int i = 0; i < kind.parametersPerInstance; ++i) {
        const ParameterDescriptor& one = *s.Descriptor(kind.firstParameterId + i);
        const ParameterDescriptor& d =
            *s.Descriptor(static_cast<ParameterId>(kind.firstParameterId + 100 * (n - 1) + i));
        SCOPED_TRACE(d.id);
        EXPECT_EQ(d.key, one.key);
        EXPECT_EQ(d.help, one.help);
        EXPECT_EQ(d.attributes, one.attributes);
        EXPECT_EQ(d.maxLength, one.maxLength);
        if (i == 0) {
          EXPECT_EQ(d.displayName, kind.displayName + " " + std::to_string(n));
        } else {
          EXPECT_EQ(d.displayName, one.displayName);
        }
        if (IsListType(one.attributes)) {
          EXPECT_EQ(d.OptionCount(), one.OptionCount());
        }
      }
    }
  }
}

TEST(ParameterSchema, ExtraOption) {
  ParameterSchema s;
  const ParameterId relative = 1005;  // blank, True, False
  ASSERT_TRUE(s.SetExtraOption(relative, "Foo", "Bad Data (Foo)"));
  EXPECT_EQ(s.OptionOfStored(relative, "FOO"), 3);
  EXPECT_EQ(s.OptionOfDisplay(relative, "Bad Data (Foo)"), 3);
  EXPECT_EQ(s.OptionStored(relative, 3), "Foo");
  EXPECT_EQ(s.OptionDisplay(relative, 3), "Bad Data (Foo)");
  EXPECT_EQ(s.Descriptor(relative)->OptionCount(), 3);

  // A second bad value replaces the first one's entries.
  ASSERT_TRUE(s.SetExtraOption(relative, "Bar", "Bad Data (Bar)"));
  EXPECT_FALSE(s.OptionOfStored(relative, "foo"));
  EXPECT_FALSE(s.OptionOfDisplay(relative, "Bad Data (Foo)"));
  EXPECT_EQ(s.OptionOfStored(relative, "bar"), 3);

  ASSERT_TRUE(s.RemoveExtraOption(relative));
  EXPECT_FALSE(s.OptionOfStored(relative, "bar"));
  EXPECT_FALSE(s.OptionOfDisplay(relative, "Bad Data (Bar)"));
  EXPECT_FALSE(s.OptionStored(relative, 3));
  EXPECT_FALSE(s.RemoveExtraOption(relative));

  // The extra never takes over a real option's entry, not even on removal.
  ASSERT_TRUE(s.SetExtraOption(relative, "true", "True"));
  EXPECT_EQ(s.OptionOfStored(relative, "TRUE"), 1);
  EXPECT_EQ(s.OptionOfDisplay(relative, "True"), 1);
  ASSERT_TRUE(s.RemoveExtraOption(relative));
  EXPECT_EQ(s.OptionOfStored(relative, "TRUE"), 1);
  EXPECT_EQ(s.OptionOfDisplay(relative, "True"), 1);

  // A bad `Usage` value has no class word, so its rows fall back to 0x2.
  ASSERT_TRUE(s.SetExtraOption(1001, "99", "Bad Data (99)"));
  EXPECT_EQ(s.OptionOfStored(1001, "99"), 18);
  EXPECT_FALSE(s.OptionClass(1001, 18));
  EXPECT_EQ(s.RowClass(1009, "99", FormFactor::Custom), 0x2);

  EXPECT_FALSE(s.SetExtraOption(1003, "x", "Bad Data (x)"));  // hex byte
  EXPECT_FALSE(s.SetExtraOption(1017, "x", "Bad Data (x)"));
  EXPECT_EQ(s.ExtraOption(relative), nullptr);
  EXPECT_NE(s.ExtraOption(1001), nullptr);
}

TEST(ParameterSchema, OptionDisplayChange) {
  ParameterSchema s;
  const ParameterId measurement = 9012;
  ASSERT_TRUE(s.SetOptionDisplay(measurement, 0, "Choose True or False..."));
  EXPECT_EQ(s.OptionOfDisplay(measurement, "Choose True or False..."), 0);
  EXPECT_FALSE(s.OptionOfDisplay(measurement, ""));
  EXPECT_EQ(s.OptionOfStored(measurement, ""), 0);
  ASSERT_TRUE(s.SetOptionDisplay(measurement, 0, ""));
  EXPECT_EQ(s.OptionOfDisplay(measurement, ""), 0);
  EXPECT_FALSE(s.OptionOfDisplay(measurement, "Choose True or False..."));
  // Taking another option's text does not steal its entry.
  ASSERT_TRUE(s.SetOptionDisplay(measurement, 0, "True"));
  EXPECT_EQ(s.OptionOfDisplay(measurement, "True"), 2);
  EXPECT_FALSE(s.SetOptionDisplay(measurement, 3, "x"));
}

}  // namespace
// The attribute word of every parameter, pinned: a checksum over the display
// order and how many parameters carry each word.
TEST(ParameterSchemaAttributes, EveryWordAsBefore) {
  const ParameterSchema& s = Schema();
  std::uint64_t hash = 1469598103934665603ull;
  std::map<ParameterAttributes, int> perWord;
  for (ParameterId id : s.DisplayOrder()) {
    const ParameterDescriptor* d = s.Descriptor(id);
    ASSERT_NE(d, nullptr) << id;
    for (std::uint64_t part : {std::uint64_t(std::uint16_t(id)), std::uint64_t(d->attributes)}) {
      hash ^= part;
      hash *= 1099511628211ull;
    }
    ++perWord[d->attributes];
  }
  std::string words;
  for (const auto& [word, count] : perWord) {
    char line[32];
    std::snprintf(line, sizeof line, "%x:%d ", unsigned(word), count);
    words += line;
  }
  EXPECT_EQ(words, "20:5 2001:196 2002:84 2008:48 2080:44 6080:72 6100:36 10080:36 26004:104 42080:20 86100:32 142080:28 "
                   "206080:48 402001:72 402002:56 2002002:96 4002080:32 ");
  EXPECT_EQ(hash, 1292829434896534435ull);
}

}  // namespace zefr
