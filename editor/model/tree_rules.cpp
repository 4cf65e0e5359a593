#include "tree_rules.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "value_text.h"

namespace zefr {

namespace {

using valuetext::EqualsNoCase;

bool IsValueType(ParameterAttributes type) { return type >= 0x001 && type <= 0x010; }

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const auto comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return parts;
}

std::string PartAt(const std::vector<std::string>& parts, std::size_t i) {
  return i < parts.size() ? parts[i] : std::string();
}

bool IsBogus(std::string_view part) { return EqualsNoCase(part, kBogusOption); }

// A selector part that fixes its field (neither hand-entered nor suggested).
bool IsFixedPart(std::string_view part) { return !IsBogus(part) && (part.empty() || part[0] != '*'); }

bool SlotIsSet(const std::string& value) { return !value.empty() && !EqualsNoCase(value, "NONE"); }

constexpr std::uint32_t kProcessorClass = 0x110;

}  // namespace

TreeRules::TreeRules(ParameterSchema& schema, RowSource& rows, DocumentValues& values,
                     ValueChecks& checks)
    : schema_(schema),
      rows_(rows),
      values_(values),
      checks_(checks),
      enabledMasks_(ParameterSchema::kKindCount, 0),
      positionInOrder_(kIdLimit, SIZE_MAX) {
  const auto& order = schema_.DisplayOrder();
  for (std::size_t i = 0; i < order.size(); ++i) positionInOrder_[IdSlot(order[i])] = i;
}

TreeRules::TreeRules(const TreeRules& other, DocumentValues& values, ValueChecks& checks)
    : schema_(other.schema_),
      rows_(other.rows_),
      values_(values),
      checks_(checks),
      enabledMasks_(other.enabledMasks_),
      positionInOrder_(other.positionInOrder_) {}

std::uint32_t TreeRules::EnabledMask(int kind) const {
  if (kind < 0 || kind >= static_cast<int>(enabledMasks_.size())) return 0;
  return enabledMasks_[kind];
}

bool TreeRules::OnCommitted(ParameterId id) {
  Refresh(id);
  checks_.Check(id);
  return ValueOf(id) != values_.Baseline(id);
}

std::vector<ParameterId> TreeRules::Following(ParameterId from, ParameterId parent) const {
  std::vector<ParameterId> ids;
  const auto& order = schema_.DisplayOrder();
  const std::size_t at = positionInOrder_[IdSlot(from)];
  if (at == SIZE_MAX) return ids;
  for (std::size_t i = at + 1; i < order.size(); ++i) {
    const ParameterDescriptor* d = Desc(order[i]);
    if (d == nullptr || d->parent != parent) break;
    ids.push_back(order[i]);
  }
  return ids;
}

void TreeRules::Refresh(ParameterId id) {
  const ParameterDescriptor* d = Desc(id);
  if (d == nullptr || Row(id) == nullptr) return;
  const bool list = IsListType(d->attributes);
  if (list && d->Has(attr::kSelector) && !RefreshSelector(id)) return;
  if (d->Has(attr::kDerived)) RefreshDerived(id);
  if (list && d->Has(attr::kInstanceSwitch)) RefreshEnabled(id);
  if (list && d->Has(attr::kFanSlot) && !RefreshFanSlot(id)) return;
  if (list && d->Has(attr::kReferenced)) RefreshReferenced(id);
  if (list && d->Has(attr::kUsage) && !RefreshUsage(id)) return;
  if (list && d->Has(attr::kTrueFalse)) RefreshTrueFalse(id);
}

// Rule 1: the chosen device fills its hex fields.
bool TreeRules::RefreshSelector(ParameterId id) {
  const std::vector<std::string> parts = SplitCommas(ValueOf(id));
  const auto deps = schema_.ResolvedDependents(id);
  for (std::size_t i = 0; i < deps.size(); ++i) {
    const ParameterId dep = deps[i];
    const ParameterDescriptor* dd = Desc(dep);
    if (Row(dep) == nullptr || dd == nullptr || !IsValueType(dd->Type())) return false;
    const std::string part = PartAt(parts, i);
    if (IsBogus(part)) {
      if (checks_.InstanceEnabled(id)) {
        checks_.SetInputDisabled(dep, false);
        checks_.Check(dep);
      }
      continue;
    }
    if (!part.empty() && part[0] == '*') {
      values_.SetValue(dep, part.substr(1));
      checks_.SetInputDisabled(dep, false);
    } else {
      values_.SetValue(dep, part);
      checks_.SetInputDisabled(dep, true);
    }
    checks_.Check(dep);
  }
  return true;
}

