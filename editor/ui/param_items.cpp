#include "param_items.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QRegularExpression>
#include <QTextBlock>

namespace {

int g_beeps = 0;

CParamListWnd* rowsOf(CParamItem* row) { return row->tree() ? row->tree()->listWnd() : nullptr; }

void passOn(CParamItem* row, int key, Qt::KeyboardModifiers mods) {
  if (CParamListWnd* list = rowsOf(row)) list->handleKey(key, mods);
}

bool isModifierKey(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
         key == Qt::Key_AltGr || key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock;
}

bool tabKey(const QEvent* e) {
  if (e->type() != QEvent::KeyPress) return false;
  const int k = static_cast<const QKeyEvent*>(e)->key();
  return k == Qt::Key_Tab || k == Qt::Key_Backtab;
}

// Draws a value the way an idle editor would show it.
void drawValueText(QPainter& p, const QRect& r, const QString& text, const CParamItem* row, bool multiLine) {
  const bool grey = row->isReadOnly() || (row->tree() && !row->tree()->isEnabled());
  p.setFont(ParamFonts::normal());
  p.setPen(grey ? paramGreyText() : row->valueTextColor());
  const int flags = multiLine ? (Qt::AlignLeft | Qt::AlignTop) : (Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine);
  p.drawText(r, flags, text);
}

// Drop-down lists open below their field, as a list box does, instead of over it.
class DropDownStyle : public QProxyStyle {
 public:
  explicit DropDownStyle(const QString& base) : QProxyStyle(base) {}
  int styleHint(StyleHint hint, const QStyleOption* opt, const QWidget* w, QStyleHintReturn* ret) const override {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, opt, w, ret);
  }
};

QStyle* dropDownStyle() {
  static QStyle* style = new DropDownStyle(QApplication::style()->name());
  return style;
}

}  // namespace

int paramBeepCount() { return g_beeps; }

void paramBeep() {
  ++g_beeps;
  QApplication::beep();
}

// ---------------------------------------------------------------------------
// Either row

QWidget* CParamWidgetItem::idleEditor() const { return tree() && !m_hasFocus ? editor() : nullptr; }

void CParamWidgetItem::repositionOnly() {
  if (QWidget* w = editor()) w->setGeometry(valueRect());
}

void CParamWidgetItem::endEditing() { hideEditor(editor()); }

void CParamWidgetItem::deselected() { hideEditor(editor()); }

// ---------------------------------------------------------------------------
// Drop-down list

class ParamComboBox : public QComboBox {
 public:
  ParamComboBox(CParamComboItem* row, QWidget* parent) : QComboBox(parent), m_row(row) {}

 protected:
  bool event(QEvent* e) override {
    if (tabKey(e)) {
      keyPressEvent(static_cast<QKeyEvent*>(e));
      return true;
    }
    return QComboBox::event(e);
  }
  void keyPressEvent(QKeyEvent* e) override {
    switch (e->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Tab:
        passOn(m_row, Qt::Key_Tab, e->modifiers());
        return;
      case Qt::Key_Backtab:
        passOn(m_row, Qt::Key_Tab, e->modifiers() | Qt::ShiftModifier);
        return;
      case Qt::Key_Escape:
        e->accept();
        return;
      default:
        QComboBox::keyPressEvent(e);
    }
  }
  void focusInEvent(QFocusEvent* e) override {
    m_row->m_hasFocus = true;
    QComboBox::focusInEvent(e);
  }
  void focusOutEvent(QFocusEvent* e) override {
    m_row->m_hasFocus = false;
    QComboBox::focusOutEvent(e);
  }

 private:
  CParamComboItem* m_row;
};

CParamComboItem::CParamComboItem() : CParamWidgetItem(EditorKind::Combo) {}

CParamComboItem::~CParamComboItem() { delete m_combo; }

bool CParamComboItem::createEditor(uint32_t extraStyle) {
  QWidget* rows = rowWindow();
  if (!rows || m_combo) return false;
  m_sorted = extraStyle & kComboSorted;
  m_combo = new ParamComboBox(this, rows);
  m_combo->setStyle(dropDownStyle());
  m_combo->setFont(ParamFonts::normal());
  m_combo->setFocusPolicy(Qt::ClickFocus);
  m_combo->setMaxVisibleItems(8);
  m_combo->setGeometry(valueRect());
  m_combo->hide();
  // A completed choice is a commit.
  QObject::connect(m_combo, &QComboBox::activated, m_combo, [this](int) { commit(); });
  return true;
}

