#include "param_tree.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <algorithm>

#include "param_paint.h"

using namespace param_paint;

namespace {

QString fitted(const QFontMetrics& fm, const QString& s, int avail) {
  if (fm.horizontalAdvance(s) <= avail) return s;
  const QString dots = QStringLiteral("...");
  // Cut by halves first, then character by character, so long labels stay cheap.
  int lo = 0, hi = int(s.size());
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (fm.horizontalAdvance(s.left(mid) + dots) <= avail)
      lo = mid;
    else
      hi = mid - 1;
  }
  return s.left(lo) + dots;
}

void collectAll(CParamItem* from, std::vector<CParamItem*>& out) {
  for (int i = 0; i < from->childCount(); ++i) {
    out.push_back(from->child(i));
    collectAll(from->child(i), out);
  }
}

int expandedHeight(const CParamItem* item) {
  int h = 0;
  for (int i = 0; i < item->childCount(); ++i) {
    const CParamItem* c = item->child(i);
    h += c->rowHeight();
    if (c->isExpanded()) h += expandedHeight(c);
  }
  return h;
}

}  // namespace

CParamTree::CParamTree(uint32_t options, QWidget* parent, int controlId)
    : QWidget(parent), m_options(options & ~uint32_t(kTreeNotify)), m_controlId(controlId), m_root(new CParamItem) {
  ParamFonts::addUser();
  m_root->m_tree = this;
  m_root->m_expanded = true;
  // The children cover the whole window, so it never erases anything itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  m_list = new CParamListWnd(this);
  if (m_options & kTreeShowInfoPane) m_pane = new CParamInfoPane(this);
  m_vbar = new QScrollBar(Qt::Vertical, this);
  m_vbar->setFocusPolicy(Qt::NoFocus);
  m_vbar->setSingleStep(kRowHeight);
  m_vbar->hide();
  connect(m_vbar, &QScrollBar::valueChanged, this, [this](int v) {
    if (!m_inScrollUpdate) scrollToOffset(v);
  });
  connect(qApp, &QApplication::focusChanged, this, &CParamTree::focusChanged);
  setFocusProxy(m_list);
  layoutChildren();
}

CParamTree::~CParamTree() {
  disconnect(qApp, &QApplication::focusChanged, this, &CParamTree::focusChanged);
  m_focused = nullptr;
  m_editingRow = nullptr;
  m_owner = nullptr;
  m_root.reset();  // rows delete their editors while the row window still exists
  // The children go while this object is whole: losing the focus calls back into it.
  delete m_list;
  delete m_pane;
  delete m_vbar;
  m_list = nullptr;
  m_pane = nullptr;
  m_vbar = nullptr;
  ParamFonts::removeUser();
}

void CParamTree::setNotify(bool on, ParamTreeOwner* owner) {
  m_owner = owner;
  if (on)
    m_options |= kTreeNotify;
  else
    m_options &= ~uint32_t(kTreeNotify);
}

int CParamTree::notify(int code, CParamItem* item) {
  if (!(m_options & kTreeNotify) || !m_owner) return 0;
  if (code < kParamActivating || code > kParamInserted || code == -1104) return 0;
  return m_owner->paramTreeNotify(ParamTreeNotify{this, m_controlId, code, item});
}

CParamItem* CParamTree::insertItem(CParamItem* item, CParamItem* parent, CParamItem* after) {
  if (!item) return nullptr;
  if (!parent) parent = m_root.get();
  item->m_parent = parent;
  item->m_tree = this;
  item->m_sequence = ++m_sequenceCounter;
  auto& kids = parent->m_children;
  auto pos = kids.end();
  if (after) {
    pos = std::find_if(kids.begin(), kids.end(), [after](const auto& p) { return p.get() == after; });
    if (pos != kids.end()) ++pos;
  }
  kids.insert(pos, std::unique_ptr<CParamItem>(item));
  notify(kParamInserted, item);
  updateScrollRange();
  repaintAll();
  return item;
}

