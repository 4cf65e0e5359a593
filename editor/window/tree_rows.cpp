#include "tree_rows.h"

#include <QComboBox>
#include <algorithm>

#include "configuration_document.h"
#include "param_items.h"
#include "param_tree.h"

using zefr::ParameterId;
namespace attr = zefr::attr;

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }
std::string S(const QString& text) { return text.toStdString(); }

CParamComboItem* AsCombo(CParamItem* item) { return static_cast<CParamComboItem*>(item); }
CParamEditItem* AsEdit(CParamItem* item) { return static_cast<CParamEditItem*>(item); }

// Editor input flags of a value type.
uint32_t InputFlags(zefr::ParameterAttributes type) {
  switch (type) {
    case attr::kInteger: return 0x100;
    case attr::kReal: return 0x20;
    case attr::kHexByte: return 0x40;
    case 0x010: return 0x40000;
    default: return 0;
  }
}

}  // namespace

QColor FromColorRef(zefr::ColorRef colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

CTreeRow::CTreeRow(CParamItem* item)
    : m_item(item), m_labelText(item->labelTextColor()), m_valueText(item->valueTextColor()) {
  switch (item->editorKind()) {
    case CParamItem::EditorKind::Combo: m_kind = Kind::List; break;
    case CParamItem::EditorKind::Edit: m_kind = Kind::Text; break;
    default: m_kind = Kind::Plain; break;
  }
}

std::string CTreeRow::Text() const { return m_kind == Kind::Text ? S(AsEdit(m_item)->text()) : std::string(); }

void CTreeRow::SetText(std::string_view text) {
  if (m_kind != Kind::Text) return;
  const QString q = Q(text);
  if (AsEdit(m_item)->text() != q) AsEdit(m_item)->setText(q);
}

int CTreeRow::Count() const {
  if (m_kind != Kind::List || AsCombo(m_item)->comboBox() == nullptr) return 0;
  return AsCombo(m_item)->comboBox()->count();
}

std::string CTreeRow::ItemText(int position) const {
  if (position < 0 || position >= Count()) return {};
  return S(AsCombo(m_item)->comboBox()->itemText(position));
}

int CTreeRow::ItemData(int position) const {
  if (position < 0 || position >= Count()) return -1;
  const QVariant data = AsCombo(m_item)->comboBox()->itemData(position);
  return data.isValid() ? data.toInt() : -1;
}

int CTreeRow::AddItem(std::string_view text, int data) {
  if (m_kind != Kind::List) return -1;
  return AsCombo(m_item)->addOption(Q(text), data);
}

void CTreeRow::RemoveItem(int position) {
  if (position >= 0 && position < Count()) AsCombo(m_item)->comboBox()->removeItem(position);
}

void CTreeRow::ClearItems() {
  if (m_kind == Kind::List && AsCombo(m_item)->comboBox() != nullptr) AsCombo(m_item)->comboBox()->clear();
}

int CTreeRow::FindItem(std::string_view text) const {
  if (Count() == 0) return -1;
  return AsCombo(m_item)->comboBox()->findText(Q(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

int CTreeRow::Selected() const { return Count() == 0 ? -1 : AsCombo(m_item)->comboBox()->currentIndex(); }

void CTreeRow::Select(int position) {
  if (m_kind != Kind::List || AsCombo(m_item)->comboBox() == nullptr) return;
  const int wanted = position < Count() ? position : -1;
  if (AsCombo(m_item)->comboBox()->currentIndex() != wanted) AsCombo(m_item)->comboBox()->setCurrentIndex(wanted);
}

// Setters leave an unchanged row alone: every change asks for a repaint.
void CTreeRow::SetLabel(std::string_view label) {
  const QString q = Q(label);
  if (m_item->label() != q) m_item->setLabel(q);
}
std::string CTreeRow::Help() const { return S(m_item->helpText()); }
void CTreeRow::SetHelp(std::string_view help) {
  const QString q = Q(help);
  if (m_item->helpText() != q) m_item->setHelpText(q);
}

void CTreeRow::SetMessage(std::string_view message) {
  const QString q = Q(message);
  if (m_item->messageText() != q) m_item->setMessageText(q);
}

void CTreeRow::SetReadOnly(bool readOnly) {
  if (m_item->isReadOnly() != readOnly) m_item->setReadOnly(readOnly);
}

void CTreeRow::SetLabelBackground(zefr::ColorRef colour) {
  const QColor c = FromColorRef(colour);
  if (m_item->labelBackColor() != c) m_item->setLabelBackColor(c);
}

void CTreeRow::SetGreyText(bool grey) {
  const QColor label = grey ? FromColorRef(zefr::colours::kGreyText) : m_labelText;
  const QColor value = grey ? FromColorRef(zefr::colours::kGreyText) : m_valueText;
  if (m_item->labelTextColor() != label) m_item->setLabelTextColor(label);
  if (m_item->valueTextColor() != value) m_item->setValueTextColor(value);
}

zefr::ParamRow* CTreeRows::Row(ParameterId id) { return Find(id); }

CTreeRow* CTreeRows::Find(ParameterId id) const {
  if (id <= 0 || static_cast<std::size_t>(id) >= m_rows.size()) return nullptr;
  return m_rows[static_cast<std::size_t>(id)].get();
}

void CTreeRows::BuildRow(CParamTree& tree, zefr::ConfigurationDocument& doc, ParameterId id) {
  if (Find(id) != nullptr) return;
  const zefr::ParameterSchema& schema = doc.Schema();
  const zefr::ParameterDescriptor* d = schema.Descriptor(id);
  if (d == nullptr) return;

  CParamItem* parent = nullptr;  // the root
  if (d->Type() != attr::kHeading) {
    CTreeRow* parentRow = Find(d->parent);
    if (parentRow == nullptr) return;
    parent = parentRow->item();
  }

  // After the last earlier sibling; a first child goes last under its parent.
  const auto& order = schema.DisplayOrder();
  const auto at = std::find(order.begin(), order.end(), id);
  CParamItem* after = nullptr;
  if (at != order.begin()) {
    bool placed = false;
    for (auto it = at; it != order.begin();) {
      --it;
      const zefr::ParameterDescriptor* earlier = schema.Descriptor(*it);
      if (earlier != nullptr && earlier->parent == d->parent) {
        CTreeRow* sibling = Find(*it);
        if (sibling == nullptr) return;
        after = sibling->item();
        placed = true;
        break;
      }
    }
    if (!placed && Find(*(at - 1)) == nullptr) return;
  }

  CParamItem* item = nullptr;
  const zefr::ParameterAttributes type = d->Type();
  switch (type) {
    case attr::kInteger:
    case attr::kReal:
    case attr::kHexByte:
    case attr::kText:
    case 0x010: item = new CParamEditItem; break;
    case attr::kHeading: item = new CParamItem; break;
    case attr::kOptionList:
    case attr::kEntityReference: item = new CParamComboItem; break;
    default: return;
  }
  item->setId(id);
  tree.insertItem(item, parent, after);
  if (type == attr::kOptionList || type == attr::kEntityReference) {
    AsCombo(item)->createEditor(type == attr::kEntityReference ? uint32_t{kComboSorted} : 0u);
  } else if (type != attr::kHeading) {
    const uint32_t style = type == 0x010 ? uint32_t{kEditWantReturn | kEditAutoVScroll} : 0u;
    // A hex byte's limit counts its digits; the box also holds the "0x" before them.
    int limit = d->maxLength == 0 ? -1 : d->maxLength;
    if (type == attr::kHexByte && limit > 0) limit += 2;
    AsEdit(item)->createEditor(InputFlags(type), style, limit);
  }
  if (static_cast<std::size_t>(id) >= m_rows.size()) return;
  m_rows[static_cast<std::size_t>(id)] = std::make_unique<CTreeRow>(item);
  doc.InitRow(id);
}