int CParamComboItem::addOption(const QString& text, const QVariant& data) {
  if (!m_combo) return -1;
  int at = m_combo->count();
  if (m_sorted) {
    at = 0;
    while (at < m_combo->count() && QString::compare(m_combo->itemText(at), text, Qt::CaseInsensitive) <= 0) ++at;
  }
  m_combo->insertItem(at, text, data);
  return at;
}

QString CParamComboItem::currentText() const { return m_combo ? m_combo->currentText() : QString(); }

QWidget* CParamComboItem::editor() const { return m_combo; }

void CParamComboItem::drawValue(QPainter& p, const QRect& r) {
  QWidget* w = idleEditor();
  if (!w) return;
  w->setGeometry(r);
  drawValueText(p, r, m_combo->currentText(), this, false);
}

void CParamComboItem::activateEditor() {
  if (!m_combo) return;
  m_combo->show();
  m_combo->setGeometry(valueRect());
  m_combo->raise();
  m_combo->setFocus(Qt::OtherFocusReason);
}

void CParamComboItem::reposition() {
  if (!m_combo) return;
  m_combo->setGeometry(valueRect());
  if (!m_combo->hasFocus() && !m_combo->view()->isVisible()) m_combo->hide();
}

void CParamComboItem::destroyEditor() {
  delete m_combo;
  m_combo = nullptr;
  m_hasFocus = false;
}

// ---------------------------------------------------------------------------
// Single-line text box

class ParamLineEdit : public QLineEdit {
 public:
  ParamLineEdit(CParamEditItem* row, QWidget* parent) : QLineEdit(parent), m_row(row) {}

  EditState state() const {
    EditState st;
    st.text = text();
    if (hasSelectedText()) {
      st.selStart = selectionStart();
      st.selEnd = selectionEnd();
    } else {
      st.selStart = st.selEnd = cursorPosition();
    }
    return st;
  }

  void apply(const EditState& st) {
    if (st.text != text()) setText(st.text);
    if (st.selEnd > st.selStart)
      setSelection(st.selStart, st.selEnd - st.selStart);
    else
      setCursorPosition(st.selStart);
  }

  // Pasting skips the character filter, as typing through the clipboard always
  // did, but keeps to the length limit and the first line.
  void pasteLimited() {
    QString clip = QApplication::clipboard()->text();
    const int nl = clip.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (nl >= 0) clip.truncate(nl);
    if (clip.isEmpty()) return;
    EditState st = state();
    if (!paraminput::insertText(m_row->m_maxLength, st, clip))
      paramBeep();
    else
      apply(st);
  }

 protected:
  bool event(QEvent* e) override {
    if (tabKey(e)) {
      keyPressEvent(static_cast<QKeyEvent*>(e));
      return true;
    }
    return QLineEdit::event(e);
  }

