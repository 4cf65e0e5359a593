// The tables against the payload they describe: each row stored inside its
// record without overlapping another, relations and gates pointing back, and
// a value stored reads back as it was read.
#include "field_table.h"

#include <gtest/gtest.h>

#include <set>

#include "field_codec.h"
#include "rules.h"

namespace zefr::format {
namespace {

// Bits of the record a row occupies, as (byte, mask) pairs.
std::vector<std::pair<std::size_t, std::uint8_t>> Footprint(const FieldRow& row) {
  std::size_t bytes = 0;
  std::uint32_t mask = 0;
  switch (row.store) {
    case Store::kHeader: return {};
    case Store::kByte: bytes = 1, mask = 0xFF; break;
    case Store::kWord: bytes = 2, mask = 0xFFFF; break;
    case Store::kLong: bytes = 4, mask = 0xFFFFFFFF; break;
    case Store::kBits8: bytes = 1, mask = row.bits.Mask(); break;
    case Store::kBits16: bytes = 2, mask = row.bits.Mask(); break;
    case Store::kBits32: bytes = 4, mask = row.bits.Mask(); break;
  }
  std::vector<std::pair<std::size_t, std::uint8_t>> out;
  for (std::size_t i = 0; i < bytes; ++i) out.emplace_back(row.offset + i, static_cast<std::uint8_t>(mask >> (8 * i)));
  return out;
}

class TableTest : public testing::TestWithParam<const KindTable*> {};

TEST_P(TableTest, RowsFitTheirRecordWithoutOverlap) {
  const KindTable& t = *GetParam();
  std::vector<std::uint8_t> used(t.layout.recordLength, 0);
  used[0] = used[1] = 0xFF;  // the header word
  for (const FieldRow& row : t.fields) {
    for (const auto& [at, mask] : Footprint(row)) {
      ASSERT_LT(at, t.layout.recordLength) << row.key;
      EXPECT_EQ(used[at] & mask, 0) << row.key << " overlaps at byte " << at;
      used[at] |= mask;
    }
  }
}

TEST_P(TableTest, RowsAreConsistent) {
  const KindTable& t = *GetParam();
  std::set<std::string> keys;
  ASSERT_GE(t.fields.size(), 2u);
  EXPECT_STREQ(t.fields[0].key, "Enabled");
  EXPECT_STREQ(t.fields[1].key, "Usage");
  for (std::size_t i = 0; i < t.fields.size(); ++i) {
    const FieldRow& row = t.fields[i];
    EXPECT_TRUE(keys.insert(row.key).second) << row.key << " twice";
    EXPECT_EQ(FieldIndex(t, row.key), static_cast<int>(i));
    EXPECT_LE(row.min, row.max) << row.key;
    if (row.compare != Compare::kNone) {
      EXPECT_GE(row.relatedTo, 0) << row.key;
      EXPECT_LT(row.relatedTo, static_cast<int>(i)) << row.key;
      EXPECT_NE(row.relationMessage, nullptr) << row.key;
    }
    if (row.gate != kNoField) {
      EXPECT_LT(row.gate, static_cast<int>(i)) << row.key;
      EXPECT_TRUE(t.fields[static_cast<std::size_t>(row.gate)].noneAllowed ||
                  t.fields[static_cast<std::size_t>(row.gate)].references != payload::Kind::kPayloadHeader)
          << row.key;
    }
    if (row.absent != Absent::kError) {
      EXPECT_NE(row.absentMessage, nullptr) << row.key;
    }
    if (row.reading == Reading::kList) {
      ASSERT_FALSE(row.list.empty()) << row.key;
      EXPECT_EQ(row.list.size(), 1u << row.bits.width) << row.key;
    }
    if (row.references != payload::Kind::kPayloadHeader) {
      EXPECT_EQ(row.bias, -1) << row.key;
      EXPECT_EQ(row.max, TableOf(row.references)->layout.count) << row.key;
    }
  }
}

TEST_P(TableTest, StoredValuesReadBack) {
  const KindTable& t = *GetParam();
  for (const FieldRow& row : t.fields) {
    if (row.store == Store::kHeader) continue;
    std::vector<std::int32_t> values = {row.min, row.max};
    if (row.reading == Reading::kList) values = {0, static_cast<std::int32_t>(row.list.size() - 1)};
    if (row.reading == Reading::kBoolean || row.reading == Reading::kMinOff) values = {0, 1};
    if (row.noneAllowed) values.push_back(-1);
    for (std::int32_t v : values) {
      PayloadImage image;
      image.bytes.fill(0xA5);
      StoreField(image, 8, row, v);
      // 255 where NONE stores 0xFF is no device either way.
      const bool none = row.noneAllowed && StoredValue(row, v) == row.noneStored;
      EXPECT_EQ(LoadField(image, 8, row), none ? -1 : v) << row.key << " " << v;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, TableTest, testing::ValuesIn(AllTables().begin(), AllTables().end()),
                         [](const auto& info) { return std::string(info.param->layout.section); });

TEST(Tables, CoverEveryKindInImageOrder) {
  std::size_t at = payload::header::kSize;
  for (const KindTable* t : AllTables()) {
    EXPECT_EQ(t->layout.offset, at) << t->layout.section;
    EXPECT_EQ(TableOf(t->layout.kind), t);
    at += t->layout.recordLength * static_cast<std::size_t>(t->layout.count);
  }
  EXPECT_EQ(at, payload::kImageSize);
}

// The rules that depend on other values, each with its inputs.
struct BoundsCase {
  const char* name;
  const KindTable* table;
  int field;
  std::vector<std::pair<int, std::int32_t>> known;  // field, value as read
  std::optional<Bounds> bounds;
};

void PrintTo(const BoundsCase& c, std::ostream* os) { *os << c.name; }

class RulesTest : public testing::TestWithParam<BoundsCase> {};

TEST_P(RulesTest, BoundsFollowTheRecord) {
  const BoundsCase& c = GetParam();
  std::array<std::optional<std::int32_t>, fan_controller_field::kCount> values{};
  for (const auto& [field, value] : c.known) values[static_cast<std::size_t>(field)] = value;
  const std::optional<Bounds> b = RowBounds(*c.table, c.field, values);
  ASSERT_EQ(b.has_value(), c.bounds.has_value());
  if (!b) return;
  EXPECT_EQ(b->min, c.bounds->min);
  EXPECT_EQ(b->max, c.bounds->max);
  EXPECT_EQ(b->noneAllowed, c.bounds->noneAllowed);
}

namespace tm = temperature_monitor_field;
namespace vm = voltage_monitor_field;
namespace tr = temperature_response_field;
const KindTable* TM = &kTemperatureMonitorTable;

INSTANTIATE_TEST_SUITE_P(
    Cases, RulesTest,
    testing::Values(
        BoundsCase{"NoDeviceAnyTimeout", TM, tm::kTimeoutCritical, {{tm::kUsage, 1}, {tm::kDeviceAddress, -1}},
                   Bounds{1, 255, false}},
        BoundsCase{"NoDeviceNeverAllowed", TM, tm::kTimeoutNonRecoverable, {{tm::kUsage, 3}, {tm::kDeviceAddress, 255}},
                   Bounds{2, 255, true}},
        BoundsCase{"ProcessorSensorTimeouts", TM, tm::kTimeoutNonRecoverable,
                   {{tm::kUsage, 2}, {tm::kDeviceAddress, 0x20}}, Bounds{4, 4, false}},
        BoundsCase{"OtherSensorTimeouts", TM, tm::kTimeoutNonCritical, {{tm::kUsage, 0}, {tm::kDeviceAddress, 0x4C}},
                   Bounds{1, 10, false}},
        BoundsCase{"UnknownDevice", TM, tm::kTimeoutCritical, {{tm::kUsage, 0}}, std::nullopt},
        BoundsCase{"ProcessorThresholds", TM, tm::kTemperatureCritical, {{tm::kUsage, 1}}, Bounds{0, 2000, false}},
        BoundsCase{"AbstractionNominalIsZero", TM, tm::kTemperatureNominal,
                   {{tm::kUsage, 1}, {tm::kDeviceAddress, 0x20}, {tm::kGetReadingCommand, 5}}, Bounds{0, 0, false}},
        BoundsCase{"AbstractionWithoutDevice", TM, tm::kTemperatureNominal, {{tm::kUsage, 2}, {tm::kDeviceAddress, -1}},
                   Bounds{0, 0, false}},
        BoundsCase{"AbstractionLostOnAnotherCommand", TM, tm::kTemperatureNominal,
                   {{tm::kUsage, 1}, {tm::kDeviceAddress, 0x20}, {tm::kGetReadingCommand, 6}}, Bounds{0, 2000, false}},
        BoundsCase{"AbstractionUnknownCommand", TM, tm::kTemperatureNominal, {{tm::kUsage, 1}, {tm::kDeviceAddress, 0x20}},
                   std::nullopt},
        BoundsCase{"NoAbstractionOffProcessor", TM, tm::kTemperatureNominal, {{tm::kUsage, 7}},
                   Bounds{-12800, 12800, false}},
        BoundsCase{"Vccp", &kVoltageMonitorTable, vm::kOverVoltageCritical, {{vm::kUsage, 9}}, Bounds{-800, 1500, false}},
        BoundsCase{"PsuInput", &kVoltageMonitorTable, vm::kUnderVoltageCritical, {{vm::kUsage, 13}},
                   Bounds{90000, 260000, false}},
        BoundsCase{"UnknownVoltageUsageHasNoBounds", &kVoltageMonitorTable, vm::kUnderVoltageCritical, {{vm::kUsage, 14}},
                   Bounds{INT32_MIN, INT32_MAX, false}},
        BoundsCase{"ProcessorResponse", &kTemperatureResponseTable, tr::kAllOnTemperature, {{tr::kUsage, 2}},
                   Bounds{-3000, 3000, false}},
        BoundsCase{"FixedRowsNeedNothing", &kTemperatureResponseTable, tr::kDerivativeGain, {},
                   Bounds{5000, 120000, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rules, GatesShutOnNone) {
  namespace fc = fan_controller_field;
  std::array<std::optional<std::int32_t>, fc::kCount> values{};
  const int rpm = fc::SlotField(2, fc::kSlotMinimumRpm);
  EXPECT_EQ(GateOpen(kFanControllerTable, rpm, values), std::nullopt);
  values[static_cast<std::size_t>(fc::SlotField(2, fc::kSlotMonitor))] = -1;
  EXPECT_EQ(GateOpen(kFanControllerTable, rpm, values), false);
  values[static_cast<std::size_t>(fc::SlotField(2, fc::kSlotMonitor))] = 8;
  EXPECT_EQ(GateOpen(kFanControllerTable, rpm, values), true);
  // A device address of 255 is no device, as NONE is.
  std::array<std::optional<std::int32_t>, tm::kCount> monitor{};
  monitor[tm::kDeviceAddress] = 255;
  EXPECT_EQ(GateOpen(kTemperatureMonitorTable, tm::kGetReadingCommand, monitor), false);
}

}  // namespace
}  // namespace zefr::format
