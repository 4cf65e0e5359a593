#include "param_input.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace paraminput {
namespace {

// Numbers in rows always use "." whatever the user's locale says.
locale_t cLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
  return loc;
}

double parseReal(const char* s, char** end) { return strtod_l(s, end, cLocale()); }

bool isSign(QChar c) { return c == u'+' || c == u'-'; }

void removeSelection(EditState& st) {
  st.text.remove(st.selStart, st.selEnd - st.selStart);
  st.selEnd = st.selStart;
}

bool backspace(EditState& st) {
  if (st.selEnd > st.selStart) {
    removeSelection(st);
  } else if (st.selStart > 0) {
    st.text.remove(st.selStart - 1, 1);
    st.selEnd = --st.selStart;
  }
  return true;
}

// True when a digit 1 to 9 (or, in a real row, a ".") comes before position end.
bool significantBefore(const QString& text, int end, bool real) {
  for (int i = 0; i < end; ++i) {
    QChar c = text[i];
    if ((c >= u'1' && c <= u'9') || (real && c == u'.')) return true;
  }
  return false;
}

bool numericChar(bool real, int maxLength, EditState& st, QChar ch) {
  const int pos = st.selStart;
  if (ch == u'\b') return backspace(st);
  // Only the text that stays counts: a sign or a dot typed over a selected value passes.
  const QString kept = st.text.left(st.selStart) + st.text.mid(st.selEnd);
  if (isSign(ch)) {
    if (pos != 0 || kept.contains(u'+') || kept.contains(u'-')) return false;
    return insertText(maxLength, st, QString(ch));
  }
  if (ch >= u'0' && ch <= u'9') {
    // A lone leading zero gives way to the next digit.
    if (pos > 0 && st.text[pos - 1] == u'0' && !significantBefore(st.text, pos - 1, real)) {
      st.text.remove(pos - 1, st.selEnd - (pos - 1));
      st.selStart = st.selEnd = pos - 1;
      st.text.insert(st.selStart, ch);
      st.selEnd = ++st.selStart;
      return true;
    }
    return insertText(maxLength, st, QString(ch));
  }
  if (real && ch == u'.') {
    if (kept.contains(u'.')) return false;
    if (pos == 0 || (pos == 1 && isSign(st.text[0]))) return insertText(maxLength, st, QStringLiteral("0."));
    return insertText(maxLength, st, QStringLiteral("."));
  }
  return false;
}

bool hexChar(int maxLength, EditState& st, QChar ch) {
  ensureHexPrefix(st);
  // A selection reaching past the prefix (Select All) replaces the digits only.
  if (st.selStart < 2 && st.selEnd > 2) st.selStart = 2;
  const bool hasSel = st.selEnd > st.selStart;
  if (ch == u'\b') {
    if (hasSel ? st.selStart < 2 : st.selStart <= 2) return false;
    return backspace(st);
  }
  if (ch >= u'a' && ch <= u'f') ch = QChar(ch.unicode() - u'a' + u'A');
  const bool hexDigit = (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'F');
  if (!hexDigit || st.selStart < 2) return false;
  return insertText(maxLength, st, QString(ch));
}

}  // namespace

bool insertText(int maxLength, EditState& st, const QString& text) {
  QString piece = text;
  const int kept = st.text.size() - (st.selEnd - st.selStart);
  if (maxLength >= 0 && kept + piece.size() > maxLength) {
    const int room = maxLength - kept;
    if (room <= 0) return false;
    piece.truncate(room);
  }
  removeSelection(st);
  st.text.insert(st.selStart, piece);
  st.selStart += piece.size();
  st.selEnd = st.selStart;
  return true;
}

bool ensureHexPrefix(EditState& st) {
  if (st.text.startsWith(QLatin1String("0x"))) return false;
  st.text.prepend(QLatin1String("0x"));
  st.selStart += 2;
  st.selEnd += 2;
  return true;
}

bool applyTypedChar(uint32_t inputFlags, int maxLength, EditState& st, QChar ch) {
  if (inputFlags & kInputHex) return hexChar(maxLength, st, ch);
  if (inputFlags & (kInputInteger | kInputReal)) return numericChar(inputFlags & kInputReal, maxLength, st, ch);
  if (ch == u'\b') return backspace(st);
  return insertText(maxLength, st, QString(ch));
}

bool isValidNumber(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  const char* s = bytes.constData();
  char* intEnd = nullptr;
  char* realEnd = nullptr;
  std::strtol(s, &intEnd, 10);
  parseReal(s, &realEnd);
  const long intLen = intEnd - s;
  const long realLen = realEnd - s;
  if (intLen < 1 || realLen < 1) return false;
  const bool realLonger = realLen > intLen;
  const char next = s[realLonger ? realLen : intLen];
  if (next == '\0') return true;
  return std::strchr(realLonger ? "fFlL" : "uUlL", next) != nullptr;
}

bool readInteger(uint32_t inputFlags, const QString& text, long& value) {
  if (!(inputFlags & kInputInteger) || !isValidNumber(text)) return false;
  value = std::strtol(text.toUtf8().constData(), nullptr, 10);
  return true;
}

bool readReal(uint32_t inputFlags, const QString& text, double& value) {
  if (!(inputFlags & kInputReal) || !isValidNumber(text)) return false;
  value = parseReal(text.toUtf8().constData(), nullptr);
  return true;
}

bool readHex(uint32_t inputFlags, const QString& text, unsigned long& value) {
  if (!(inputFlags & kInputHex) || !isValidNumber(text)) return false;
  value = std::strtoul(text.toUtf8().constData(), nullptr, 16);
  return true;
}

}  // namespace paraminput