  void keyPressEvent(QKeyEvent* e) override {
    const int key = e->key();
    const auto mods = e->modifiers();
    const bool sel = hasSelectedText();
    switch (key) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Tab:
      case Qt::Key_Backtab:
        passOn(m_row, key == Qt::Key_Backtab ? Qt::Key_Backtab : Qt::Key_Tab, mods);
        return;
      case Qt::Key_Up:
      case Qt::Key_Down:
        passOn(m_row, key, mods);
        return;
      case Qt::Key_Left:
        if (!sel && cursorPosition() == 0) return passOn(m_row, Qt::Key_Up, mods);
        break;
      case Qt::Key_Right:
        if (!sel && cursorPosition() == text().size()) return passOn(m_row, Qt::Key_Down, mods);
        break;
      case Qt::Key_Escape:
        e->accept();  // the dialog must not see it
        m_row->cancel();
        return;
      default:
        break;
    }
    // Checked before the filter, which refuses the control character it carries.
    if (e->matches(QKeySequence::SelectAll)) {
      selectAll();
      return;
    }
    const uint32_t flags = m_row->m_flags;
    if ((flags & kInputHex) && !isModifierKey(key)) {
      EditState st = state();
      if (paraminput::ensureHexPrefix(st)) apply(st);
      if (key == Qt::Key_Delete && st.selStart < 2) {
        paramBeep();
        return;
      }
    }
    if (e->matches(QKeySequence::Paste)) {
      // Ctrl+V arrives as a character, which a number row's filter refuses;
      // Shift+Insert is a key and pastes in every row.
      if ((flags & (kInputHex | kInputInteger | kInputReal)) && (mods & Qt::ControlModifier))
        paramBeep();
      else
        pasteLimited();
      return;
    }
    QString typed = e->text();
    if (key == Qt::Key_Backspace) typed = QStringLiteral("\b");
    if (key == Qt::Key_Delete || typed.isEmpty()) return QLineEdit::keyPressEvent(e);
    const bool filtered = flags & (kInputHex | kInputInteger | kInputReal);
    const bool control = typed[0].unicode() < 0x20 && typed[0] != u'\b';
    if (control) {
      if (filtered)
        paramBeep();
      else
        QLineEdit::keyPressEvent(e);
      return;
    }
    for (QChar ch : typed) {
      EditState st = state();
      const bool ok = paraminput::applyTypedChar(flags, m_row->m_maxLength, st, ch);
      apply(st);
      if (!ok) paramBeep();
    }
  }

  void contextMenuEvent(QContextMenuEvent* e) override {
    QMenu* menu = createStandardContextMenu();
    for (QAction* a : menu->actions()) {
      if (a->objectName() == QLatin1String("edit-paste")) {
        QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
        QObject::connect(a, &QAction::triggered, this, [this] { pasteLimited(); });
      }
    }
    menu->exec(e->globalPos());
    delete menu;
  }

  void focusInEvent(QFocusEvent* e) override {
    m_row->m_hasFocus = true;
    QLineEdit::focusInEvent(e);
  }
  void focusOutEvent(QFocusEvent* e) override {
    m_row->m_hasFocus = false;
    QLineEdit::focusOutEvent(e);
  }

 private:
  CParamEditItem* m_row;
};

// ---------------------------------------------------------------------------
// Multi-line text box

class ParamTextEdit : public QPlainTextEdit {
 public:
  ParamTextEdit(CParamEditItem* row, QWidget* parent) : QPlainTextEdit(parent), m_row(row) {}

 protected:
  bool event(QEvent* e) override {
    if (tabKey(e)) {
      keyPressEvent(static_cast<QKeyEvent*>(e));
      return true;
    }
    return QPlainTextEdit::event(e);
  }

  bool roomFor(int n) const {
    if (m_row->m_maxLength < 0) return true;
    const QTextCursor c = textCursor();
    const int kept = toPlainText().size() - (c.selectionEnd() - c.selectionStart());
    return kept + n <= m_row->m_maxLength;
  }

  void keyPressEvent(QKeyEvent* e) override {
    const int key = e->key();
    const auto mods = e->modifiers();
    QTextCursor c = textCursor();
    const bool sel = c.hasSelection();
    switch (key) {
      case Qt::Key_Tab:
      case Qt::Key_Backtab:
        passOn(m_row, key, mods);
        return;
      case Qt::Key_Up:
      case Qt::Key_Down: {
        QTextCursor probe = c;
        if (!probe.movePosition(key == Qt::Key_Up ? QTextCursor::Up : QTextCursor::Down))
          return passOn(m_row, key, mods);
        break;
      }
      case Qt::Key_Left:
        if (!sel && c.position() == 0) return passOn(m_row, Qt::Key_Up, mods);
        break;
      case Qt::Key_Right:
        if (!sel && c.atEnd()) return passOn(m_row, Qt::Key_Down, mods);
        break;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (!(m_row->m_style & kEditWantReturn)) return passOn(m_row, Qt::Key_Tab, mods);
        if (!roomFor(1)) return paramBeep();
        break;
      case Qt::Key_Escape:
        e->accept();
        m_row->cancel();
        return;
      default: {
        const QString typed = e->text();
        if (!typed.isEmpty() && typed[0].isPrint() && !roomFor(int(typed.size()))) return paramBeep();
      }
    }
    QPlainTextEdit::keyPressEvent(e);
  }

