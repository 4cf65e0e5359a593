#pragma once

// The rows of the property tree as the configuration model sees them, and
// the building of one row per parameter.

#include <QColor>
#include <map>
#include <memory>
#include <vector>

#include "param_row.h"

class CParamItem;
class CParamTree;

namespace zefr {
class ConfigurationDocument;
}

// One tree row behind the model's row interface.
class CTreeRow : public zefr::ParamRow {
 public:
  explicit CTreeRow(CParamItem* item);

  CParamItem* item() const { return m_item; }

  Kind RowKind() const override { return m_kind; }
  std::string Text() const override;
  void SetText(std::string_view text) override;
  int Count() const override;
  std::string ItemText(int position) const override;
  int ItemData(int position) const override;
  int AddItem(std::string_view text, int data) override;
  void RemoveItem(int position) override;
  void ClearItems() override;
  int FindItem(std::string_view text) const override;
  int Selected() const override;
  void Select(int position) override;
  void SetLabel(std::string_view label) override;
  std::string Help() const override;
  void SetHelp(std::string_view help) override;
  void SetMessage(std::string_view message) override;
  void SetReadOnly(bool readOnly) override;
  void SetLabelBackground(zefr::ColorRef colour) override;
  void SetGreyText(bool grey) override;

 private:
  CParamItem* m_item;
  Kind m_kind;
  QColor m_labelText, m_valueText;  // the row's own colours
};

class CTreeRows : public zefr::RowSource {
 public:
  zefr::ParamRow* Row(zefr::ParameterId id) override;
  CTreeRow* Find(zefr::ParameterId id) const;

  // Creates the parameter's row in the tree at its place in display order
  // and fills it; nothing when the row exists or its place is missing.
  void BuildRow(CParamTree& tree, zefr::ConfigurationDocument& doc, zefr::ParameterId id);

 private:
  // Indexed by id (100 .. 9748).
  std::vector<std::unique_ptr<CTreeRow>> m_rows = std::vector<std::unique_ptr<CTreeRow>>(10000);
};

// A COLORREF (0x00BBGGRR) as a colour.
QColor FromColorRef(zefr::ColorRef colour);
