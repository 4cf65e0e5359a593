#include "common_rows.h"

namespace zefr::format {

namespace {

using namespace rows;
namespace f = temperature_response_field;
namespace at = payload::temperature_response;

// A number kept in a bit field of the 32-bit link word.
constexpr FieldRow Link(const char* key, payload::BitField bits, std::int32_t min, std::int32_t max) {
  return {.key = key, .store = Store::kBits32, .offset = at::kLink, .bits = bits, .min = min, .max = max};
}

// An entity number, stored less one.
constexpr FieldRow Reference(const char* key, payload::BitField bits, payload::Kind kind, int count) {
  FieldRow row = Link(key, bits, 1, count);
  row.bias = -1;
  row.references = kind;
  return row;
}

constexpr FieldRow Temperature(const char* key, std::size_t offset) {
  return WithBounds(Decimal(key, offset, 2, kAnyTemperature.min, kAnyTemperature.max), BoundsRule::kResponseTemperature);
}

// The ambient block is read only when an ambient monitor is named.
constexpr FieldRow Ambient(FieldRow row) {
  row.gate = f::kAmbientTemperatureMonitor;
  return row;
}

constexpr FieldRow kFields[] = {
    Enabled(),
    Usage(16),
    Reference("TemperatureMonitor", at::kTemperatureMonitor, payload::Kind::kTemperatureMonitor, 12),
    Link("SmoothingWindow", at::kSmoothingWindow, 1, 10),
    Temperature("TemperatureLimit", at::kTemperatureLimit),
    Decimal("ProportionalGain", at::kProportionalGain, 2, 25, 300),
    Decimal("IntegralGain", at::kIntegralGain, 2, 150, 1500),
    Decimal("DerivativeGain", at::kDerivativeGain, 2, 5000, 120000),
    Link("IntegralTimeWindow", at::kIntegralTimeWindow, 5, 20),
    Link("DerivativeTimeWindow", at::kDerivativeTimeWindow, 5, 30),
    Temperature("AllOnTemperature", at::kAllOnTemperature),
    [] {
      FieldRow row = Reference("AmbientTemperatureMonitor", at::kAmbientTemperatureMonitor,
                                payload::Kind::kTemperatureMonitor, 12);
      row.noneAllowed = true;
      row.noneStored = payload::kNoReference;
      return row;
    }(),
    Ambient(Decimal("AmbientDutyCycleMin", at::kAmbientDutyCycleMin, 2, 500, 10000)),
    Ambient(Decimal("AmbientTempMin", at::kAmbientTempMin, 2, 1500, 3000)),
    Ambient(Decimal("AmbientTempRange", at::kAmbientTempRange, 2, 500, 2000)),
    Ambient(Decimal("AmbientDutyCycleReduction", at::kAmbientDutyCycleReduction, 2, -300, -30)),
    Ambient(Reference("PrimaryFanController", at::kPrimaryFanController, payload::Kind::kFanController, 8)),
};
static_assert(std::size(kFields) == f::kCount);

}  // namespace

const KindTable kTemperatureResponseTable{payload::kTemperatureResponses, kFields};

}  // namespace zefr::format
