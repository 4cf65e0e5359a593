// The two editing rows of CParamTree: a drop-down list and a text box. A row's
// value is its editor's text; nothing else stores it.
#pragma once

#include <QVariant>

#include "param_input.h"
#include "param_tree.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// Extra editor styles, with the values the row builders pass on.
enum : uint32_t {
  kEditAutoVScroll = 0x40,
  kEditWantReturn = 0x1000,
  kComboSorted = 0x100,
};

// Counts refused keys (each also beeps), so tests can tell a refusal from a no-op.
int paramBeepCount();
void paramBeep();

// What the two rows share: an editor widget of their own, shown over the value
// while the row is edited and drawn as plain text while it is not.
class CParamWidgetItem : public CParamItem {
 public:
  using CParamItem::CParamItem;

  bool hasEditorFocus() const { return m_hasFocus; }

  void repositionOnly() override;
  void endEditing() override;
  void deselected() override;

 protected:
  // The editor to draw the idle value under, or nullptr while the editor
  // shows the value itself (it has focus) or there is nothing to draw.
  QWidget* idleEditor() const;

  bool m_hasFocus = false;
};

class CParamComboItem : public CParamWidgetItem {
 public:
  CParamComboItem();
  ~CParamComboItem() override;

  // Makes the hidden drop-down list; false on an unattached row or a second call.
  bool createEditor(uint32_t extraStyle = 0);
  QComboBox* comboBox() const { return m_combo; }
  // Adds an entry, in sorted position when the list was made sorted; returns its index.
  int addOption(const QString& text, const QVariant& data = QVariant());
  QString currentText() const;

  QWidget* editor() const override;
  void drawValue(QPainter& p, const QRect& r) override;
  void activateEditor() override;
  void reposition() override;
  void destroyEditor() override;

 private:
  friend class ParamComboBox;
  QComboBox* m_combo = nullptr;
  bool m_sorted = false;
};

class CParamEditItem : public CParamWidgetItem {
 public:
  CParamEditItem();
  ~CParamEditItem() override;

  // Makes the hidden text box; the flags and the length limit (< 0: none) are kept
  // even when it fails (unattached row, or a second call).
  bool createEditor(uint32_t inputFlags, uint32_t extraStyle = 0, int maxLength = -1);
  uint32_t inputFlags() const { return m_flags; }
  int maxLength() const { return m_maxLength; }
  QString text() const;
  // Sets the value as given; the length limit only bounds what the user types.
  void setText(const QString& s);
  bool readInteger(long& v) const { return paraminput::readInteger(m_flags, text(), v); }
  bool readReal(double& v) const { return paraminput::readReal(m_flags, text(), v); }
  bool readHex(unsigned long& v) const { return paraminput::readHex(m_flags, text(), v); }
  QLineEdit* lineEdit() const { return m_line; }
  QPlainTextEdit* textEdit() const { return m_multi; }

  QWidget* editor() const override;
  void drawValue(QPainter& p, const QRect& r) override;
  void activateEditor() override;
  void reposition() override;
  void restoreValue() override;
  void destroyEditor() override;

 private:
  friend class ParamLineEdit;
  friend class ParamTextEdit;
  void putText(const QString& s);
  QString m_openedWith;  // what Escape goes back to
  uint32_t m_flags = 0;
  uint32_t m_style = 0;
  int m_maxLength = -1;
  QLineEdit* m_line = nullptr;
  QPlainTextEdit* m_multi = nullptr;
};
