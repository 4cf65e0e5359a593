#pragma once

#include <QColor>
#include <QFont>

// The fonts all trees share: the menu font and its bold twin.
struct ParamFonts {
  static const QFont& normal();
  static const QFont& bold();
  static void rebuild();
  static int generation();
  // Every tree holds the fonts while it lives; the last one gone lets them be
  // built again, for the next tree's application font.
  static void addUser();
  static void removeUser();
};

// The grey of read-only values and of a disabled tree's texts.
QColor paramGreyText();
