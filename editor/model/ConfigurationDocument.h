#pragma once

// The editor's current configuration. Values live in the rows of the tree;
// the document reads and sets them, loads and writes INI files, checks every
// value (state words, colours, messages, the error report) and keeps the
// dependent rows consistent when a value changes.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ParamRow.h"
#include "parameter_schema.h"

namespace zefr {

// Bits of a parameter's state word.
namespace state {
inline constexpr std::uint32_t kInputDisabled = 0x01;
inline constexpr std::uint32_t kOutOfRange = 0x02;
inline constexpr std::uint32_t kTooLong = 0x04;
inline constexpr std::uint32_t kBadValue = 0x08;
inline constexpr std::uint32_t kTrueFalse = 0x10;
inline constexpr std::uint32_t kErrors = kOutOfRange | kTooLong | kBadValue | kTrueFalse;
}  // namespace state

// Label backgrounds of the rows.
namespace colours {
inline constexpr ColorRef kError = 0x4444EE;
inline constexpr ColorRef kEnabled = 0x44EE44;
inline constexpr ColorRef kDisabled = 0xAAAAAA;
inline constexpr ColorRef kPlain = 0xFFFFFF;
inline constexpr ColorRef kGreyText = 0xAAAAAA;
}  // namespace colours

// Document state flags.
inline constexpr std::uint32_t kModifiedFlag = 0x1;
inline constexpr std::uint32_t kUntitledFlag = 0x2;

// First entry of an empty True/False field while its fan slot is in use.
inline constexpr std::string_view kChooseTrueFalse = "Choose True or False...";
inline constexpr std::string_view kBogusValue = "__THIS_IS_A_BOGUS_VAL__";

struct OptionHit {
  int index = -1;     // option index (item data)
  int position = -1;  // position in the row's option box
};

enum class WriteMode { Save = 0, SaveAs = 1 };

struct LoadResult {
  bool ok = true;        // false: the file could not be read (error)
  bool hadData = false;  // some key of the schema was in the file
  std::string error;
};

class ConfigurationDocument {
 public:
  ConfigurationDocument(ParameterSchema& schema, RowSource& rows);
  // A copy reads and writes the same schema and rows. Assigning a document
  // over the same schema and rows takes over its state, keeping the per-id
  // tables allocated (a state put back, as after New).
  ConfigurationDocument(const ConfigurationDocument&) = default;
  ConfigurationDocument& operator=(const ConfigurationDocument& other);

  ParameterSchema& Schema() { return schema_; }
  const ParameterSchema& Schema() const { return schema_; }

  // Fills a freshly built row: label, help, and either its option box (the
  // first entry selected) or its blank default value.
  void InitRow(ParameterId id);
  // After every row is built: refresh each in display order, then check each.
  void StartUp();

  // --- Values ---------------------------------------------------------------
  std::string ValueOf(ParameterId id) const;
  // Shows the text in the row and records it as the baseline. A list value
  // that matches no option becomes the extra "Bad Data (...)" option.
  bool SetValue(ParameterId id, std::string_view text);
  std::optional<OptionHit> FindOption(ParameterId id, std::string_view text) const;
  std::optional<InstanceRef> InstanceOf(ParameterId id) const;
  // The value last loaded, saved or set by the program.
  std::string Baseline(ParameterId id) const;

  void ResetToDefaults();
  // Reads the file once. Unknown sections and keys are never touched.
  LoadResult Load(const std::string& path);
  // Writes every parameter with an INI key; the file is written once and
  // replaced whole. False with `error` when it could not be read or written.
  bool Write(const std::string& path, WriteMode mode, std::string* error);

  // "Zefr Configuration Utility - " + name or "Untitled", "*" when modified.
  std::string TitleText(const std::string& nameAndExtension) const;

  FormFactor GetFormFactor() const { return formFactor_; }
  void SetFormFactor(FormFactor formFactor) { formFactor_ = formFactor; }
  std::uint32_t Flags() const { return flags_; }
  void SetFlags(std::uint32_t flags) { flags_ = flags; }
  bool Modified() const { return (flags_ & kModifiedFlag) != 0; }
  bool Untitled() const { return (flags_ & kUntitledFlag) != 0; }

