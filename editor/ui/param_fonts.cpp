#include "param_fonts.h"

#include <QApplication>
#include <QFontDatabase>

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

void ParamFonts::addUser() {
  FontStore& fs = fontStore();
  if (fs.trees++ == 0 || !fs.built) buildFonts(fs);
}

void ParamFonts::removeUser() {
  FontStore& fs = fontStore();
  if (--fs.trees == 0) fs.built = false;
}
