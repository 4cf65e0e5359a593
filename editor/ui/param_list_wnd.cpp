#include "param_list_wnd.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "param_paint.h"
#include "param_tree.h"

using namespace param_paint;

CParamListWnd::CParamListWnd(CParamTree* tree) : QWidget(tree), m_tree(tree) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
}

bool CParamListWnd::inputAllowed() const { return m_tree->m_inputLock == 0 && m_tree->isEnabled(); }

bool CParamListWnd::event(QEvent* e) {
  // A label cut short to fit its column shows whole in a tooltip.
  if (e->type() == QEvent::ToolTip) {
    auto* h = static_cast<QHelpEvent*>(e);
    CParamItem* it = nullptr;
    const ParamHit hit = hitTest(h->pos(), &it);
    const bool onLabel = hit == ParamHit::Label || hit == ParamHit::ExpandBox || (it && it->isTopLevel());
    if (onLabel && it && it->m_shownLabel != it->m_label && !it->m_label.trimmed().isEmpty())
      QToolTip::showText(h->globalPos(), it->m_label, this, it->m_labelRect);
    else
      QToolTip::hideText();
    return true;
  }
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
    // Measured whole: the drawn text of a shortened label is only as wide as the column.
    const QFontMetrics fm(ParamFonts::normal());
    int widest = 0;
    for (CParamItem* v : m_tree->m_visible)
      if (!v->isTopLevel() && !v->m_textRect.isNull())
        widest = std::max(widest, v->m_textRect.left() + fm.horizontalAdvance(v->m_label));
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