  void insertFromMimeData(const QMimeData* source) override {
    QString t = source->text();
    if (m_row->m_maxLength >= 0) {
      const QTextCursor c = textCursor();
      const int room = m_row->m_maxLength - (int(toPlainText().size()) - (c.selectionEnd() - c.selectionStart()));
      if (room <= 0) return paramBeep();
      t.truncate(room);
    }
    insertPlainText(t);
  }

  void focusInEvent(QFocusEvent* e) override {
    m_row->m_hasFocus = true;
    QPlainTextEdit::focusInEvent(e);
  }
  void focusOutEvent(QFocusEvent* e) override {
    m_row->m_hasFocus = false;
    QPlainTextEdit::focusOutEvent(e);
  }

 private:
  CParamEditItem* m_row;
};

// ---------------------------------------------------------------------------
// Text row

CParamEditItem::CParamEditItem() : CParamWidgetItem(EditorKind::Edit) {}

CParamEditItem::~CParamEditItem() {
  delete m_line;
  delete m_multi;
}

bool CParamEditItem::createEditor(uint32_t inputFlags, uint32_t extraStyle, int maxLength) {
  m_maxLength = maxLength;
  QWidget* rows = rowWindow();
  if (!rows || editor()) return false;
  m_flags = inputFlags;
  m_style = extraStyle;
  QWidget* w;
  if (inputFlags & kInputMultiLine) {
    setRowHeight(kMultiLineRowHeight);
    m_multi = new ParamTextEdit(this, rows);
    m_multi->setVerticalScrollBarPolicy((extraStyle & kEditAutoVScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    m_multi->setTabChangesFocus(false);
    w = m_multi;
  } else {
    m_line = new ParamLineEdit(this, rows);
    if (inputFlags & kInputPassword) m_line->setEchoMode(QLineEdit::Password);
    m_line->setDragEnabled(false);
    m_line->setAcceptDrops(false);
    m_line->setCursorPosition(0);
    w = m_line;
  }
  w->setFont(ParamFonts::normal());
  w->setFocusPolicy(Qt::ClickFocus);
  w->setGeometry(valueRect());
  w->hide();
  return true;
}

QWidget* CParamEditItem::editor() const {
  if (m_line) return m_line;
  return m_multi;
}

QString CParamEditItem::text() const {
  if (m_line) return m_line->text();
  if (m_multi) return m_multi->toPlainText();
  return QString();
}

void CParamEditItem::setText(const QString& s) {
  // A value set by the owner is what Escape goes back to from now on.
  m_openedWith = s;
  putText(s);
}

void CParamEditItem::putText(const QString& s) {
  if (m_line) {
    m_line->setText(s);
    m_line->setCursorPosition(0);
  } else if (m_multi) {
    m_multi->setPlainText(s);
  }
  requestRepaint();
}

void CParamEditItem::restoreValue() {
  if (text() != m_openedWith) putText(m_openedWith);
}

void CParamEditItem::drawValue(QPainter& p, const QRect& r) {
  QWidget* w = idleEditor();
  if (!w) return;
  w->setGeometry(r);
  QString shown = text();
  if (m_flags & kInputPassword) shown = QString(shown.size(), u'*');
  drawValueText(p, r, shown, this, m_flags & kInputMultiLine);
}

void CParamEditItem::activateEditor() {
  QWidget* w = editor();
  if (!w) return;
  m_openedWith = text();
  w->show();
  // The whole value is selected, so typing replaces it; a hexadecimal row keeps
  // its "0x", which typing could not replace anyway.
  if (m_line) {
    const int from = (m_flags & kInputHex) && text().startsWith(QLatin1String("0x")) ? 2 : 0;
    m_line->setSelection(from, int(text().size()) - from);
  } else {
    m_multi->selectAll();
    m_multi->ensureCursorVisible();
  }
  w->setGeometry(valueRect());
  w->raise();
  w->setFocus(Qt::OtherFocusReason);
}

void CParamEditItem::reposition() {
  QWidget* w = editor();
  if (!w) return;
  w->setGeometry(valueRect());
  if (!w->hasFocus()) w->hide();
}

void CParamEditItem::destroyEditor() {
  delete m_line;
  delete m_multi;
  m_line = nullptr;
  m_multi = nullptr;
  m_hasFocus = false;
}
