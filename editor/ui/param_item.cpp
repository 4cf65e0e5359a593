#include "param_item.h"

#include "param_paint.h"
#include "param_tree.h"

using namespace param_paint;

CParamItem::CParamItem() : CParamItem(EditorKind::Plain) {}

CParamItem::CParamItem(EditorKind kind)
    : m_kind(kind),
      m_valueBack(windowColor()),
      m_valueText(sys(QPalette::ButtonText)),
      m_rowBack(faceColor()),
      m_labelText(sys(QPalette::ButtonText)),
      m_labelBack(windowColor()) {}

CParamItem::~CParamItem() = default;

void CParamItem::requestRepaint() const {
  if (m_tree && m_tree->m_list) {
    m_tree->m_list->update();
    if (m_tree->m_pane && m_tree->m_focused == this) m_tree->m_pane->update();
  }
}

void CParamItem::setLabel(const QString& s) { m_label = s; requestRepaint(); }
void CParamItem::setHelpText(const QString& s) { m_help = s; requestRepaint(); }
void CParamItem::setMessageText(const QString& s) { m_message = s; requestRepaint(); }
void CParamItem::setReadOnly(bool on) {
  m_readOnly = on;
  // An open editor would go on taking input the row no longer accepts.
  if (on) cancel();
  requestRepaint();
}
void CParamItem::setRowHeight(int h) { m_height = h; requestRepaint(); }
void CParamItem::setLabelLayout(bool top) { m_labelTop = top; requestRepaint(); }
void CParamItem::setValueBackColor(const QColor& c) { m_valueBack = c; requestRepaint(); }
void CParamItem::setValueTextColor(const QColor& c) { m_valueText = c; requestRepaint(); }
void CParamItem::setRowBackColor(const QColor& c) { m_rowBack = c; requestRepaint(); }
void CParamItem::setLabelTextColor(const QColor& c) { m_labelText = c; requestRepaint(); }
void CParamItem::setLabelBackColor(const QColor& c) { m_labelBack = c; requestRepaint(); }

bool CParamItem::isTopLevel() const { return m_tree && m_parent == m_tree->root(); }

QWidget* CParamItem::rowWindow() const { return m_tree ? m_tree->listWnd() : nullptr; }

void CParamItem::hideEditor(QWidget* w) {
  if (!w) return;
  if (m_tree && w->isVisible() && (w->hasFocus() || w->isAncestorOf(QApplication::focusWidget())))
    m_tree->m_list->setFocus(Qt::OtherFocusReason);
  w->hide();
}

static void expandChangedBelow(CParamItem* item, bool on) {
  for (int i = 0; i < item->childCount(); ++i) {
    item->child(i)->ancestorExpandChanged(on);
    expandChangedBelow(item->child(i), on);
  }
}

void CParamItem::setExpanded(bool on) {
  m_expanded = on;
  expandChangedBelow(this, on);
}

void CParamItem::setSelected(bool on) {
  m_selected = on;
  if (on)
    selected();
  else
    deselected();
}

void CParamItem::activate() {
  m_editing = true;
  m_committed = false;
  if (m_tree) m_tree->m_editingRow = this;
  activateEditor();
}

void CParamItem::commit() {
  if (m_committed) return;
  m_editing = false;
  m_committed = true;
  if (m_tree && m_tree->m_editingRow == this) m_tree->m_editingRow = nullptr;
  endEditing();
  if (!m_tree) return;
  CParamTree* tree = m_tree;
  const int deletions = tree->m_deletions;
  tree->notify(kParamCommitted, this);
  // The owner may have deleted rows, this one among them.
  tree->updateItem(tree->m_deletions == deletions ? this : nullptr);
}

void CParamItem::cancel() {
  if (m_committed) return;
  restoreValue();
  m_editing = false;
  m_committed = true;
  if (m_tree && m_tree->m_editingRow == this) m_tree->m_editingRow = nullptr;
  endEditing();
  requestRepaint();
}

void CParamItem::drawValue(QPainter&, const QRect&) {}