// Rule 2: a hex field typed by hand selects the device it matches.
void TreeRules::RefreshDerived(ParameterId id) {
  const std::string own = ValueOf(id);
  if (IsBogus(own) || EqualsNoCase(own, kBogusValue)) return;
  const auto back = schema_.ResolvedDependents(id);
  if (back.empty()) return;
  const ParameterId selector = back.front();
  ParamRow* selectorRow = Row(selector);
  const ParameterDescriptor* sd = Desc(selector);
  if (selectorRow == nullptr || sd == nullptr) return;
  const auto fields = schema_.ResolvedDependents(selector);

  std::vector<std::string> gathered;
  bool allEmpty = true;
  for (const ParameterId f : fields) {
    gathered.push_back(ValueOf(f));
    allEmpty = allEmpty && gathered.back().empty();
  }
  if (allEmpty) {
    selectorRow->Select(0);
    for (const ParameterId f : fields) {
      checks_.SetBits(f, state::kInputDisabled, true);
      checks_.Check(f);
    }
    return;
  }

  // The device matching with the fewest wildcard parts wins, then the first.
  int best = -1;
  int bestWildcards = 0;
  int custom = -1;
  for (int option = 0; option < sd->OptionCount(); ++option) {
    const std::vector<std::string> parts = SplitCommas(sd->options[option].stored);
    bool matches = parts.size() == gathered.size();
    bool allBogus = true;
    int wildcards = 0;
    for (std::size_t i = 0; matches && i < parts.size(); ++i) {
      std::string part = parts[i];
      if (!part.empty() && part[0] == '*') part.erase(0, 1);
      if (IsBogus(part)) {
        ++wildcards;
        continue;
      }
      allBogus = false;
      matches = EqualsNoCase(part, gathered[i]);
    }
    if (allBogus && custom < 0) custom = option;
    if (matches && (best < 0 || wildcards < bestWildcards)) {
      best = option;
      bestWildcards = wildcards;
    }
  }
  const int chosen = best >= 0 ? best : custom;
  if (chosen < 0) return;
  const int position = selectorRow->FindItem(sd->options[chosen].display);
  if (position >= 0) selectorRow->Select(position);
}

// After a load: each hex field is open or locked as its device says.
void TreeRules::ApplySelectorLocks(ParameterId selector) {
  const ParameterDescriptor* sd = Desc(selector);
  if (sd == nullptr || Row(selector) == nullptr || !checks_.InstanceEnabled(selector)) return;
  const std::vector<std::string> parts = SplitCommas(ValueOf(selector));
  const auto fields = schema_.ResolvedDependents(selector);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (Row(fields[i]) == nullptr) return;
    checks_.SetInputDisabled(fields[i], IsFixedPart(PartAt(parts, i)));
    checks_.Check(fields[i]);
  }
}

// Rule 3: an instance switched on or off.
void TreeRules::RefreshEnabled(ParameterId id) {
  const bool on = EqualsNoCase(ValueOf(id), "TRUE");
  const std::vector<ParameterId> members = Following(id, id);
  for (const ParameterId member : members) {
    if (Row(member) == nullptr) continue;
    checks_.SetBits(member, state::kInputDisabled, !on);
    checks_.Check(member);
  }
  if (on)
    for (const ParameterId member : members) Refresh(member);

  const ParameterDescriptor* d = Desc(id);
  const EntityKind* kind = schema_.Kind(d->kind);
  if (kind == nullptr || d->instanceNumber < 1) return;
  std::uint32_t& mask = enabledMasks_[d->kind];
  const std::uint32_t bit = 1u << (d->instanceNumber - 1);
  mask = on ? (mask | bit) : (mask & ~bit);
  if (ParamRow* heading = Row(kind->headingId)) {
    heading->SetLabel(kind->displayName + "s (" + std::to_string(std::popcount(mask)) + "/" +
                      std::to_string(kind->instanceCount) + ")");
  }
}

// Slots of a group are filled in order: a slot that is set while any earlier
// one is not carries the bad-value mark.
void TreeRules::SetOrderingMarks(const std::vector<ParameterId>& slots) {
  bool gap = false;
  for (const ParameterId slot : slots) {
    const bool set = SlotIsSet(ValueOf(slot));
    checks_.SetOutOfOrder(slot, set && gap);
    gap = gap || !set;
  }
  for (const ParameterId slot : slots) checks_.Check(slot);
}

void TreeRules::RebuildList(ParameterId id, ParamRow& row) {
  const ParameterDescriptor* d = Desc(id);
  const int selected = row.Selected();
  row.ClearItems();
  for (int i = 0; i < d->OptionCount(); ++i)
    row.AddItem(schema_.OptionDisplay(id, i).value_or(""), i);
  if (const ParameterOption* extra = schema_.ExtraOption(id))
    row.AddItem(extra->display, d->OptionCount());
  row.Select(selected);
}

// The first entry of a True/False field, its list rebuilt when it changes.
void TreeRules::SetBlankDisplay(ParameterId id, ParamRow& row, std::string_view display) {
  if (schema_.OptionDisplay(id, 0).value_or("") == display && row.ItemText(0) == display) return;
  schema_.SetOptionDisplay(id, 0, display);
  RebuildList(id, row);
}

