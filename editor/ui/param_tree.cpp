#include "param_tree.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

// ---------------------------------------------------------------------------
// Shared fonts

namespace {

struct FontStore {
  bool built = false;
  QFont normal, bold;
  int trees = 0;
  int generation = 0;  // bumped on every rebuild, so fitted labels are redone
};

FontStore& fontStore() {
  static FontStore store;
  return store;
}

void buildFonts(FontStore& s) {
  QFont f = QApplication::font("QMenu");
  // Prefer the classic dialog faces; where neither is installed keep the menu face,
  // since asking for a missing family only gets an arbitrary substitute.
  const QStringList families = QFontDatabase::families();
  if (families.contains(QStringLiteral("Tahoma")))
    f.setFamily(QStringLiteral("Tahoma"));
  else if (families.contains(QStringLiteral("MS Sans Serif")))
    f.setFamily(QStringLiteral("MS Sans Serif"));
  s.normal = f;
  s.bold = f;
  s.bold.setWeight(QFont::Bold);
  s.built = true;
  ++s.generation;
}

QColor sys(QPalette::ColorRole role) { return QApplication::palette().color(QPalette::Active, role); }
QColor windowColor() { return sys(QPalette::Base); }
QColor faceColor() { return sys(QPalette::Button); }
QColor shadowColor() { return sys(QPalette::Dark); }
QColor greyText() { return paramGreyText(); }

void sunkenOuterEdge(QPainter& p, const QRect& r) {
  p.fillRect(r.left(), r.top(), r.width(), 1, shadowColor());
  p.fillRect(r.left(), r.top(), 1, r.height(), shadowColor());
  p.fillRect(r.left(), r.bottom(), r.width(), 1, sys(QPalette::Light));
  p.fillRect(r.right(), r.top(), 1, r.height(), sys(QPalette::Light));
}

// Right edge, exclusive.
int rightOf(const QRect& r) { return r.left() + r.width(); }

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

QColor paramGreyText() { return QColor(0x80, 0x80, 0x80); }

const QFont& ParamFonts::normal() {
  FontStore& s = fontStore();
  if (!s.built) buildFonts(s);
  return s.normal;
}

const QFont& ParamFonts::bold() {
  FontStore& s = fontStore();
  if (!s.built) buildFonts(s);
  return s.bold;
}

void ParamFonts::rebuild() { buildFonts(fontStore()); }

int ParamFonts::generation() { return fontStore().generation; }

// ---------------------------------------------------------------------------
// CParamItem

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
void CParamItem::setReadOnly(bool on) { m_readOnly = on; requestRepaint(); }
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

void CParamItem::drawValue(QPainter&, const QRect&) {}

// ---------------------------------------------------------------------------
// CParamTree

CParamTree::CParamTree(uint32_t options, QWidget* parent, int controlId)
    : QWidget(parent), m_options(options & ~uint32_t(kTreeNotify)), m_controlId(controlId), m_root(new CParamItem) {
  FontStore& fs = fontStore();
  if (fs.trees++ == 0 || !fs.built) buildFonts(fs);
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
  FontStore& fs = fontStore();
  if (--fs.trees == 0) fs.built = false;
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

// ---------------------------------------------------------------------------
// CParamListWnd

CParamListWnd::CParamListWnd(CParamTree* tree) : QWidget(tree), m_tree(tree) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
}

bool CParamListWnd::inputAllowed() const { return m_tree->m_inputLock == 0 && m_tree->isEnabled(); }

bool CParamListWnd::event(QEvent* e) {
  // The rows take Tab themselves instead of leaving it to the dialog.
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
      keyPressEvent(k);
      return true;
    }
  }
  return QWidget::event(e);
}

void CParamListWnd::focusInEvent(QFocusEvent*) { m_tree->repaintAll(); }

void CParamListWnd::focusOutEvent(QFocusEvent*) { m_tree->repaintAll(); }

