// What a text row of the property tree accepts, and how its text reads as a number.
// Kept apart from the widgets so the rules can be tested without a window.
#pragma once

#include <QString>
#include <cstdint>

// Input flags of a CParamEditItem.
enum : uint32_t {
  kInputReal = 0x20,
  kInputHex = 0x40,
  kInputInteger = 0x100,
  kInputPassword = 0x400,
  kInputMultiLine = 0x40000,
};

// Text and selection of a text box, the selection as [selStart, selEnd).
struct EditState {
  QString text;
  int selStart = 0;
  int selEnd = 0;
};

namespace paraminput {

// Applies one typed character ('\b' is backspace) as the row's filter decides and
// returns false when the character is refused (the box beeps). The state may change
// even on refusal: a hexadecimal box gets its "0x" prefix first. maxLength < 0: no limit.
bool applyTypedChar(uint32_t inputFlags, int maxLength, EditState& st, QChar ch);

// Inserts text over the selection the way a text box does, cut to the length limit;
// false when nothing fits.
bool insertText(int maxLength, EditState& st, const QString& text);

// Gives a hexadecimal text its "0x" prefix, shifting the selection; true when it did.
bool ensureHexPrefix(EditState& st);

// A number both a C integer and a C real parse start on, with nothing after the
// longer parse but a type suffix ("fFlL" after a real, "uUlL" after an integer).
bool isValidNumber(const QString& text);

// Readers by row mode: false when the mode differs or the text is not a valid number.
bool readInteger(uint32_t inputFlags, const QString& text, long& value);
bool readReal(uint32_t inputFlags, const QString& text, double& value);
bool readHex(uint32_t inputFlags, const QString& text, unsigned long& value);

}  // namespace paraminput
