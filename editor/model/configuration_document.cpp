#include "configuration_document.h"

#include "compiler_findings.h"
#include "ini_file.h"
#include "value_text.h"

namespace zefr {

namespace {

bool IsHex(const ParameterDescriptor& d) { return d.Type() == attr::kHexByte; }

// What the file holds before its first ";", without the blanks before it.
std::string CutComment(std::string value) {
  if (value.empty()) return value;
  const auto semicolon = value.find(';');
  if (semicolon == std::string::npos) return value;
  value.erase(semicolon);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
  return value;
}

}  // namespace

using valuetext::EqualsNoCase;
using valuetext::StripHexPrefix;

ConfigurationDocument::ConfigurationDocument(ParameterSchema& schema, RowSource& rows)
    : schema_(schema),
      rows_(rows),
      baseline_(kIdLimit),
      checks_(schema, rows, *this),
      rules_(schema, rows, *this, checks_) {}

ConfigurationDocument::ConfigurationDocument(const ConfigurationDocument& other)
    : DocumentValues(other),
      schema_(other.schema_),
      rows_(other.rows_),
      formFactor_(other.formFactor_),
      flags_(other.flags_),
      baseline_(other.baseline_),
      checks_(other.checks_, *this),
      rules_(other.rules_, *this, checks_) {}

void ConfigurationDocument::InitRow(ParameterId id) {
  ParamRow* row = Row(id);
  const ParameterDescriptor* d = Desc(id);
  if (row == nullptr || d == nullptr) return;
  row->SetLabel(d->displayName);
  row->SetHelp(d->help);
  if (row->RowKind() == ParamRow::Kind::List) {
    row->ClearItems();
    for (int i = 0; i < d->OptionCount(); ++i) row->AddItem(d->options[i].display, i);
    row->Select(0);
  } else if (row->RowKind() == ParamRow::Kind::Text) {
    SetValue(id, schema_.DefaultValue(id).value_or(""));
  }
}

void ConfigurationDocument::StartUp() {
  const auto& order = schema_.DisplayOrder();
  for (const ParameterId id : order) rules_.Refresh(id);
  for (const ParameterId id : order) checks_.Check(id);
  for (const ParameterId id : order) baseline_[IdSlot(id)] = ValueOf(id);
  RefreshCompilerFindings();
}

std::string ConfigurationDocument::ValueOf(ParameterId id) const {
  const ParamRow* row = Row(id);
  const ParameterDescriptor* d = Desc(id);
  if (row == nullptr || d == nullptr) return {};
  switch (row->RowKind()) {
    case ParamRow::Kind::Plain:
      return {};
    case ParamRow::Kind::Text: {
      std::string text = row->Text();
      if (!IsHex(*d)) return text;
      text = StripHexPrefix(text);
      if (text.empty() || EqualsNoCase(text, "NONE")) return text;
      return "0x" + text;
    }
    case ParamRow::Kind::List: {
      const int selected = row->Selected();
      if (selected < 0) return {};
      return schema_.OptionStored(id, row->ItemData(selected)).value_or("");
    }
  }
  return {};
}

void ConfigurationDocument::ShowHex(ParamRow& row, std::string_view text) const {
  if (EqualsNoCase(text, "NONE"))
    row.SetText(text);
  else if (text.empty() || EqualsNoCase(text, "0x"))
    row.SetText("");
  else
    row.SetText("0x" + StripHexPrefix(text));
}

bool ConfigurationDocument::SetValue(ParameterId id, std::string_view text) {
  ParamRow* row = Row(id);
  const ParameterDescriptor* d = Desc(id);
  if (row == nullptr || d == nullptr) return false;
  switch (row->RowKind()) {
    case ParamRow::Kind::Plain:
      break;
    case ParamRow::Kind::Text:
      if (IsHex(*d))
        ShowHex(*row, text);
      else
        row->SetText(text);
      break;
    case ParamRow::Kind::List:
      if (const auto hit = FindOption(id, text))
        row->Select(hit->position);
      else
        ShowBadData(id, *row, text);
      break;
  }
  baseline_[IdSlot(id)] = ValueOf(id);
  return true;
}

void ConfigurationDocument::DropBadDataEntries(ParameterId id, ParamRow& row) {
  const int extraIndex = Desc(id)->OptionCount();
  for (int pos = row.Count() - 1; pos >= 0; --pos)
    if (row.ItemData(pos) == extraIndex) row.RemoveItem(pos);
}

void ConfigurationDocument::ShowBadData(ParameterId id, ParamRow& row, std::string_view text) {
  // One extra option at a time: an earlier one leaves the box with it.
  DropBadDataEntries(id, row);
  const std::string display = "Bad Data (" + std::string(text) + ")";
  schema_.SetExtraOption(id, text, display);
  const int position = row.AddItem(display, Desc(id)->OptionCount());
  row.Select(position);
}

std::optional<OptionHit> ConfigurationDocument::FindOption(ParameterId id,
                                                           std::string_view text) const {
  const ParamRow* row = Row(id);
  const ParameterDescriptor* d = Desc(id);
  if (row == nullptr || d == nullptr || !IsListType(d->attributes)) return std::nullopt;
  // The schema's reverse map stands the empty text in for the blank option.
  const int index = schema_.OptionOfStored(id, text).value_or(-1);
  const std::string display = index >= 0
                                  ? schema_.OptionDisplay(id, index).value_or(std::string(kBogusValue))
                                  : std::string(kBogusValue);
  int position;
  if (index >= 0 && display.empty())
    position = 0;
  else
    position = row->FindItem(display);
  if (position < 0) return std::nullopt;
  return OptionHit{index, position};
}

std::optional<InstanceRef> ConfigurationDocument::InstanceOf(ParameterId id) const {
  return schema_.InstanceOf(id);
}

std::string ConfigurationDocument::Baseline(ParameterId id) const {
  return baseline_[IdSlot(id)];
}

void ConfigurationDocument::ResetToDefaults() {
  const auto& order = schema_.DisplayOrder();
  for (const ParameterId id : order) SetValue(id, schema_.DefaultValue(id).value_or(""));
  for (const ParameterId id : order) rules_.Refresh(id);
  for (const ParameterId id : order) checks_.Check(id);
  for (const ParameterId id : order) {
    ParamRow* row = Row(id);
    if (row == nullptr || schema_.ExtraOption(id) == nullptr) continue;
    DropBadDataEntries(id, *row);
    schema_.RemoveExtraOption(id);
  }
  RefreshCompilerFindings();
}

LoadResult ConfigurationDocument::Load(const std::string& path) {
  LoadResult result;
  IniFile ini(path);
  if (!ini.Open()) {
    result.ok = false;
    result.error = ini.Error();
  }
  LoadFrom(ini, result);
  return result;
}

LoadResult ConfigurationDocument::LoadText(std::string_view text) {
  LoadResult result;
  IniFile ini({});
  ini.OpenText(text);
  LoadFrom(ini, result);
  return result;
}

void ConfigurationDocument::LoadFrom(IniFile& ini, LoadResult& result) {
  const auto& order = schema_.DisplayOrder();
  const auto loadOne = [&](ParameterId id) {
    const ParameterDescriptor* d = Desc(id);
    const auto instance = InstanceOf(id);
    if (d == nullptr || !instance || !d->Has(attr::kIniKey) || d->key.empty()) return;
    const std::string section = schema_.InstanceSection(instance->index).value_or("");
    std::optional<std::string> held = ini.Find(section, d->key);
    if (!held) return;
    result.hadData = true;
    std::string value = CutComment(std::move(*held));
    if (IsHex(*d)) value = valuetext::HexFromPlainInteger(value);
    if (value != ValueOf(id)) {
      SetValue(id, value);
      rules_.Refresh(id);
      checks_.Check(id);
    }
  };
  // Every `Enabled` first: a reference may name an instance of a kind that
  // comes later in the file, and it only matches once that one is enabled.
  for (const ParameterId id : order)
    if (const auto* d = Desc(id); d != nullptr && d->Has(attr::kInstanceSwitch)) loadOne(id);
  for (const ParameterId id : order)
    if (const auto* d = Desc(id); d != nullptr && !d->Has(attr::kInstanceSwitch)) loadOne(id);
  ini.Close();

  // The hex fields were loaded one by one; lock them as the device they name
  // says, now that the whole device is known.
  for (const ParameterId id : order)
    if (const auto* d = Desc(id); d != nullptr && d->Has(attr::kSelector))
      rules_.ApplySelectorLocks(id);
  // The baseline is the value as shown, so an untouched value never counts
  // as a change (a key missing from the file included).
  for (const ParameterId id : order) baseline_[IdSlot(id)] = ValueOf(id);
  RefreshCompilerFindings();
}

bool ConfigurationDocument::Write(const std::string& path, WriteMode mode, std::string* error) {
  IniFile ini(path);
  if (!ini.Open()) {
    if (error != nullptr) *error = ini.Error();
    return false;
  }
  std::string firstError = WriteKeys(ini, mode);
  // A key that cannot be written fails the whole save: the file stays as it
  // was rather than holding some of the changes under a reported failure.
  if (!firstError.empty())
    ini.Close();
  else if (!ini.Commit())
    firstError = ini.Error();
  if (!firstError.empty()) {
    if (error != nullptr) *error = firstError;
    return false;
  }
  return true;
}

std::string ConfigurationDocument::WrittenText() const {
  IniFile ini({});
  ini.OpenText({});
  WriteKeys(ini, WriteMode::SaveAs);
  return ini.Text();
}

std::string ConfigurationDocument::WriteKeys(IniFile& ini, WriteMode mode) const {
  std::string firstError;
  for (const ParameterId id : schema_.DisplayOrder()) {
    const ParameterDescriptor* d = Desc(id);
    const auto instance = InstanceOf(id);
    if (d == nullptr || !instance || !d->Has(attr::kIniKey) || d->key.empty()) continue;
    const std::string section = schema_.InstanceSection(instance->index).value_or("");
    if (mode == WriteMode::SaveAs) ini.Remove(section, d->key);

    const std::string value = ValueOf(id);
    // Save As removed the key just now.
    std::optional<std::string> held =
        mode == WriteMode::Save ? ini.Find(section, d->key) : std::nullopt;
    const bool exists = held.has_value();
    const std::string current = exists ? std::move(*held) : std::string();
    if (mode == WriteMode::Save) {
      // A line whose value did not change stays as the file has it, with its
      // own spacing and annotation; an absent key whose value is the default
      // (what an absent key means) stays absent.
      const std::string held = CutComment(current);
      const bool same = IsListType(d->attributes) ? EqualsNoCase(held, value) : held == value;
      if (exists ? same : value == d->defaultText) continue;
    }

    std::string comment;
    if (exists) {
      const auto semicolon = current.find(';');
      if (semicolon != std::string::npos) comment.assign(1, '\t').append(current, semicolon);
    }
    if (d->Has(attr::kCommentDisplay)) {
      comment.clear();
      ParameterId source = id;
      if (d->Has(attr::kDerived)) {
        const auto deps = schema_.ResolvedDependents(id);
        if (!deps.empty()) source = deps.front();
      }
      const ParamRow* sourceRow = Row(source);
      const ParameterDescriptor* sd = Desc(source);
      if (sourceRow != nullptr && sd != nullptr && IsListType(sd->attributes) &&
          sourceRow->Selected() >= 0) {
        const int index = sourceRow->ItemData(sourceRow->Selected());
        const std::string display = schema_.OptionDisplay(source, index).value_or("");
        if (index >= 1 && !display.empty()) comment = "\t;" + display;
      }
    }
    if (!ini.Write(section, d->key, value + comment) && firstError.empty()) firstError = ini.Error();
  }
  return firstError;
}

std::string ConfigurationDocument::TitleText(const std::string& nameAndExtension) const {
  std::string title = "Zefr Configuration Utility - ";
  title += Untitled() ? std::string("Untitled") : nameAndExtension;
  if (Modified()) title += "*";
  return title;
}

void ConfigurationDocument::RefreshCompilerFindings() {
  for (const ParameterId id : checks_.SetCompilerFindings(CompilerFindings(schema_, WrittenText())))
    checks_.DescribeErrors(id);
}

bool ConfigurationDocument::OnCommitted(ParameterId id) {
  const bool moved = rules_.OnCommitted(id);
  // Any commit, one back to the saved value too, changes what the compiler sees.
  RefreshCompilerFindings();
  if (!moved) return false;
  flags_ |= kModifiedFlag;
  return true;
}

}  // namespace zefr
