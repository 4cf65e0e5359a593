// Rows that several kinds share, made from the few things that differ.
#include <utility>

#include "parameter_schema.h"
#include "schema_tables.h"

namespace zefr::tables {

Parameter EnabledRow(const char* displayName, const char* help,
                     std::vector<std::int16_t> referencedBy) {
  const ParameterAttributes referenced = referencedBy.empty() ? 0 : attr::kReferenced;
  return {.key = "Enabled",
          .displayName = displayName,
          .attributes = referenced | attr::kInstanceSwitch | attr::kIniKey | attr::kOptionList,
          .options = EnabledOptions(),
          .dependents = std::move(referencedBy),
          .message8 = kDeviceDisabledMessage,
          .help = help};
}

Parameter UsageRow(std::vector<Option> usages, const char* help) {
  return {.key = "Usage",
          .displayName = "Usage",
          .attributes = attr::kUsage | attr::kCommentDisplay | attr::kIniKey | attr::kOptionList,
          .options = std::move(usages),
          .help = help};
}

Parameter DeviceRow(std::vector<Option> devices, std::vector<std::int16_t> fields,
                    const char* help) {
  return {.key = nullptr,
          .displayName = "Device",
          .attributes = attr::kSelector | attr::kOptionList,
          .options = std::move(devices),
          .dependents = std::move(fields),
          .help = help};
}

Parameter DeviceFieldRow(const char* key, const char* displayName, std::int16_t device,
                         const char* help) {
  return {.key = key,
          .displayName = displayName,
          .attributes = attr::kDerived | attr::kCommentDisplay | attr::kIniKey | attr::kHexByte,
          .maxLength = 2,
          .ranges = {{0x2, 0, 255}},
          .dependents = {device},
          .help = help};
}

Parameter NumberRow(const char* key, const char* displayName, ParameterAttributes type,
                    std::uint16_t maxLength, float minimum, float maximum, const char* help) {
  return {.key = key,
          .displayName = displayName,
          .attributes = attr::kIniKey | type,
          .maxLength = maxLength,
          .ranges = {{0x2, minimum, maximum}},
          .help = help};
}

Parameter ThresholdRow(const char* key, const char* displayName, ParameterAttributes type,
                       std::uint16_t maxLength, const char* help, std::vector<RangeRow> ranges) {
  ranges.insert(ranges.begin(), {0x2, kWideMin, kWideMax});
  return {.key = key,
          .displayName = displayName,
          .attributes = attr::kThreshold | attr::kIniKey | type,
          .maxLength = maxLength,
          .ranges = std::move(ranges),
          .controlledByUsage = true,
          .help = help};
}

Parameter OptionRow(const char* key, const char* displayName, std::vector<Option> options,
                    const char* help, ParameterAttributes more) {
  return {.key = key,
          .displayName = displayName,
          .attributes = more | attr::kIniKey | attr::kOptionList,
          .options = std::move(options),
          .help = help};
}

Parameter ReferenceRow(const char* key, const char* displayName, Reference reference,
                       const char* message8, const char* help) {
  return {.key = key,
          .displayName = displayName,
          .attributes = attr::kCommentDisplay | attr::kIniKey | attr::kEntityReference,
          .reference = reference,
          .message8 = message8,
          .help = help};
}

Parameter CommentsRow(const char* help) {
  return {.key = "Comments",
          .displayName = "Comments",
          .attributes = attr::kIniKey | attr::kText,
          .maxLength = 0,
          .help = help};
}

}  // namespace zefr::tables
