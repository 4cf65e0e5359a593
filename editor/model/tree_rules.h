#pragma once

// Keeping dependent rows consistent when a value changes: device selectors,
// instance switches, reference lists, fan slots, usages, True/False fields.

#include <cstdint>
#include <string_view>
#include <vector>

#include "document_values.h"
#include "param_row.h"
#include "parameter_schema.h"
#include "value_checks.h"

namespace zefr {

// First entry of an empty True/False field while its fan slot is in use.
inline constexpr std::string_view kChooseTrueFalse = "Choose True or False...";

class TreeRules {
 public:
  TreeRules(ParameterSchema& schema, RowSource& rows, DocumentValues& values, ValueChecks& checks);
  // A copy of `other`'s state that works on `values` and `checks` (a copied
  // document).
  TreeRules(const TreeRules& other, DocumentValues& values, ValueChecks& checks);
  TreeRules(const TreeRules&) = delete;
  TreeRules& operator=(const TreeRules&) = delete;

  void Refresh(ParameterId id);
  // A value was committed in the tree: refreshed and checked. True when it
  // moved away from its baseline.
  bool OnCommitted(ParameterId id);
  // Bit (instance number - 1) set while that instance is enabled.
  std::uint32_t EnabledMask(int kind) const;
  // After a load: each hex field of the selector's device is open or locked
  // as the device says.
  void ApplySelectorLocks(ParameterId selector);

 private:
  ParamRow* Row(ParameterId id) const { return rows_.Row(id); }
  const ParameterDescriptor* Desc(ParameterId id) const { return schema_.Descriptor(id); }
  std::string ValueOf(ParameterId id) const { return values_.ValueOf(id); }

  void SetOrderingMarks(const std::vector<ParameterId>& slots);
  void RebuildList(ParameterId id, ParamRow& row);
  void SetBlankDisplay(ParameterId id, ParamRow& row, std::string_view display);

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
  DocumentValues& values_;
  ValueChecks& checks_;
  std::vector<std::uint32_t> enabledMasks_;
  std::vector<std::size_t> positionInOrder_;
};

}  // namespace zefr
