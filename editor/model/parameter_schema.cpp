#include "parameter_schema.h"

#include <cstdio>

#include "schema_tables.h"

namespace zefr {

namespace {

constexpr int kUsageIndex = 1;
constexpr ParameterId kHighestId = 9748;

struct KindSource {
  EntityKind kind;
  const std::vector<tables::Parameter>& (*table)();
};

std::string Format(const char* format, const std::string& text, int a, int b = 0) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, format, text.c_str(), a, b);
  return buffer;
}

// Options naming the instances of a kind: two blanks before 1 to 9 keep the
// numbers aligned in the list.
std::vector<ParameterOption> ReferenceOptions(const EntityKind& referred,
                                              const tables::Reference& reference) {
  std::vector<ParameterOption> options;
  options.push_back({"", "", 0});
  for (int n = 1; n <= referred.instanceCount; ++n) {
    const char* format = n < 10 ? "%s  %d" : "%s %d";
    options.push_back({std::to_string(n), Format(format, referred.displayName, n), 0});
  }
  if (reference.extraDisplay != nullptr)
    options.push_back({reference.extraStored, reference.extraDisplay, 0});
  return options;
}

bool IsNumericType(ParameterAttributes type) {
  return type == attr::kInteger || type == attr::kReal || type == attr::kHexByte;
}

// The kinds in kind-index order, with the table of their instance 1.
const KindSource* KindSources() {
  static const KindSource sources[ParameterSchema::kKindCount] = {
      {{12, 100, 1000, 17, "Temperature Monitor",
        "Monitor and analyze temperature readings from associated temperature sensors.",
        "TemperatureMonitor"},
       tables::TemperatureMonitorTable},
      {{8, 101, 3000, 11, "Fan Monitor",
        "Monitor and analyze fan speed readings from associated fan speed sensors.",
        "FanMonitor"},
       tables::FanMonitorTable},
      {{8, 102, 5000, 13, "Voltage Monitor",
        "Monitor and analyze voltage readings from associated voltage sensors.",
        "VoltageMonitor"},
       tables::VoltageMonitorTable},
      {{12, 103, 7000, 18, "Temperature Response Unit",
        "Determine fan response to change in temperature as reported by associated "
        "temperature sensors.",
        "TemperatureResponse"},
       tables::TemperatureResponseTable},
      {{8, 104, 9000, 49, "Fan Controller",
        "Determine duty cycle values to be delivered to hardware fan speed controllers.",
        "FanController"},
       tables::FanControllerTable},
  };
  return sources;
}

// Row key k holds the minimum, k + 1 the maximum; a later row wins.
std::map<std::uint16_t, float> RangeMap(const std::vector<tables::RangeRow>& rows) {
  std::map<std::uint16_t, float> ranges;
  for (const tables::RangeRow& row : rows) {
    ranges[row.key] = row.minimum;
    ranges[static_cast<std::uint16_t>(row.key + 1)] = row.maximum;
  }
  return ranges;
}

}  // namespace

