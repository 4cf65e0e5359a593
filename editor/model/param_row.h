#pragma once

// What the configuration model needs from one row of the property tree. The
// Qt tree rows satisfy it through an adapter; MemoryRows holds the same state
// without a window (the --check run and the model's tests).

#include <cstdint>
#include <string>
#include <string_view>

#include "parameter_schema.h"

namespace zefr {

// A colour as 0x00BBGGRR.
using ColorRef = std::uint32_t;

class ParamRow {
 public:
  enum class Kind { Plain, Text, List };

  virtual ~ParamRow() = default;

  virtual Kind RowKind() const = 0;

  // Text rows. SetText shows the whole text: the length limit is for typing.
  virtual std::string Text() const = 0;
  virtual void SetText(std::string_view text) = 0;

  // List rows: the entries of the option box, each with its item data (the
  // option index). Sorted rows insert in order; AddItem returns the position.
  virtual int Count() const = 0;
  virtual std::string ItemText(int position) const = 0;
  virtual int ItemData(int position) const = 0;
  virtual int AddItem(std::string_view text, int data) = 0;
  virtual void RemoveItem(int position) = 0;
  virtual void ClearItems() = 0;
  // Position of the entry with exactly this text, or -1.
  virtual int FindItem(std::string_view text) const = 0;
  // -1 when nothing is selected. Selecting from code never counts as a commit.
  virtual int Selected() const = 0;
  virtual void Select(int position) = 0;

  // Presentation.
  virtual void SetLabel(std::string_view label) = 0;
  virtual std::string Help() const = 0;
  virtual void SetHelp(std::string_view help) = 0;
  virtual void SetMessage(std::string_view message) = 0;
  virtual void SetReadOnly(bool readOnly) = 0;
  virtual void SetLabelBackground(ColorRef colour) = 0;
  // Label and value text in grey (disabled input), or the default colours.
  virtual void SetGreyText(bool grey) = 0;
};

// The rows by parameter id.
class RowSource {
 public:
  virtual ~RowSource() = default;
  // Nullptr when the parameter has no row.
  virtual ParamRow* Row(ParameterId id) = 0;
};

}  // namespace zefr
