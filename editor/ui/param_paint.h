// The system colours and edges the tree's windows draw with.
#pragma once

#include <QApplication>
#include <QColor>
#include <QPainter>
#include <QPalette>
#include <QRect>

#include "param_fonts.h"

namespace param_paint {

inline QColor sys(QPalette::ColorRole role) { return QApplication::palette().color(QPalette::Active, role); }
inline QColor windowColor() { return sys(QPalette::Base); }
inline QColor faceColor() { return sys(QPalette::Button); }
inline QColor shadowColor() { return sys(QPalette::Dark); }
inline QColor greyText() { return paramGreyText(); }

inline void sunkenOuterEdge(QPainter& p, const QRect& r) {
  p.fillRect(r.left(), r.top(), r.width(), 1, shadowColor());
  p.fillRect(r.left(), r.top(), 1, r.height(), shadowColor());
  p.fillRect(r.left(), r.bottom(), r.width(), 1, sys(QPalette::Light));
  p.fillRect(r.right(), r.top(), 1, r.height(), sys(QPalette::Light));
}

// Right edge, exclusive.
inline int rightOf(const QRect& r) { return r.left() + r.width(); }

}  // namespace param_paint