std::string LowerKey(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

const char* TypeName(ParameterAttributes attributes) {
  switch (attributes & attr::kTypeMask) {
    case attr::kInteger: return "integer";
    case attr::kReal: return "real";
    case attr::kHexByte: return "hex byte";
    case attr::kText: return "text";
    case attr::kHeading: return "heading";
    case attr::kOptionList2: return "option list";
    case attr::kOptionList: return "option list";
    case attr::kEntityReference: return "entity reference";
    default: return nullptr;
  }
}

bool IsListType(ParameterAttributes attributes) {
  const ParameterAttributes type = attributes & attr::kTypeMask;
  return type == attr::kOptionList2 || type == attr::kOptionList ||
         type == attr::kEntityReference;
}

ParameterSchema::ParameterSchema() : slotOfId_(kHighestId + 1, -1) {
  const KindSource* sources = KindSources();
  for (int k = 0; k < kKindCount; ++k) kinds_.push_back(sources[k].kind);

  slots_.reserve(kParameterCount);
  displayOrder_.reserve(kParameterCount);
  keys_.resize(kInstanceCount);

  int instanceIndex = 0;
  for (int k = 0; k < kKindCount; ++k) {
    const EntityKind& kind = kinds_[k];
    firstInstanceOfKind_.push_back(instanceIndex);

    ParameterDescriptor heading;
    heading.id = static_cast<ParameterId>(kind.headingId);
    heading.displayName =
        Format("%ss (%d/%d)", kind.displayName, kind.instanceCount, kind.instanceCount);
    heading.help = kind.description;
    heading.attributes = attr::kHeading;
    heading.kind = k;
    Add(std::move(heading));

    const std::vector<tables::Parameter>& table = sources[k].table();
    const std::size_t firstOfInstance1 = slots_.size();
    for (int n = 1; n <= kind.instanceCount; ++n, ++instanceIndex) {
      const int base = kind.firstParameterId + 100 * (n - 1);
      const auto enabledId = static_cast<ParameterId>(base);
      for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        ParameterDescriptor d;
        d.id = static_cast<ParameterId>(base + i);
        d.parent = i == 0 ? static_cast<ParameterId>(kind.headingId) : enabledId;
        d.kind = k;
        d.instanceNumber = n;
        d.index = i;
        if (n == 1) {
          const tables::Parameter& p = table[i];
          d.attributes = p.attributes;
          if (p.key != nullptr && d.Has(attr::kIniKey)) d.key = p.key;
          d.displayName = p.displayName;
          d.help = p.help;
          if (p.reference.kind >= 0) {
            d.options = ReferenceOptions(kinds_[p.reference.kind], p.reference);
          } else {
            for (const tables::Option& o : p.options)
              d.options.push_back({o.stored, o.display, d.HasClassWords() ? o.classWord : 0});
          }
          d.maxLength = p.maxLength;
          d.ranges = RangeMap(p.ranges);
          if (d.Has(attr::kInstanceSwitch))
            d.defaultText = "FALSE";
          else if (d.Has(attr::kSelector) && !d.options.empty())
            d.defaultText = d.options.front().stored;
          if (p.controlledByUsage) d.controlling = static_cast<ParameterId>(base + kUsageIndex);
          d.dependents = p.dependents;
          if (p.message8 != nullptr) d.messages[kBadValueCode] = p.message8;
        } else {
          // Instances 2 .. N take from instance 1 only what their type
          // carries; dependents are kept as they are, not shifted.
          const ParameterDescriptor& src = slots_[firstOfInstance1 + i].descriptor;
          d.key = src.key;
          d.help = src.help;
          d.attributes = src.attributes;
          const ParameterAttributes type = src.Type();
          if (IsNumericType(type)) {
            d.ranges = src.ranges;
            d.defaultText = src.defaultText;
            d.maxLength = src.maxLength;
          } else if (type == attr::kText) {
            d.maxLength = src.maxLength;
          } else if (IsListType(type)) {
            d.defaultText = src.defaultText;
            d.options = src.options;
            if (!src.HasClassWords())
              for (ParameterOption& o : d.options) o.classWord = 0;
          }
          if (src.Has(attr::kSelector | attr::kDerived | attr::kFanSlot | attr::kReferenced))
            d.dependents = src.dependents;
          if (src.controlling != kNoParameter)
            d.controlling = static_cast<ParameterId>(base + kUsageIndex);
          d.messages = src.messages;
          d.displayName = i == 0 ? Format("%s %d", kind.displayName, n) : src.displayName;
        }
        if (d.Has(attr::kIniKey) && !d.key.empty()) keys_[instanceIndex].emplace(d.key, d.id);
        Add(std::move(d));
      }
    }
  }
  for (Slot& slot : slots_) BuildReverseMaps(slot);
}

void ParameterSchema::Add(ParameterDescriptor descriptor) {
  const ParameterId id = descriptor.id;
  slotOfId_[id] = static_cast<std::int16_t>(slots_.size());
  displayOrder_.push_back(id);
  slots_.push_back(Slot{std::move(descriptor), {}, {}, std::nullopt});
}

void ParameterSchema::BuildReverseMaps(Slot& slot) {
  const std::vector<ParameterOption>& options = slot.descriptor.options;
  for (int i = 0; i < static_cast<int>(options.size()); ++i) {
    const ParameterOption& o = options[i];
    slot.byStored.emplace(o.stored.empty() ? std::string(kBlankOption) : LowerKey(o.stored), i);
    slot.byDisplay.emplace(o.display.empty() ? std::string(kBlankOption) : o.display, i);
  }
}

