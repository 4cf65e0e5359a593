#include "TreeRows.h"

#include <QComboBox>
#include <algorithm>

#include "ConfigurationDocument.h"
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
  if (m_kind == Kind::Text) AsEdit(m_item)->setText(Q(text));
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
  if (m_kind == Kind::List && AsCombo(m_item)->comboBox() != nullptr)
    AsCombo(m_item)->comboBox()->setCurrentIndex(position < Count() ? position : -1);
}

void CTreeRow::SetLabel(std::string_view label) { m_item->setLabel(Q(label)); }
std::string CTreeRow::Help() const { return S(m_item->helpText()); }
void CTreeRow::SetHelp(std::string_view help) { m_item->setHelpText(Q(help)); }
void CTreeRow::SetMessage(std::string_view message) { m_item->setMessageText(Q(message)); }
void CTreeRow::SetReadOnly(bool readOnly) { m_item->setReadOnly(readOnly); }
void CTreeRow::SetLabelBackground(zefr::ColorRef colour) { m_item->setLabelBackColor(FromColorRef(colour)); }

void CTreeRow::SetGreyText(bool grey) {
  const QColor greyText = FromColorRef(zefr::colours::kGreyText);
  m_item->setLabelTextColor(grey ? greyText : m_labelText);
  m_item->setValueTextColor(grey ? greyText : m_valueText);
}

zefr::ParamRow* CTreeRows::Row(ParameterId id) { return Find(id); }

CTreeRow* CTreeRows::Find(ParameterId id) const {
  const auto it = m_rows.find(id);
  return it == m_rows.end() ? nullptr : it->second.get();
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
    AsEdit(item)->createEditor(InputFlags(type), style, d->maxLength == 0 ? -1 : d->maxLength);
  }
  m_rows[id] = std::make_unique<CTreeRow>(item);
  doc.InitRow(id);
}