// Rule 4: a fan slot opens or closes its fan's fields and keeps the slot order.
bool TreeRules::RefreshFanSlot(ParameterId id) {
  const bool set = SlotIsSet(ValueOf(id));
  std::vector<ParameterId> slots{id};
  std::vector<ParameterId> fields;
  bool complete = true;
  for (const ParameterId dep : schema_.ResolvedDependents(id)) {
    const ParameterDescriptor* dd = Desc(dep);
    if (Row(dep) == nullptr || dd == nullptr) {
      complete = false;
      break;
    }
    if (dd->Has(attr::kFanSlot))
      slots.push_back(dep);
    else
      fields.push_back(dep);
  }
  std::sort(slots.begin(), slots.end());
  SetOrderingMarks(slots);

  for (const ParameterId field : fields) {
    const ParameterDescriptor* fd = Desc(field);
    ParamRow& row = *Row(field);
    const bool trueFalse = fd->Has(attr::kTrueFalse);
    if (!set) {
      checks_.SetBits(field, state::kInputDisabled, true);
      if (trueFalse && ValueOf(field).empty()) {
        checks_.SetBits(field, state::kTrueFalse, false);
        SetBlankDisplay(field, row, "");
      } else {
        checks_.SetBits(field, state::kTrueFalse, false);
      }
    } else {
      checks_.SetInputDisabled(field, false);
      if (trueFalse && ValueOf(field).empty()) SetBlankDisplay(field, row, kChooseTrueFalse);
    }
    checks_.Check(field);
  }
  if (set)
    for (const ParameterId field : fields) Refresh(field);
  return complete;
}

// Rule 5: reference lists name only the enabled instances.
void TreeRules::RefreshReferenced(ParameterId id) {
  const ParameterDescriptor* d = Desc(id);
  const bool on = EqualsNoCase(ValueOf(id), "TRUE");
  const std::string stored = std::to_string(d->instanceNumber);
  for (const ParameterId dep : d->dependents) {
    ParamRow* row = Row(dep);
    const ParameterDescriptor* dd = Desc(dep);
    if (row == nullptr || dd == nullptr) continue;
    const auto index = schema_.OptionOfStored(dep, stored);
    if (!index || *index >= dd->OptionCount()) continue;
    const std::string display = schema_.OptionDisplay(dep, *index).value_or("");
    const int position = row->FindItem(display);
    // A list that already is as it should be needs no refresh.
    if (on == (position >= 0)) continue;
    if (on) {
      row->AddItem(display, *index);
      // A reference kept as bad data for this instance names it again.
      const ParameterOption* extra = schema_.ExtraOption(dep);
      const int selected = row->Selected();
      if (extra != nullptr && selected >= 0 && row->ItemData(selected) == dd->OptionCount() &&
          EqualsNoCase(extra->stored, stored)) {
        values_.DropBadDataEntries(dep, *row);
        schema_.RemoveExtraOption(dep);
        row->Select(row->FindItem(display));
      }
    } else {
      const bool wasSelected = row->Selected() == position;
      row->RemoveItem(position);
      // The value stays; it shows as bad data until the instance is back.
      if (wasSelected) values_.ShowBadData(dep, *row, stored);
    }
    // A disabled instance refreshes all its rows when it is switched on.
    if (checks_.InstanceEnabled(dep)) Refresh(dep);
    checks_.Check(dep);
  }
}

// Rule 6: the usage picks the range rows and the help of its thresholds.
bool TreeRules::RefreshUsage(ParameterId id) {
  const ParameterDescriptor* d = Desc(id);
  const int option = schema_.OptionOfStored(id, ValueOf(id)).value_or(-1);
  const std::uint32_t classWord =
      option >= 0 ? schema_.OptionClass(id, option).value_or(rows::kBlankClass) : rows::kBlankClass;
  for (const ParameterId member : Following(id, d->parent)) {
    const ParameterDescriptor* md = Desc(member);
    if (Row(member) == nullptr) return false;
    if (!IsValueType(md->Type()) || md->controlling != id) continue;
    checks_.Check(member);
    if (!md->Has(attr::kThreshold)) continue;
    std::string help = md->help;
    if (classWord == kProcessorClass) {
      const char* reference = md->kind == 0 || md->kind == 3 ? "T-Control temperature"
                              : md->kind == 2                ? "Vccp voltage"
                                                             : nullptr;
      if (reference != nullptr)
        help += std::string(" Specify this value relative to, or as an offset from ") + reference + ".";
    } else {
      help += " Specify as an absolute value.";
    }
    Row(member)->SetHelp(help);
  }
  return true;
}

// Rule 7: an empty True/False field in use must be answered.
void TreeRules::RefreshTrueFalse(ParameterId id) {
  const bool disabled = (checks_.StateWord(id) & state::kInputDisabled) != 0;
  checks_.SetBits(id, state::kTrueFalse, !disabled && ValueOf(id).empty());
  checks_.DescribeErrors(id);
}

}  // namespace zefr