ParameterSchema::Slot* ParameterSchema::Find(ParameterId id) {
  if (id < 0 || id > kHighestId || slotOfId_[id] < 0) return nullptr;
  return &slots_[slotOfId_[id]];
}

const ParameterSchema::Slot* ParameterSchema::Find(ParameterId id) const {
  return const_cast<ParameterSchema*>(this)->Find(id);
}

const EntityKind* ParameterSchema::Kind(int kindIndex) const {
  if (kindIndex < 0 || kindIndex >= kKindCount) return nullptr;
  return &kinds_[kindIndex];
}

std::optional<std::pair<int, int>> ParameterSchema::KindOfInstance(int instanceIndex) const {
  if (instanceIndex < 0 || instanceIndex >= kInstanceCount) return std::nullopt;
  for (int k = kKindCount - 1; k >= 0; --k)
    if (instanceIndex >= firstInstanceOfKind_[k])
      return std::make_pair(k, instanceIndex - firstInstanceOfKind_[k] + 1);
  return std::nullopt;
}

std::optional<std::string> ParameterSchema::InstanceSection(int instanceIndex) const {
  const auto where = KindOfInstance(instanceIndex);
  if (!where) return std::nullopt;
  return kinds_[where->first].family + std::to_string(where->second);
}

std::optional<int> ParameterSchema::InstanceOfSection(std::string_view section) const {
  for (int i = 0; i < kInstanceCount; ++i)
    if (InstanceSection(i) == section) return i;
  return std::nullopt;
}

std::optional<int> ParameterSchema::InstanceIndexOf(ParameterId id) const {
  const Slot* slot = Find(id);
  if (slot == nullptr || slot->descriptor.instanceNumber == 0) return std::nullopt;
  return firstInstanceOfKind_[slot->descriptor.kind] + slot->descriptor.instanceNumber - 1;
}

std::optional<InstanceRef> ParameterSchema::InstanceOf(ParameterId id) const {
  const auto index = InstanceIndexOf(id);
  if (!index) return std::nullopt;
  const ParameterDescriptor& d = Find(id)->descriptor;
  return InstanceRef{d.kind, d.instanceNumber, *index};
}

