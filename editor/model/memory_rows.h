#pragma once

// Rows held in memory: the model without a window.

#include <optional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "param_row.h"

namespace zefr {

class MemoryRow : public ParamRow {
 public:
  MemoryRow(Kind kind, bool sorted) : kind_(kind), sorted_(sorted) {}

  Kind RowKind() const override { return kind_; }
  std::string Text() const override { return text_; }
  void SetText(std::string_view text) override { text_ = text; }

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string ItemText(int position) const override;
  int ItemData(int position) const override;
  int AddItem(std::string_view text, int data) override;
  void RemoveItem(int position) override;
  void ClearItems() override;
  int FindItem(std::string_view text) const override;
  int Selected() const override { return selected_; }
  void Select(int position) override;

  void SetLabel(std::string_view label) override { label_ = label; }
  std::string Help() const override { return help_; }
  void SetHelp(std::string_view help) override { help_ = help; }
  void SetMessage(std::string_view message) override { message_ = message; }
  void SetReadOnly(bool readOnly) override { readOnly_ = readOnly; }
  void SetLabelBackground(ColorRef colour) override { labelBackground_ = colour; }
  void SetGreyText(bool grey) override { grey_ = grey; }

  const std::string& Label() const { return label_; }
  const std::string& Message() const { return message_; }
  bool ReadOnly() const { return readOnly_; }
  ColorRef LabelBackground() const { return labelBackground_; }
  bool GreyText() const { return grey_; }
  // The selected entry's text, or empty.
  std::string SelectedText() const;

 private:
  Kind kind_;
  bool sorted_;
  std::string text_;
  std::vector<std::pair<std::string, int>> items_;
  int selected_ = -1;
  std::string label_, help_, message_;
  bool readOnly_ = false;
  ColorRef labelBackground_ = 0xFFFFFF;
  bool grey_ = false;
};

class MemoryRows : public RowSource {
 public:
  MemoryRows() = default;
  // Deep copies. Assigning the rows of the same schema keeps every row where
  // it is, so a model can be put back to a saved state under a live document.
  MemoryRows(const MemoryRows& other) { *this = other; }
  MemoryRows& operator=(const MemoryRows& other);

  ParamRow* Row(ParameterId id) override;
  // A row of the kind the parameter's type asks for; nullptr for types
  // without a row.
  MemoryRow* Create(const ParameterDescriptor& descriptor);
  MemoryRow* Find(ParameterId id);

 private:
  // By id: the model asks for rows far more often than it makes them.
  std::vector<std::unique_ptr<MemoryRow>> rows_;
};

// The row kind of a value type, or nothing for types without a row.
std::optional<ParamRow::Kind> RowKindOf(ParameterAttributes attributes);

// Option boxes of entity references are sorted, as a sorted combo box does:
// without regard to case.
bool SortsBefore(std::string_view a, std::string_view b);

}  // namespace zefr
