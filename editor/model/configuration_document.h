#pragma once

// The editor's current configuration. Values live in the rows of the tree;
// the document reads and sets them, loads and writes INI files and keeps the
// flags and the title. It owns the value checks and the tree rules and runs
// them where a value changes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document_values.h"
#include "param_row.h"
#include "parameter_schema.h"
#include "tree_rules.h"
#include "value_checks.h"

namespace zefr {

// Document state flags.
inline constexpr std::uint32_t kModifiedFlag = 0x1;
inline constexpr std::uint32_t kUntitledFlag = 0x2;

class IniFile;

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

class ConfigurationDocument final : public DocumentValues {
 public:
  ConfigurationDocument(ParameterSchema& schema, RowSource& rows);
  // Same schema and rows; the copy's checks and rules work on the copy.
  ConfigurationDocument(const ConfigurationDocument& other);
  ConfigurationDocument& operator=(const ConfigurationDocument&) = delete;

  ParameterSchema& Schema() { return schema_; }
  const ParameterSchema& Schema() const { return schema_; }
  ValueChecks& Checks() { return checks_; }
  const ValueChecks& Checks() const { return checks_; }
  TreeRules& Rules() { return rules_; }
  const TreeRules& Rules() const { return rules_; }

  // Fills a freshly built row: label, help, and either its option box (the
  // first entry selected) or its blank default value.
  void InitRow(ParameterId id);
  // After every row is built: refresh each in display order, then check each.
  void StartUp();

  // --- Values ---------------------------------------------------------------
  std::string ValueOf(ParameterId id) const override;
  // Shows the text in the row and records it as the baseline. A list value
  // that matches no option becomes the extra "Bad Data (...)" option.
  bool SetValue(ParameterId id, std::string_view text) override;
  std::optional<OptionHit> FindOption(ParameterId id, std::string_view text) const;
  std::optional<InstanceRef> InstanceOf(ParameterId id) const;
  // The value last loaded, saved or set by the program.
  std::string Baseline(ParameterId id) const override;
  void ShowHex(ParamRow& row, std::string_view text) const override;
  void ShowBadData(ParameterId id, ParamRow& row, std::string_view text) override;
  void DropBadDataEntries(ParameterId id, ParamRow& row) override;

  void ResetToDefaults();
  // Reads the file once. Unknown sections and keys are never touched.
  LoadResult Load(const std::string& path);
  // Loads INI text held in memory (the bundled defaults) as Load loads a file.
  LoadResult LoadText(std::string_view text);
  // Writes every parameter with an INI key; the file is written once and
  // replaced whole. False with `error` when it could not be read or written.
  bool Write(const std::string& path, WriteMode mode, std::string* error);
  // The configuration as Save As writes it into a new file.
  std::string WrittenText() const;
  // Runs the compiler's checker over WrittenText and marks what it reports.
  void RefreshCompilerFindings();
  // The tree rules' commit; the modified flag is set when the value moved
  // away from its baseline, and then true.
  bool OnCommitted(ParameterId id);

  // "Zefr Configuration Utility - " + name or "Untitled", "*" when modified.
  std::string TitleText(const std::string& nameAndExtension) const;

  FormFactor GetFormFactor() const override { return formFactor_; }
  void SetFormFactor(FormFactor formFactor) { formFactor_ = formFactor; }
  std::uint32_t Flags() const { return flags_; }
  void SetFlags(std::uint32_t flags) { flags_ = flags; }
  bool Modified() const { return (flags_ & kModifiedFlag) != 0; }
  bool Untitled() const { return (flags_ & kUntitledFlag) != 0; }

 private:
  ParamRow* Row(ParameterId id) const { return rows_.Row(id); }
  // Load's work over an open batch, which it closes.
  void LoadFrom(IniFile& ini, LoadResult& result);
  // Write's work over an open batch; the first error, or nothing.
  std::string WriteKeys(IniFile& ini, WriteMode mode) const;
  const ParameterDescriptor* Desc(ParameterId id) const { return schema_.Descriptor(id); }

  ParameterSchema& schema_;
  RowSource& rows_;
  FormFactor formFactor_ = FormFactor::Custom;
  std::uint32_t flags_ = kUntitledFlag;
  std::vector<std::string> baseline_;
  ValueChecks checks_;
  TreeRules rules_;
};

}  // namespace zefr