std::optional<ParameterId> ParameterSchema::ParameterOfKey(int instanceIndex,
                                                           std::string_view key) const {
  if (instanceIndex < 0 || instanceIndex >= kInstanceCount) return std::nullopt;
  const auto& keys = keys_[instanceIndex];
  const auto it = keys.find(key);
  if (it == keys.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> ParameterSchema::KeyOf(int instanceIndex, ParameterId id) const {
  const Slot* slot = Find(id);
  if (slot == nullptr || InstanceIndexOf(id) != instanceIndex ||
      !slot->descriptor.Has(attr::kIniKey) || slot->descriptor.key.empty())
    return std::nullopt;
  return slot->descriptor.key;
}

const ParameterDescriptor* ParameterSchema::Descriptor(ParameterId id) const {
  const Slot* slot = Find(id);
  return slot == nullptr ? nullptr : &slot->descriptor;
}

std::optional<int> ParameterSchema::OptionOfStored(ParameterId id, std::string_view text) const {
  const Slot* slot = Find(id);
  if (slot == nullptr) return std::nullopt;
  const auto it = slot->byStored.find(text.empty() ? std::string(kBlankOption) : LowerKey(text));
  if (it == slot->byStored.end()) return std::nullopt;
  return it->second;
}

std::optional<int> ParameterSchema::OptionOfDisplay(ParameterId id, std::string_view text) const {
  const Slot* slot = Find(id);
  if (slot == nullptr) return std::nullopt;
  const auto it = slot->byDisplay.find(text.empty() ? kBlankOption : text);
  if (it == slot->byDisplay.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> ParameterSchema::OptionStored(ParameterId id, int option) const {
  const Slot* slot = Find(id);
  if (slot == nullptr || option < 0) return std::nullopt;
  const auto& options = slot->descriptor.options;
  if (option < static_cast<int>(options.size())) return options[option].stored;
  if (option == static_cast<int>(options.size()) && slot->extra) return slot->extra->stored;
  return std::nullopt;
}

std::optional<std::string> ParameterSchema::OptionDisplay(ParameterId id, int option) const {
  const Slot* slot = Find(id);
  if (slot == nullptr || option < 0) return std::nullopt;
  const auto& options = slot->descriptor.options;
  if (option < static_cast<int>(options.size())) return options[option].display;
  if (option == static_cast<int>(options.size()) && slot->extra) return slot->extra->display;
  return std::nullopt;
}

std::optional<std::uint32_t> ParameterSchema::OptionClass(ParameterId id, int option) const {
  const Slot* slot = Find(id);
  if (slot == nullptr || !slot->descriptor.HasClassWords() || option < 0 ||
      option >= static_cast<int>(slot->descriptor.options.size()))
    return std::nullopt;
  return slot->descriptor.options[option].classWord;
}

std::optional<std::pair<float, float>> ParameterSchema::Range(ParameterId id,
                                                              std::uint16_t rowKey) const {
  const Slot* slot = Find(id);
  if (slot == nullptr) return std::nullopt;
  const auto& ranges = slot->descriptor.ranges;
  const auto minimum = ranges.find(rowKey);
  const auto maximum = ranges.find(static_cast<std::uint16_t>(rowKey + 1));
  if (minimum == ranges.end() || maximum == ranges.end()) return std::nullopt;
  return std::make_pair(minimum->second, maximum->second);
}

std::optional<std::string> ParameterSchema::DefaultValue(ParameterId id) const {
  const Slot* slot = Find(id);
  if (slot == nullptr) return std::nullopt;
  return slot->descriptor.defaultText;
}

std::optional<std::string> ParameterSchema::Message(ParameterId id, std::uint32_t code) const {
  const Slot* slot = Find(id);
  if (slot == nullptr) return std::nullopt;
  const auto it = slot->descriptor.messages.find(code);
  if (it == slot->descriptor.messages.end()) return std::nullopt;
  return it->second;
}

std::vector<ParameterId> ParameterSchema::ResolvedDependents(ParameterId id) const {
  std::vector<ParameterId> ids;
  const Slot* slot = Find(id);
  if (slot == nullptr) return ids;
  const ParameterDescriptor& d = slot->descriptor;
  const bool relative = d.Has(attr::kSelector | attr::kDerived | attr::kFanSlot);
  for (std::int16_t dependent : d.dependents)
    ids.push_back(relative ? static_cast<ParameterId>(id + dependent) : dependent);
  return ids;
}

std::uint16_t ParameterSchema::RowClass(ParameterId id, std::string_view usageValue,
                                      FormFactor formFactor) const {
  const ParameterDescriptor* d = Descriptor(id);
  if (d == nullptr || d->controlling == kNoParameter || usageValue.empty()) return rows::kPlain;
  const auto option = OptionOfStored(d->controlling, usageValue);
  if (!option) return rows::kPlain;
  const auto word = OptionClass(d->controlling, *option);
  if (!word) return rows::kPlain;

  return RowOfClass(d->ranges, *word, formFactor);
}

std::uint16_t ParameterSchema::RowOfClass(const std::map<std::uint16_t, float>& ranges,
                                          std::uint32_t classWord, FormFactor formFactor) {
  const std::uint16_t formBit = formFactor == FormFactor::ATX   ? rows::kAtxBit
                                : formFactor == FormFactor::BTX ? rows::kBtxBit
                                                                : 0;
  const auto holds = [&](std::uint32_t key) {
    return key != 0 && key <= 0xFFFF && ranges.count(static_cast<std::uint16_t>(key)) != 0;
  };
  std::uint32_t rowClass = classWord & rows::kRangeClassMask;
  if (!holds(rowClass) && !(formBit != 0 && holds(rowClass | formBit)))
    rowClass = classWord & rows::kWeightingClassMask;
  if (formBit != 0 && rowClass != 0 && holds(rowClass | formBit))
    return static_cast<std::uint16_t>(rowClass | formBit);
  if (holds(rowClass)) return static_cast<std::uint16_t>(rowClass);
  return rows::kPlain;
}

std::optional<KeyRange> ParameterSchema::RangeOfKey(std::string_view section, std::string_view key,
                                                    std::string_view usageValue,
                                                    FormFactor formFactor) {
  const KindSource* sources = KindSources();
  for (int k = 0; k < kKindCount; ++k) {
    const EntityKind& kind = sources[k].kind;
    bool named = false;
    for (int n = 1; n <= kind.instanceCount && !named; ++n)
      named = section == kind.family + std::to_string(n);
    if (!named) continue;
    // Every instance carries instance 1's type, ranges and names.
    const std::vector<tables::Parameter>& table = sources[k].table();
    for (const tables::Parameter& p : table) {
      if (p.key == nullptr || (p.attributes & attr::kIniKey) == 0 || *p.key == '\0' || key != p.key)
        continue;
      const ParameterAttributes type = p.attributes & attr::kTypeMask;
      if (type != attr::kInteger && type != attr::kReal) return std::nullopt;
      const std::map<std::uint16_t, float> ranges = RangeMap(p.ranges);
      std::uint16_t row = rows::kPlain;
      const tables::Parameter& usage = table[kUsageIndex];
      if (p.controlledByUsage && !usageValue.empty() && (usage.attributes & attr::kUsage) != 0) {
        const std::string lower = LowerKey(usageValue);
        for (const tables::Option& o : usage.options) {
          if (LowerKey(o.stored) != lower) continue;
          row = RowOfClass(ranges, o.classWord, formFactor);
          break;
        }
      }
      const auto minimum = ranges.find(row);
      const auto maximum = ranges.find(static_cast<std::uint16_t>(row + 1));
      if (minimum == ranges.end() || maximum == ranges.end()) return std::nullopt;
      return KeyRange{type, minimum->second, maximum->second, p.displayName};
    }
    return std::nullopt;
  }
  return std::nullopt;
}

bool ParameterSchema::SetExtraOption(ParameterId id, std::string_view stored,
                                     std::string_view display) {
  Slot* slot = Find(id);
  if (slot == nullptr || !IsListType(slot->descriptor.attributes)) return false;
  RemoveExtraOption(id);
  const int index = slot->descriptor.OptionCount();
  slot->extra = ParameterOption{std::string(stored), std::string(display), 0};
  // emplace: a text a real option already owns keeps pointing at that option.
  slot->byStored.emplace(stored.empty() ? std::string(kBlankOption) : LowerKey(stored), index);
  slot->byDisplay.emplace(display.empty() ? std::string(kBlankOption) : std::string(display),
                          index);
  return true;
}

bool ParameterSchema::RemoveExtraOption(ParameterId id) {
  Slot* slot = Find(id);
  if (slot == nullptr || !slot->extra) return false;
  const int index = slot->descriptor.OptionCount();
  const auto drop = [index](auto& map, const std::string& key) {
    const auto it = map.find(key);
    if (it != map.end() && it->second == index) map.erase(it);
  };
  const ParameterOption& extra = *slot->extra;
  drop(slot->byStored, extra.stored.empty() ? std::string(kBlankOption) : LowerKey(extra.stored));
  drop(slot->byDisplay, extra.display.empty() ? std::string(kBlankOption) : extra.display);
  slot->extra.reset();
  return true;
}

const ParameterOption* ParameterSchema::ExtraOption(ParameterId id) const {
  const Slot* slot = Find(id);
  if (slot == nullptr || !slot->extra) return nullptr;
  return &*slot->extra;
}

bool ParameterSchema::SetOptionDisplay(ParameterId id, int option, std::string_view display) {
  Slot* slot = Find(id);
  if (slot == nullptr || option < 0 || option >= slot->descriptor.OptionCount()) return false;
  ParameterOption& o = slot->descriptor.options[option];
  const std::string oldKey = o.display.empty() ? std::string(kBlankOption) : o.display;
  const auto it = slot->byDisplay.find(oldKey);
  if (it != slot->byDisplay.end() && it->second == option) slot->byDisplay.erase(it);
  o.display = display;
  slot->byDisplay.emplace(o.display.empty() ? std::string(kBlankOption) : o.display, option);
  return true;
}

}  // namespace zefr
