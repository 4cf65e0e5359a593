// The editor's description of every entity kind and every parameter: ids,
// INI keys, display names, help, types, options, ranges and links.
// Built once; only the option lists of a parameter may change afterwards
// (the document's extra bad-data option, the tree's True/False prompt).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zefr {

using ParameterId = std::int16_t;
using ParameterAttributes = std::uint32_t;

// No parent (headings) and no controlling `Usage`.
inline constexpr ParameterId kNoParameter = 0;

// Stands for the empty text in the reverse option maps.
inline constexpr std::string_view kBlankOption = "__THIS_IS_A_BLANK_OPTION__";
// Stored-value part of a selector option whose field is entered by hand.
inline constexpr std::string_view kBogusOption = "__THIS_IS_A_BOGUS_OPTION__";

// Order of the form-factor buttons.
enum class FormFactor : int { ATX = 0, BTX = 1, Custom = 2 };

namespace attr {
inline constexpr ParameterAttributes kTypeMask = 0x1FF;
inline constexpr ParameterAttributes kInteger = 0x001;
inline constexpr ParameterAttributes kReal = 0x002;
inline constexpr ParameterAttributes kHexByte = 0x004;
inline constexpr ParameterAttributes kText = 0x008;
inline constexpr ParameterAttributes kHeading = 0x020;
inline constexpr ParameterAttributes kOptionList2 = 0x040;
inline constexpr ParameterAttributes kOptionList = 0x080;
inline constexpr ParameterAttributes kEntityReference = 0x100;

inline constexpr ParameterAttributes kIniKey = 0x2000;
inline constexpr ParameterAttributes kCommentDisplay = 0x4000;
inline constexpr ParameterAttributes kSelector = 0x10000;
inline constexpr ParameterAttributes kDerived = 0x20000;
inline constexpr ParameterAttributes kInstanceSwitch = 0x40000;
inline constexpr ParameterAttributes kFanSlot = 0x80000;
inline constexpr ParameterAttributes kReferenced = 0x100000;
inline constexpr ParameterAttributes kUsage = 0x200000;
inline constexpr ParameterAttributes kThreshold = 0x400000;
inline constexpr ParameterAttributes kWeighting = 0x2000000;
inline constexpr ParameterAttributes kTrueFalse = 0x4000000;
}  // namespace attr

// Usage class words and range row keys.
namespace rows {
inline constexpr std::uint16_t kPlain = 0x2;
inline constexpr std::uint32_t kBlankClass = 0x2;
inline constexpr std::uint32_t kRangeClassMask = 0x70;
inline constexpr std::uint32_t kWeightingClassMask = 0xF00;
inline constexpr std::uint16_t kAtxBit = 0x1000;
inline constexpr std::uint16_t kBtxBit = 0x2000;
}  // namespace rows

// Error code whose text the message table may override.
inline constexpr std::uint32_t kBadValueCode = 8;

// Value type of an attribute word, or nothing for an unknown code.
const char* TypeName(ParameterAttributes attributes);
// True for option lists (both codes) and entity references.
bool IsListType(ParameterAttributes attributes);

struct EntityKind {
  std::uint16_t instanceCount = 0;
  std::uint16_t headingId = 0;
  std::uint16_t firstParameterId = 0;
  std::uint16_t parametersPerInstance = 0;
  std::string displayName;
  std::string description;
  std::string family;
};

// Where an instance parameter lives.
struct InstanceRef {
  int kind = 0;            // kind index 0 .. 4
  int number = 0;          // instance number within the kind, from 1
  int index = 0;           // instance index 0 .. 47
};

struct ParameterOption {
  std::string stored;   // written to the INI file
  std::string display;  // shown in the tree
  std::uint32_t classWord = 0;
};

struct ParameterDescriptor {
  ParameterId id = kNoParameter;
  ParameterId parent = kNoParameter;
  std::string key;  // empty without attr::kIniKey
  std::string displayName;
  std::string help;
  ParameterAttributes attributes = 0;
  // Option i of the list; the count is the size. The extra bad-data option
  // is held apart (see ParameterSchema::SetExtraOption).
  std::vector<ParameterOption> options;
  std::uint16_t maxLength = 0;
  // Row key k holds the minimum, k + 1 the maximum.
  std::map<std::uint16_t, float> ranges;
  std::string defaultText;
  ParameterId controlling = kNoParameter;
  // Offsets or absolute ids; ResolvedDependents says which.
  std::vector<std::int16_t> dependents;
  std::map<std::uint32_t, std::string> messages;

  // Where the parameter sits: kind 0 .. 4, instance number from 1 (0 for a
  // heading), index within the instance (0 for a heading).
  int kind = 0;
  int instanceNumber = 0;
  int index = 0;

  ParameterAttributes Type() const { return attributes & attr::kTypeMask; }
  bool Has(ParameterAttributes bits) const { return (attributes & bits) != 0; }
  std::uint16_t OptionCount() const { return static_cast<std::uint16_t>(options.size()); }
  bool HasClassWords() const { return Has(attr::kUsage); }
};