void CParamListWnd::resizeEvent(QResizeEvent*) {
  m_tree->updateScrollRange();
  m_tree->layoutRows();
  m_tree->repositionAll(true);
  update();
}

void CParamListWnd::paintEvent(QPaintEvent*) {
  // The backing store is the off-screen buffer: the finished picture reaches the
  // screen in one copy, so there is no flicker.
  QPainter p(this);
  paintRows(p);
}

void CParamListWnd::paintRows(QPainter& p) {
  const bool enabled = m_tree->isEnabled();
  const QRect all = rect();
  const QColor face = faceColor();
  p.fillRect(all, face);
  p.fillRect(all.adjusted(2, 2, -2, -2), enabled ? windowColor() : face);
  p.fillRect(0, 0, kGutter, height(), (m_tree->m_options & kTreeGutterFace) || !enabled ? face : windowColor());
  m_tree->layoutRows();
  for (CParamItem* it : m_tree->m_visible) {
    if (it->m_top + it->m_height < 0 || it->m_top > height()) continue;
    drawRow(p, it);
  }
  p.fillRect(kGutter, 0, 1, height(), shadowColor());
  sunkenOuterEdge(p, all);
  if (m_dragging) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(QRect(m_dragX - 2, 0, 4, height()), QBrush(Qt::white, Qt::Dense4Pattern));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
}