  // --- Checking -------------------------------------------------------------
  std::uint32_t StateWord(ParameterId id) const;
  // Range row key of the parameter under its usage and the form factor.
  std::uint16_t RowClass(ParameterId id) const;
  // True on a range error, or a length error on a well-formed value.
  bool CheckParameter(ParameterId id);
  // One report line (may be empty); also marks the row.
  std::string DescribeErrors(ParameterId id);
  // CheckParameter then DescribeErrors.
  void Check(ParameterId id);
  // Checks every parameter of every enabled instance; the text is kept.
  const std::string& CollectErrorReport();
  const std::string& Report() const { return report_; }
  void SetReport(std::string text) { report_ = std::move(text); }

  // --- Dependent rows -------------------------------------------------------
  void Refresh(ParameterId id);
  // A value was committed in the tree. True when it moved away from its
  // baseline (the modified flag is then set).
  bool OnCommitted(ParameterId id);
  // Bit (instance number - 1) set while that instance is enabled.
  std::uint32_t EnabledMask(int kind) const;

 private:
  ParamRow* Row(ParameterId id) const { return rows_.Row(id); }
  const ParameterDescriptor* Desc(ParameterId id) const { return schema_.Descriptor(id); }
  std::uint32_t& Word(ParameterId id) { return words_[Slot(id)]; }
  // Ids run from 100 to 9748; per-id state lives in flat tables.
  static std::size_t Slot(ParameterId id) { return id > 0 && id < kIdLimit ? static_cast<std::size_t>(id) : 0; }
  static constexpr int kIdLimit = 10000;
  void SetBits(ParameterId id, std::uint32_t bits, bool on);
  // True when the parameter's instance is enabled (for an `Enabled`, itself).
  bool InstanceEnabled(ParameterId id) const;
  // Input disabled as asked, and always while the instance is disabled.
  void SetInputDisabled(ParameterId id, bool disabled);
  std::string Message(ParameterId id, std::uint32_t code) const;

  void ShowHex(ParamRow& row, std::string_view text) const;
  void ShowBadData(ParameterId id, ParamRow& row, std::string_view text);
  void DropBadDataEntries(ParameterId id, ParamRow& row);
  void RebuildList(ParameterId id, ParamRow& row);
  void SetBlankDisplay(ParameterId id, ParamRow& row, std::string_view display);
  void SetOrderingMarks(const std::vector<ParameterId>& slots);
  void ApplySelectorLocks(ParameterId selector);

  bool RefreshSelector(ParameterId id);
  void RefreshDerived(ParameterId id);
  void RefreshEnabled(ParameterId id);
  bool RefreshFanSlot(ParameterId id);
  void RefreshReferenced(ParameterId id);
  bool RefreshUsage(ParameterId id);
  void RefreshTrueFalse(ParameterId id);
  // The ids after `from` in display order while their parent is `parent`.
  std::vector<ParameterId> Following(ParameterId from, ParameterId parent) const;

  ParameterSchema& schema_;
  RowSource& rows_;
  FormFactor formFactor_ = FormFactor::Custom;
  std::uint32_t flags_ = kUntitledFlag;
  std::vector<std::string> baseline_;
  std::vector<std::uint32_t> words_;
  // Fan slots set while an earlier slot of their group is not.
  std::set<ParameterId> outOfOrder_;
  std::vector<std::uint32_t> enabledMasks_;
  std::vector<std::size_t> positionInOrder_;
  std::string report_;
};

// Value-text helpers, shared with the tree's editors.
namespace valuetext {
bool EqualsNoCase(std::string_view a, std::string_view b);
// Removes every "0x" and "0X".
std::string StripHexPrefix(std::string_view text);
// A hex byte field written as the compiler's plain decimal or octal integer
// (leading 0 = octal) as "0xNN", so showing it as hex keeps its value; any
// other text comes back unchanged.
std::string HexFromPlainInteger(std::string_view text);
// A C integer parse and a C real parse both consume something, and what
// follows the longer one is empty or a type suffix.
bool IsValidNumber(const std::string& text, int integerBase);
// Characters of UTF-8 text.
std::size_t Utf8Length(std::string_view text);
}  // namespace valuetext

}  // namespace zefr