void CParamTree::deleteItem(CParamItem* item) {
  if (!item || item->m_tree != this) return;
  if (item == m_root.get()) {
    notify(kParamDeleting, nullptr);
    while (!m_root->m_children.empty()) deleteItem(m_root->m_children.front().get());
    m_focused = nullptr;
    updateScrollRange();
    repaintAll();
    return;
  }
  notify(kParamDeleting, item);
  ++m_deletions;
  while (!item->m_children.empty()) deleteItem(item->m_children.front().get());
  if (m_focused == item) m_focused = nullptr;
  if (m_editingRow == item) m_editingRow = nullptr;
  item->destroyEditor();
  auto& kids = item->m_parent->m_children;
  auto pos = std::find_if(kids.begin(), kids.end(), [item](const auto& p) { return p.get() == item; });
  if (pos != kids.end()) kids.erase(pos);
  updateScrollRange();
  repaintAll();
}

void CParamTree::deleteAll() {
  deleteItem(m_root.get());
  m_sequenceCounter = 1;
}

CParamItem* CParamTree::findItem(int id) const {
  std::vector<CParamItem*> stack;
  for (int i = m_root->childCount() - 1; i >= 0; --i) stack.push_back(m_root->child(i));
  while (!stack.empty()) {
    CParamItem* it = stack.back();
    stack.pop_back();
    if (it->m_id == id) return it;
    for (int i = it->childCount() - 1; i >= 0; --i) stack.push_back(it->child(i));
  }
  return nullptr;
}

void CParamTree::setFocusedItem(CParamItem* item) {
  m_focused = item;
  if (item) {
    bool changed = false;
    for (CParamItem* a = item->m_parent; a && a != m_root.get(); a = a->m_parent) {
      if (!a->m_expanded) {
        a->setExpanded(true);
        changed = true;
      }
    }
    if (changed) updateScrollRange();
    layoutRows();
    const int top = item->m_top + m_scroll;
    const int h = m_list->height();
    if (item->m_top < 0)
      scrollToOffset(top);
    else if (item->m_top + item->m_height > h)
      scrollToOffset(top + item->m_height - h);
  }
  repaintAll();
}

void CParamTree::clearSelections() {
  std::vector<CParamItem*> all;
  collectAll(m_root.get(), all);
  for (CParamItem* it : all) it->setSelected(false);
}

void CParamTree::selectNone() {
  clearSelections();
  repaintAll();
}

void CParamTree::setColumnWidth(int px) {
  m_requestedColumn = px;
  applyColumnLimits();
}

void CParamTree::applyColumnLimits() {
  // The limits apply to the width asked for, not to the last result: Qt sizes a
  // window after making it, and a narrow first size must not stick.
  const int w = m_list->width();
  int v = std::max(m_requestedColumn, kGutter);
  if (w > 0) v = std::min(v, w - kGutter);
  m_columnWidth = v;
  m_list->update();
}

void CParamTree::expandAll() {
  std::vector<CParamItem*> all;
  collectAll(m_root.get(), all);
  for (CParamItem* it : all) it->setExpanded(true);
  updateScrollRange();
  repaintAll();
}

void CParamTree::collapseAll() {
  std::vector<CParamItem*> all;
  collectAll(m_root.get(), all);
  for (CParamItem* it : all) it->setExpanded(false);
  updateScrollRange();
  dropHiddenFocus();
  repaintAll();
}

void CParamTree::updateItem(CParamItem* item) {
  if (!item) item = m_root.get();
  layoutRows();
  std::vector<CParamItem*> sub{item};
  collectAll(item, sub);
  for (CParamItem* it : sub) it->repositionOnly();
  updateScrollRange();
  repaintAll();
}

int CParamTree::contentHeight() const { return expandedHeight(m_root.get()); }