void CParamListWnd::drawRow(QPainter& p, CParamItem* it) {
  const bool enabled = m_tree->isEnabled();
  const bool top = it->isTopLevel();
  const int w = width();
  const int y = it->m_top;
  const int h = it->m_height;
  const int col = m_tree->m_columnWidth;
  if (top) {
    const QColor fill = (m_tree->m_options & kTreeTopRowsFace) || !enabled ? it->m_rowBack : windowColor();
    p.fillRect(QRect(it->m_indent + kGutter, y, w - (it->m_indent + kGutter), h), fill);
  } else {
    p.fillRect(QRect(col, y, (w - 2) - col, h), it->m_valueBack);
  }
  if (it->hasChildren()) {
    const QRect b = it->m_expandRect;
    if (!top) p.fillRect(b, windowColor());
    p.setPen(shadowColor());
    p.setBrush(Qt::NoBrush);
    p.drawRect(b.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    const int x0 = b.left(), y0 = b.top();
    p.drawLine(x0 + 2, y0 + 4, x0 + 6, y0 + 4);
    if (!it->m_expanded) p.drawLine(x0 + 4, y0 + 2, x0 + 4, y0 + 6);
  }
  if (!top) p.fillRect(it->m_labelRect, it->m_labelBack);
  if (!it->m_shownLabel.isEmpty()) {
    p.setFont(top ? ParamFonts::bold() : ParamFonts::normal());
    QColor text = it->m_labelText;
    if (it->m_selected) {
      p.fillRect(QRect(kGutter, y, rightOf(it->m_labelRect) + 5 - kGutter, h - 1), sys(QPalette::Highlight));
      text = sys(QPalette::HighlightedText);
    }
    if (!enabled) text = greyText();
    p.setPen(text);
    p.drawText(it->m_textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, it->m_shownLabel);
  }
  const QColor grid = shadowColor();
  p.fillRect(kGutter, y + h - 1, w - kGutter, 1, grid);
  if (top) p.fillRect(kGutter, y - 1, w - kGutter, 1, grid);
  p.fillRect(kGutter, y, 1, h, grid);
  if (!top) {
    p.fillRect(col, y, 1, h, grid);
    p.save();
    p.setClipRect(it->m_valueRect);
    it->drawValue(p, it->m_valueRect);
    p.restore();
  }
}

ParamHit CParamListWnd::hitTest(QPoint pt, CParamItem** out) {
  if (out) *out = nullptr;
  m_tree->layoutRows();
  CParamItem* found = nullptr;
  for (CParamItem* it : m_tree->m_visible) {
    if (pt.y() >= it->m_top && pt.y() < it->m_top + it->m_height) {
      found = it;
      break;
    }
  }
  if (!found) return ParamHit::Nowhere;
  if (out) *out = found;
  const int col = m_tree->m_columnWidth;
  if (!found->isTopLevel() && std::abs(pt.x() - col) <= 5) return ParamHit::Divider;
  if (pt.x() > col + 5) return ParamHit::Value;
  if (found->m_expandRect.contains(pt)) return ParamHit::ExpandBox;
  return ParamHit::Label;
}

void CParamListWnd::updateCursor(QPoint pt) {
  const ParamHit hit = hitTest(pt);
  if (hit == ParamHit::Divider)
    setCursor(Qt::SplitHCursor);
  else if (hit == ParamHit::ExpandBox)
    setCursor(Qt::PointingHandCursor);
  else
    unsetCursor();
}

void CParamListWnd::mousePressEvent(QMouseEvent* e) {
  if (!inputAllowed() || e->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  CParamItem* it = nullptr;
  const ParamHit hit = hitTest(e->position().toPoint(), &it);
  switch (hit) {
    case ParamHit::Divider:
      if (m_tree->notify(kParamDividerDrag, it) == 0) {
        m_dragging = true;
        m_dragX = m_tree->m_columnWidth;
        update();
      }
      break;
    case ParamHit::ExpandBox:
      if (it->hasChildren()) m_tree->toggleExpanded(it);
      break;
    case ParamHit::Nowhere:
      m_tree->clearSelections();
      m_tree->m_focused = nullptr;
      m_tree->notify(kParamFocusChanged, nullptr);
      m_tree->repaintAll();
      break;
    case ParamHit::Value:
    case ParamHit::Label: {
      const int deletions = m_tree->m_deletions;
      m_tree->clearSelections();
      it->setSelected(true);
      if (it != m_tree->m_focused) {
        m_tree->m_focused = it;
        m_tree->notify(kParamFocusChanged, it);
      }
      if (deletions != m_tree->m_deletions) break;  // the owner deleted rows: the click is spent
      if (hit == ParamHit::Value && !it->isTopLevel() && m_tree->notify(kParamActivating, it) == 0 && !it->isReadOnly())
        it->activate();
      m_tree->m_focused = it;
      m_tree->repaintAll();
      break;
    }
  }
}

void CParamListWnd::mouseMoveEvent(QMouseEvent* e) {
  if (m_dragging) {
    m_dragX = e->position().toPoint().x();
    update();
    return;
  }
  updateCursor(e->position().toPoint());
}

void CParamListWnd::mouseReleaseEvent(QMouseEvent* e) {
  if (!m_dragging || e->button() != Qt::LeftButton) return;
  m_dragging = false;
  const int x = e->position().toPoint().x();
  m_dragX = x;
  m_tree->setColumnWidth(x <= 40 ? 41 : std::min(x, width() - 25));
  m_tree->layoutRows();
  m_tree->repositionAll(true);
  update();
}

void CParamListWnd::mouseDoubleClickEvent(QMouseEvent* e) {
  if (!inputAllowed() || e->button() != Qt::LeftButton) return;
  CParamItem* it = nullptr;
  const ParamHit hit = hitTest(e->position().toPoint(), &it);
  if (hit == ParamHit::Divider) {
    int widest = 0;
    for (CParamItem* v : m_tree->m_visible)
      if (!v->isTopLevel() && !v->m_textRect.isNull()) widest = std::max(widest, rightOf(v->m_textRect));
    m_tree->setColumnWidth(std::min(widest + 5, width() - 25));
    m_tree->layoutRows();
    m_tree->repositionAll(true);
    update();
    return;
  }
  if (!it || !it->hasChildren()) return;
  const bool top = it->isTopLevel();
  if (hit == ParamHit::Value && !top) return;
  if (hit == ParamHit::Label || hit == ParamHit::Value) {
    m_tree->clearSelections();
    it->setSelected(true);
    if (it != m_tree->m_focused) {
      m_tree->m_focused = it;
      m_tree->notify(kParamFocusChanged, it);
    }
  }
  m_tree->toggleExpanded(it);
}

void CParamListWnd::wheelEvent(QWheelEvent* e) {
  if (!inputAllowed()) return;
  if (m_tree->contentHeight() <= height()) return;
  const int dy = e->angleDelta().y();
  if (dy == 0) return;
  setFocus(Qt::MouseFocusReason);
  m_tree->scrollLines(dy > 0 ? -1 : 1);
}

void CParamListWnd::keyPressEvent(QKeyEvent* e) {
  const int key = e->key();
  switch (key) {
    case Qt::Key_Tab: case Qt::Key_Backtab: case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Home:
    case Qt::Key_End: case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
      handleKey(key, e->modifiers());
      e->accept();
      return;
    case Qt::Key_Escape:
      e->accept();  // no cancel, and the dialog must not see it either
      return;
    default:
      QWidget::keyPressEvent(e);
  }
}

void CParamListWnd::handleKey(int key, Qt::KeyboardModifiers mods) {
  if (!inputAllowed()) return;
  CParamTree* t = m_tree;
  CParamItem* f = t->m_focused;
  const bool back = key == Qt::Key_Backtab || (key == Qt::Key_Tab && (mods & Qt::ShiftModifier));
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (f) back ? t->movePrevious() : t->moveNext();
      t->activateFocused();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      t->activateFocused();
      break;
    case Qt::Key_Home:
      if (!t->visibleItems().empty()) t->moveFocusTo(t->m_visible.front());
      break;
    case Qt::Key_End:
      if (!t->visibleItems().empty()) t->moveFocusTo(t->m_visible.back());
      break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const bool left = key == Qt::Key_Left;
      const int deletions = t->m_deletions;
      const bool refused = f && t->notify(kParamExpanding, f) != 0;
      if (deletions != t->m_deletions) break;
      if (f && !refused && f->hasChildren() && f->m_expanded == left) {
        f->setExpanded(!left);
        t->updateScrollRange();
        t->repaintAll();
        break;
      }
      handleKey(left ? Qt::Key_Up : Qt::Key_Down, mods);
      break;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const bool carry = f && f->isEditing();
      key == Qt::Key_Up ? t->movePrevious() : t->moveNext();
      if (carry) t->activateFocused();
      break;
    }
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// CParamInfoPane

CParamInfoPane::CParamInfoPane(CParamTree* tree) : QWidget(tree), m_tree(tree) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CParamInfoPane::texts(QString& title, QString& help, QString& message) const {
  title.clear();
  help.clear();
  message.clear();
  if (const CParamItem* f = m_tree->focusedItem()) {
    title = f->label();
    help = f->helpText();
    message = f->messageText();
  } else if (m_tree->options() & kTreeShowIdleText) {
    title = QStringLiteral("No Item Selected");
    help = QStringLiteral("Select an item to see its description.");
  }
}

void CParamInfoPane::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), faceColor());
  sunkenOuterEdge(p, rect());
  const QRect r = rect().adjusted(4, 4, -4, -4);
  p.setClipRect(r);
  p.setPen(m_tree->isEnabled() ? sys(QPalette::ButtonText) : greyText());
  QString title, help, message;
  texts(title, help, message);
  int y = r.top();
  if (!title.isEmpty()) {
    p.setFont(ParamFonts::bold());
    const QFontMetrics fm(ParamFonts::bold());
    p.drawText(QRect(r.left(), y, r.width(), fm.height()), Qt::AlignLeft | Qt::TextSingleLine, title);
    y += fm.height();
  }
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
  if (!help.isEmpty()) {
    p.setFont(ParamFonts::normal());
    QRect used;
    p.drawText(QRect(r.left(), y, r.width(), 10000), flags, help, &used);
    y += used.height();
  }
  if (!message.isEmpty()) {
    p.setFont(ParamFonts::bold());
    p.setPen(QColor(255, 0, 0));
    p.drawText(QRect(r.left(), y, r.width(), 10000), flags, message);
  }
}