// The editor's range for an INI key of an instance section, as the schema
// holds it for the row the `Usage` value selects.
struct KeyRange {
  ParameterAttributes type = 0;  // attr::kInteger or attr::kReal
  float minimum = 0;
  float maximum = 0;
  std::string displayName;
};

class ParameterSchema {
 public:
  static constexpr int kKindCount = 5;
  static constexpr int kInstanceCount = 48;
  static constexpr int kParameterCount = 1009;

  // Builds every kind, heading and instance parameter.
  ParameterSchema();

  // Kind record by kind index 0 .. 4.
  const EntityKind* Kind(int kindIndex) const;
  // "TemperatureMonitor1" ... "FanController8" for instance index 0 .. 47.
  std::optional<std::string> InstanceSection(int instanceIndex) const;
  // Exact, case-sensitive.
  std::optional<int> InstanceOfSection(std::string_view section) const;
  // Kind index and instance number of an instance index.
  std::optional<std::pair<int, int>> KindOfInstance(int instanceIndex) const;
  // Instance index of a parameter, nothing for a heading or unknown id.
  std::optional<int> InstanceIndexOf(ParameterId id) const;
  std::optional<InstanceRef> InstanceOf(ParameterId id) const;

  // Exact, case-sensitive key of a parameter with attr::kIniKey.
  std::optional<ParameterId> ParameterOfKey(int instanceIndex, std::string_view key) const;
  std::optional<std::string> KeyOf(int instanceIndex, ParameterId id) const;

  const ParameterDescriptor* Descriptor(ParameterId id) const;
  const std::vector<ParameterId>& DisplayOrder() const { return displayOrder_; }

  // Lower-cased text against lower-cased stored values.
  std::optional<int> OptionOfStored(ParameterId id, std::string_view text) const;
  // Display text exactly.
  std::optional<int> OptionOfDisplay(ParameterId id, std::string_view text) const;
  // The extra option answers at index OptionCount().
  std::optional<std::string> OptionStored(ParameterId id, int option) const;
  std::optional<std::string> OptionDisplay(ParameterId id, int option) const;
  // Only on `Usage` parameters.
  std::optional<std::uint32_t> OptionClass(ParameterId id, int option) const;

  // (minimum, maximum) of the rows rowKey and rowKey + 1.
  std::optional<std::pair<float, float>> Range(ParameterId id, std::uint16_t rowKey) const;
  std::optional<std::string> DefaultValue(ParameterId id) const;
  // The text of the message table for an error code.
  std::optional<std::string> Message(ParameterId id, std::uint32_t code) const;

  // Dependents as absolute ids: offsets of selectors, derived fields and fan
  // slots are added to the parameter's own id.
  std::vector<ParameterId> ResolvedDependents(ParameterId id) const;

  // Range row key of a parameter given the stored value of its controlling
  // `Usage` (ignored without one) and the form factor. The value checks read
  // the `Usage` value from the tree and pass it here.
  std::uint16_t RowClass(ParameterId id, std::string_view usageValue, FormFactor formFactor) const;
  // The row a class word selects in a range table: the range class, else the
  // weighting class, each preferring its form-factor row; 0x2 when neither.
  static std::uint16_t RowOfClass(const std::map<std::uint16_t, float>& ranges,
                                  std::uint32_t classWord, FormFactor formFactor);

  // The range of an integer or real key of "TemperatureMonitor1" ...
  // "FanController8" (exact, case-sensitive), read from the kinds' tables
  // without building a schema: a one-shot check need not pay for 1009
  // descriptors. Nothing for other sections, keys and types.
  static std::optional<KeyRange> RangeOfKey(std::string_view section, std::string_view key,
                                            std::string_view usageValue, FormFactor formFactor);

  // The extra option at index OptionCount(): its texts enter the reverse maps
  // without displacing a real option's entry. Replaces an earlier extra.
  bool SetExtraOption(ParameterId id, std::string_view stored, std::string_view display);
  // Drops the extra option and only its own reverse-map entries.
  bool RemoveExtraOption(ParameterId id);
  const ParameterOption* ExtraOption(ParameterId id) const;
  // Changes the display text of a real option (the tree's True/False prompt).
  bool SetOptionDisplay(ParameterId id, int option, std::string_view display);

 private:
  struct Slot {
    ParameterDescriptor descriptor;
    std::map<std::string, int, std::less<>> byStored;   // lower-cased
    std::map<std::string, int, std::less<>> byDisplay;
    std::optional<ParameterOption> extra;
  };

  Slot* Find(ParameterId id);
  const Slot* Find(ParameterId id) const;
  void Add(ParameterDescriptor descriptor);
  void BuildReverseMaps(Slot& slot);

  std::vector<EntityKind> kinds_;
  std::vector<Slot> slots_;              // in display order
  std::vector<std::int16_t> slotOfId_;   // id -> slot position, -1 when none
  std::vector<ParameterId> displayOrder_;
  std::vector<std::map<std::string, ParameterId, std::less<>>> keys_;  // per instance
  std::vector<int> firstInstanceOfKind_;
};

// Lower-cases ASCII letters, as the reverse maps compare.
std::string LowerKey(std::string_view text);

}  // namespace zefr