void CParamTree::scrollToOffset(int px) {
  const int maxOff = std::max(0, contentHeight() - (m_list->height() + 1));
  const int v = std::clamp(px, 0, maxOff);
  const bool moved = v != m_scroll;
  m_scroll = v;
  m_inScrollUpdate = true;
  m_vbar->setValue(v);
  m_inScrollUpdate = false;
  if (moved) {
    layoutRows();
    repositionAll(false);
  }
  m_list->update();
}

void CParamTree::scrollLines(int lines) { scrollToOffset(m_scroll + lines * kRowHeight); }

void CParamTree::scrollPages(int pages) { scrollToOffset(m_scroll + pages * (m_list->height() + 1)); }

void CParamTree::updateScrollRange() {
  if (m_inScrollUpdate) return;
  m_inScrollUpdate = true;
  const int total = contentHeight();
  const bool need = total > m_list->height() && m_list->height() > 0;
  if (need != m_vbar->isVisibleTo(this)) {
    m_vbar->setVisible(need);
    layoutChildren();
  }
  const int h = m_list->height();
  const int maxOff = std::max(0, total - (h + 1));
  if (!need) m_scroll = 0;
  m_scroll = std::clamp(m_scroll, 0, maxOff);
  m_vbar->setRange(0, maxOff);
  m_vbar->setPageStep(h + 1);
  m_vbar->setValue(m_scroll);
  m_inScrollUpdate = false;
  applyColumnLimits();
}

void CParamTree::layoutChildren() {
  const int w = width(), h = height();
  const int paneH = m_pane ? std::min(kInfoPaneHeight, h) : 0;
  const int barW = m_vbar->isVisibleTo(this) ? m_vbar->sizeHint().width() : 0;
  const int listH = h - paneH;
  m_list->setGeometry(0, 0, std::max(0, w - barW), listH);
  if (barW) m_vbar->setGeometry(w - barW, 0, barW, listH);
  if (m_pane) m_pane->setGeometry(0, listH, w, paneH);
}

void CParamTree::resizeEvent(QResizeEvent*) {
  layoutChildren();
  updateScrollRange();
  layoutRows();
  repositionAll(true);
  repaintAll();
}

void CParamTree::changeEvent(QEvent* e) {
  if (e->type() == QEvent::PaletteChange) ParamFonts::rebuild();
  if (e->type() == QEvent::EnabledChange || e->type() == QEvent::PaletteChange) repaintAll();
  QWidget::changeEvent(e);
}

void CParamTree::repaintAll() {
  if (!m_list) return;
  m_list->update();
  if (m_pane) m_pane->update();
}

void CParamTree::repositionAll(bool hideUnfocused) {
  std::vector<CParamItem*> all;
  collectAll(m_root.get(), all);
  for (CParamItem* it : all) {
    if (hideUnfocused)
      it->reposition();
    else
      it->repositionOnly();
  }
}

const std::vector<CParamItem*>& CParamTree::visibleItems() {
  layoutRows();
  return m_visible;
}

void CParamTree::layoutRows() {
  m_visible.clear();
  const int w = m_list->width();
  int y = -m_scroll;
  for (int i = 0; i < m_root->childCount(); ++i) y += layoutRow(m_root->child(i), 0, y, w);
}

