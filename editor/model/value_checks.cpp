#include "value_checks.h"

#include <charconv>

#include "value_text.h"

namespace zefr {

namespace {

using valuetext::EqualsNoCase;
using valuetext::IsValidNumber;
using valuetext::ParseInteger;
using valuetext::ParseReal;
using valuetext::StripHexPrefix;

bool IsNumeric(ParameterAttributes type) {
  return type == attr::kInteger || type == attr::kReal || type == attr::kHexByte;
}

bool HasLength(ParameterAttributes type) {
  return IsNumeric(type) || type == attr::kText || type == 0x010;
}

const char* DefaultMessage(std::uint32_t code) {
  switch (code) {
    case state::kInputDisabled: return "Input disabled.";
    case state::kOutOfRange: return "Value out of range";
    case state::kTooLong: return "Value length longer than";
    case state::kBadValue: return "Bad value.";
    case state::kTrueFalse: return "Value must be True or False.";
    default: return "";
  }
}

// Fixed two decimals, independent of the locale.
std::string TwoDecimals(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  return std::string(buffer, result.ptr);
}

}  // namespace

ValueChecks::ValueChecks(const ParameterSchema& schema, RowSource& rows, const DocumentValues& values)
    : schema_(schema), rows_(rows), values_(values), words_(kIdLimit, 0) {}

ValueChecks::ValueChecks(const ValueChecks& other, const DocumentValues& values)
    : schema_(other.schema_),
      rows_(other.rows_),
      values_(values),
      words_(other.words_),
      outOfOrder_(other.outOfOrder_),
      findings_(other.findings_),
      report_(other.report_),
      editorReport_(other.editorReport_) {}

std::uint32_t ValueChecks::StateWord(ParameterId id) const { return words_[IdSlot(id)]; }

void ValueChecks::SetBits(ParameterId id, std::uint32_t bits, bool on) {
  std::uint32_t& word = words_[IdSlot(id)];
  word = on ? (word | bits) : (word & ~bits);
}

bool ValueChecks::InstanceEnabled(ParameterId id) const {
  const ParameterDescriptor* d = Desc(id);
  if (d == nullptr) return false;
  const ParameterId enabled = d->Has(attr::kInstanceSwitch) ? id : d->parent;
  const ParameterDescriptor* e = Desc(enabled);
  if (e == nullptr || !e->Has(attr::kInstanceSwitch)) return false;
  return EqualsNoCase(values_.ValueOf(enabled), "TRUE");
}

void ValueChecks::SetInputDisabled(ParameterId id, bool disabled) {
  SetBits(id, state::kInputDisabled, disabled || !InstanceEnabled(id));
}

void ValueChecks::SetOutOfOrder(ParameterId id, bool outOfOrder) {
  if (outOfOrder)
    outOfOrder_.insert(id);
  else
    outOfOrder_.erase(id);
}

std::string ValueChecks::Message(ParameterId id, std::uint32_t code) const {
  if (const auto own = schema_.Message(id, code)) return *own;
  return DefaultMessage(code);
}

std::string ValueChecks::BadValueMessage(ParameterId id) const {
  if (outOfOrder_.count(id) != 0) {
    // Only a value that matched an option is sound: the extra bad-data entry is not.
    const ParamRow* row = Row(id);
    const int selected = row != nullptr ? row->Selected() : -1;
    if (selected < 0 || row->ItemData(selected) != Desc(id)->OptionCount())
      return "Set the fan slots before this one first.";
  }
  return Message(id, state::kBadValue);
}

std::uint16_t ValueChecks::RowClass(ParameterId id) const {
  const ParameterDescriptor* d = Desc(id);
  if (d == nullptr || d->controlling == kNoParameter) return rows::kPlain;
  return schema_.RowClass(id, values_.ValueOf(d->controlling), values_.GetFormFactor());
}

bool ValueChecks::CheckParameter(ParameterId id) {
  ParamRow* row = Row(id);
  const ParameterDescriptor* d = Desc(id);
  if (row == nullptr || d == nullptr) return false;
  const ParameterAttributes type = d->Type();
  if (type == attr::kHeading) return false;

  std::string value = values_.ValueOf(id);
  if (type == attr::kHexByte) {
    // Shown again normalised; the baseline stays.
    values_.ShowHex(*row, value);
    value = values_.ValueOf(id);
  }

  bool tooLong = false;
  if (HasLength(type)) {
    const std::string counted = type == attr::kHexByte ? StripHexPrefix(value) : value;
    if (!(type == attr::kHexByte && EqualsNoCase(counted, "NONE")))
      tooLong = d->maxLength != 0 && valuetext::Utf8Length(counted) > d->maxLength;
  }
  SetBits(id, state::kTooLong, tooLong);

  const bool none = type == attr::kHexByte && EqualsNoCase(value, "NONE");
  bool wellFormed = true;
  if (!value.empty()) {
    switch (type) {
      case attr::kInteger: wellFormed = IsValidNumber(value, 10); break;
      case attr::kReal: wellFormed = IsValidNumber(value, 10); break;
      case attr::kHexByte: wellFormed = none || IsValidNumber(value, 16); break;
      case attr::kOptionList:
      case attr::kOptionList2:
      case attr::kEntityReference: {
        const int selected = row->Selected();
        wellFormed = selected < 0 || row->ItemData(selected) != d->OptionCount();
        break;
      }
      default: break;
    }
  }
  // A fan slot set after an unset one keeps its mark whatever its form.
  SetBits(id, state::kBadValue, !wellFormed || outOfOrder_.count(id) != 0);

  bool outOfRange = false;
  if (!value.empty() && wellFormed && IsNumeric(type) && !none) {
    if (const auto range = schema_.Range(id, RowClass(id))) {
      const char* end = nullptr;
      if (type == attr::kReal) {
        const float v = static_cast<float>(ParseReal(value, &end));
        outOfRange = !(range->first <= v && v <= range->second);
      } else {
        const long long v = ParseInteger(value, type == attr::kHexByte ? 16 : 10, &end);
        const auto minimum = static_cast<long long>(range->first);
        const auto maximum = static_cast<long long>(range->second);
        outOfRange = !(minimum <= v && v <= maximum);
      }
    }
  }
  SetBits(id, state::kOutOfRange, outOfRange);
  return outOfRange || (tooLong && wellFormed);
}

std::vector<ParameterId> ValueChecks::SetCompilerFindings(std::map<ParameterId, std::string> findings) {
  std::vector<ParameterId> changed;
  for (const auto& [id, text] : findings_) {
    const auto it = findings.find(id);
    if (it == findings.end() || it->second != text) changed.push_back(id);
  }
  for (const auto& [id, text] : findings)
    if (findings_.count(id) == 0) changed.push_back(id);
  findings_ = std::move(findings);
  return changed;
}

std::string ValueChecks::DescribeErrors(ParameterId id, std::string* editorLine) {
  ParamRow* row = Row(id);
  const ParameterDescriptor* d = Desc(id);
  if (row == nullptr || d == nullptr) return {};
  const std::uint32_t word = StateWord(id);
  std::string item, report;
  const auto both = [&](const std::string& text) {
    item += text;
    report += text;
  };

  if ((word & state::kInputDisabled) != 0) {
    item += Message(id, state::kInputDisabled) + " ";
    row->SetReadOnly(true);
    row->SetGreyText(true);
  } else {
    row->SetReadOnly(false);
    row->SetGreyText(false);
  }
  if ((word & state::kOutOfRange) != 0) {
    const auto range = schema_.Range(id, RowClass(id)).value_or(std::pair<float, float>{0, 0});
    const std::string message = Message(id, state::kOutOfRange);
    if (d->Type() == attr::kReal)
      both(message + " (" + TwoDecimals(range.first) + ", " + TwoDecimals(range.second) + "). ");
    else
      both(message + " (" + std::to_string(static_cast<long long>(range.first)) + ", " +
           std::to_string(static_cast<long long>(range.second)) + "). ");
  }
  if ((word & state::kTooLong) != 0)
    both(Message(id, state::kTooLong) + " " + std::to_string(d->maxLength) + ". ");
  if ((word & state::kBadValue) != 0) both(BadValueMessage(id) + " ");
  if ((word & state::kTrueFalse) != 0) both(Message(id, state::kTrueFalse) + " ");
  const std::string editorReport = report;
  const auto finding = findings_.find(id);
  if (finding != findings_.end()) both(finding->second);

  row->SetMessage(item);
  ColorRef colour = colours::kPlain;
  if ((word & state::kErrors) != 0 || finding != findings_.end())
    colour = colours::kError;
  else if (d->Has(attr::kInstanceSwitch))
    colour = EqualsNoCase(values_.ValueOf(id), "TRUE") ? colours::kEnabled : colours::kDisabled;
  row->SetLabelBackground(colour);

  if (editorLine != nullptr) *editorLine = ReportLine(*d, editorReport);
  return ReportLine(*d, report);
}

std::string ValueChecks::ReportLine(const ParameterDescriptor& d, const std::string& text) const {
  if (text.empty()) return {};
  const EntityKind* kind = schema_.Kind(d.kind);
  std::string line = kind != nullptr ? kind->displayName : std::string();
  line += "s " + std::to_string(d.instanceNumber);
  line += "\xC2\xBB";  // U+00BB
  line += d.displayName + ": " + text + "\r\n";
  return line;
}

void ValueChecks::Check(ParameterId id) {
  CheckParameter(id);
  DescribeErrors(id);
}

const std::string& ValueChecks::CollectErrorReport() {
  report_.clear();
  editorReport_.clear();
  const auto describe = [this](ParameterId id) {
    std::string editorLine;
    report_ += DescribeErrors(id, &editorLine);
    editorReport_ += editorLine;
  };
  for (const ParameterId id : schema_.DisplayOrder()) {
    const ParameterDescriptor* d = Desc(id);
    if (d == nullptr) continue;
    if (d->Has(attr::kInstanceSwitch)) {
      // A switch that is neither TRUE nor FALSE leaves its instance off; the
      // compiler refuses it, so the report names it.
      CheckParameter(id);
      if ((StateWord(id) & state::kBadValue) != 0 || findings_.count(id) != 0) describe(id);
      continue;
    }
    const ParameterDescriptor* parent = Desc(d->parent);
    if (parent == nullptr || !parent->Has(attr::kInstanceSwitch)) continue;
    // An instance the tree holds off (its Enabled neither TRUE nor FALSE) is
    // still on for the compiler: what it refuses there is reported.
    if (!EqualsNoCase(values_.ValueOf(d->parent), "TRUE") && findings_.count(id) == 0) continue;
    CheckParameter(id);
    describe(id);
  }
  return report_;
}

}  // namespace zefr
