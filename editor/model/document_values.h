#pragma once

// The document's values as the value checks and the tree rules read and set
// them. ConfigurationDocument implements it and owns both, so they depend on
// this and not on the document.

#include <cstddef>
#include <string>
#include <string_view>

#include "param_row.h"
#include "parameter_schema.h"

namespace zefr {

// Stands in for the display of an option that was not found.
inline constexpr std::string_view kBogusValue = "__THIS_IS_A_BOGUS_VAL__";

// Ids run from 100 to 9748; per-id state lives in flat tables this long.
inline constexpr int kIdLimit = 10000;
inline std::size_t IdSlot(ParameterId id) {
  return id > 0 && id < kIdLimit ? static_cast<std::size_t>(id) : 0;
}

class DocumentValues {
 public:
  virtual std::string ValueOf(ParameterId id) const = 0;
  // Shows the text in the row and records it as the baseline.
  virtual bool SetValue(ParameterId id, std::string_view text) = 0;
  // The value last loaded, saved or set by the program.
  virtual std::string Baseline(ParameterId id) const = 0;
  virtual FormFactor GetFormFactor() const = 0;

  // A hex field's text as the row shows it: "0x" and the digits, or NONE.
  virtual void ShowHex(ParamRow& row, std::string_view text) const = 0;
  // The list row's one extra "Bad Data (...)" option, selected.
  virtual void ShowBadData(ParameterId id, ParamRow& row, std::string_view text) = 0;
  virtual void DropBadDataEntries(ParameterId id, ParamRow& row) = 0;

 protected:
  ~DocumentValues() = default;
};

}  // namespace zefr