int CParamTree::layoutRow(CParamItem* item, int indent, int y, int width) {
  m_visible.push_back(item);
  item->m_indent = indent;
  item->m_top = y;
  const int h = item->m_height;
  const bool top = item->m_parent == m_root.get();
  const int labelLeft = indent + kGutter;
  const int labelRight = top ? width : m_columnWidth;
  item->m_labelRect = QRect(labelLeft, y, std::max(0, labelRight - labelLeft), h - 1);
  item->m_valueRect = top ? QRect() : QRect(m_columnWidth + 5, y, std::max(0, (width - 2) - (m_columnWidth + 5)), h - 1);
  item->m_expandRect = item->hasChildren() ? QRect(indent + 4, y + 5, 9, 9) : QRect();
  if (item->m_label.trimmed().isEmpty()) {
    item->m_shownLabel.clear();
    item->m_textRect = QRect();
  } else {
    const QFont& font = top ? ParamFonts::bold() : ParamFonts::normal();
    const QFontMetrics fm(font);
    const int avail = item->m_labelRect.width() - 5;
    // Measuring text is the dear part of a layout; redo it only when something changed.
    if (item->m_fittedGeneration != ParamFonts::generation() || item->m_fittedWidth != avail || item->m_fittedBold != top || item->m_fittedFrom != item->m_label) {
      item->m_shownLabel = fitted(fm, item->m_label, avail);
      item->m_fittedAdvance = fm.horizontalAdvance(item->m_shownLabel);
      item->m_fittedFrom = item->m_label;
      item->m_fittedWidth = avail;
      item->m_fittedBold = top;
      item->m_fittedGeneration = ParamFonts::generation();
    }
    const int textY = item->m_labelTop ? y + 5 : y + (item->m_labelRect.height() - fm.height()) / 2;
    item->m_textRect = QRect(labelLeft + 5, textY, item->m_fittedAdvance, fm.height());
  }
  int used = h;
  if (item->m_expanded) {
    const int childIndent = top ? indent : indent + kGutter;
    for (int i = 0; i < item->childCount(); ++i) used += layoutRow(item->child(i), childIndent, y + used, width);
  }
  return used;
}

bool CParamTree::isInside(const QWidget* w) const {
  for (; w; w = w->parentWidget())
    if (w == this) return true;
  return false;
}

void CParamTree::focusChanged(QWidget*, QWidget* now) {
  // An open edit is committed when the focus moves on inside the tree, never when
  // it leaves the tree: the text then waits in the editor.
  CParamItem* row = m_editingRow;
  if (!row || !now || !isInside(now)) return;
  QWidget* ed = row->editor();
  for (const QWidget* w = now; w; w = w->parentWidget())
    if (w == ed) return;
  row->commit();
}

bool CParamTree::commitEditing() {
  CParamItem* row = m_editingRow;
  if (!row) return false;
  row->commit();
  return true;
}

void CParamTree::dropHiddenFocus() {
  if (!m_focused) return;
  layoutRows();
  if (std::find(m_visible.begin(), m_visible.end(), m_focused) != m_visible.end()) return;
  m_focused->setSelected(false);
  m_focused = nullptr;
  notify(kParamFocusChanged, nullptr);
  repaintAll();
}

void CParamTree::moveFocusTo(CParamItem* item) {
  if (!item) return;
  clearSelections();
  item->setSelected(true);
  if (item != m_focused) {
    const int deletions = m_deletions;
    m_focused = item;
    notify(kParamFocusChanged, item);
    if (deletions != m_deletions) return repaintAll();
  }
  setFocusedItem(item);
}

void CParamTree::moveNext() {
  layoutRows();
  if (m_visible.empty()) return;
  auto pos = std::find(m_visible.begin(), m_visible.end(), m_focused);
  if (!m_focused || pos == m_visible.end())
    moveFocusTo(m_visible.front());
  else if (pos + 1 != m_visible.end())
    moveFocusTo(*(pos + 1));
}

void CParamTree::movePrevious() {
  layoutRows();
  if (m_visible.empty()) return;
  auto pos = std::find(m_visible.begin(), m_visible.end(), m_focused);
  if (!m_focused || pos == m_visible.end())
    moveFocusTo(m_visible.back());
  else if (pos != m_visible.begin())
    moveFocusTo(*(pos - 1));
}

void CParamTree::activateFocused() {
  if (m_focused && !m_focused->isTopLevel() && !m_focused->isReadOnly()) m_focused->activate();
}

void CParamTree::toggleExpanded(CParamItem* item) {
  const int deletions = m_deletions;
  if (!item || notify(kParamExpanding, item) != 0 || deletions != m_deletions) return;
  item->setExpanded(!item->m_expanded);
  updateScrollRange();
  repaintAll();
  dropHiddenFocus();
}
