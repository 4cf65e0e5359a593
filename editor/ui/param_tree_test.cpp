// The property tree driven through mouse and keyboard, headless.
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

#include "param_items.h"
#include "param_tree.h"

namespace {

struct Recorder : ParamTreeOwner {
  struct Note {
    int code;
    int id;  // -1: no row
  };
  std::vector<Note> notes;
  std::map<int, int> answers;  // code -> answer
  int paramTreeNotify(const ParamTreeNotify& n) override {
    notes.push_back({n.code, n.item ? n.item->id() : -1});
    auto it = answers.find(n.code);
    return it == answers.end() ? 0 : it->second;
  }
  int count(int code, int id) const {
    int c = 0;
    for (const Note& n : notes)
      if (n.code == code && n.id == id) ++c;
    return c;
  }
};

enum Id { kTemps = 100, kFans = 101, kTemp1 = 1000, kUsage, kInt, kReal, kHex, kLocked, kPass, kNotes, kFan1 = 2000, kFanSpeed };

}  // namespace

class ParamTreeTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void typingInRows_data();
  void typingInRows();
  void hexDeleteInPrefix();
  void dividerDrag_data();
  void dividerDrag();
  void dividerDragCancelled();
  void dividerDoubleClickFitsLabels();
  void columnWidthLimits_data();
  void columnWidthLimits();
  void collapsingHidesFocus();
  void clickInHeadingValueOpensNothing();
  void clickInValue_data();
  void clickInValue();
  void enterAndEscape();
  void editorOpensWholeTextSelected_data();
  void editorOpensWholeTextSelected();
  void escapeRestoresOpeningValue_data();
  void escapeRestoresOpeningValue();
  void ctrlASelectsAll_data();
  void ctrlASelectsAll();
  void readOnlyClosesOpenEditor_data();
  void readOnlyClosesOpenEditor();
  void longLabelTooltip_data();
  void longLabelTooltip();
  void dividerDoubleClickFitsLongLabel();
  void arrowsCarryEditor();
  void focusLeavingTreeKeepsEdit();
  void comboCommitsOnSelection();
  void keyboardMoves();
  void leftRightExpandCollapse();
  void insertDeleteAndSequence();
  void labelsShortenedPaneWhole();
  void paneTexts();
  void wheelScrollsOneLine();
  void passwordAndMultiLine();
  void ownerMayDeleteRows();
  void destroyedWhileFocused();

 private:
  CParamItem* row(int id) const { return tree->findItem(id); }
  QPoint labelPoint(int id);
  QPoint valuePoint(int id);
  CParamEditItem* edit(int id) const { return static_cast<CParamEditItem*>(row(id)); }
  void click(QPoint p) { QTest::mouseClick(tree->listWnd(), Qt::LeftButton, {}, p); }

  QWidget* window = nullptr;
  QLineEdit* outside = nullptr;
  CParamTree* tree = nullptr;
  Recorder owner;
};

QPoint ParamTreeTest::labelPoint(int id) {
  tree->visibleItems();
  CParamItem* it = row(id);
  return QPoint(it->labelRect().left() + 10, it->top() + 8);
}

QPoint ParamTreeTest::valuePoint(int id) {
  tree->visibleItems();
  CParamItem* it = row(id);
  return QPoint(tree->columnWidth() + 40, it->top() + 8);
}

void ParamTreeTest::init() {
  owner = Recorder();
  window = new QWidget;
  window->resize(420, 520);
  outside = new QLineEdit(window);
  outside->setGeometry(0, 0, 100, 20);
  tree = new CParamTree(kTreeShowInfoPane | kTreeGutterFace | kTreeTopRowsFace, window);
  tree->setGeometry(0, 30, 420, 490);
  tree->setNotify(true, &owner);

  auto heading = [&](int id, const QString& label) {
    auto* it = tree->insertItem(new CParamItem);
    it->setId(id);
    it->setLabel(label);
    return it;
  };
  auto combo = [&](CParamItem* parent, int id, const QString& label, QStringList options) {
    auto* it = new CParamComboItem;
    tree->insertItem(it, parent);
    it->setId(id);
    it->setLabel(label);
    it->createEditor();
    for (const QString& o : options) it->addOption(o);
    return it;
  };
  auto text = [&](CParamItem* parent, int id, const QString& label, uint32_t flags, int max = -1) {
    auto* it = new CParamEditItem;
    tree->insertItem(it, parent);
    it->setId(id);
    it->setLabel(label);
    it->setHelpText(label + QStringLiteral(" help"));
    it->createEditor(flags, (flags & kInputMultiLine) ? uint32_t(kEditWantReturn) : 0u, max);
    return it;
  };
  CParamItem* temps = heading(kTemps, QStringLiteral("Temperature Monitors"));
  CParamItem* t1 = combo(temps, kTemp1, QStringLiteral("Temperature Monitor 1"), {"FALSE", "TRUE"});
  combo(t1, kUsage, QStringLiteral("Usage"), {"", "Ambient", "Processor"});
  text(t1, kInt, QStringLiteral("Integer"), kInputInteger);
  text(t1, kReal, QStringLiteral("Real"), kInputReal);
  text(t1, kHex, QStringLiteral("Hex"), kInputHex, 4);
  text(t1, kLocked, QStringLiteral("Locked"), kInputInteger)->setReadOnly(true);
  text(t1, kPass, QStringLiteral("Password"), kInputPassword);
  text(t1, kNotes, QStringLiteral("Notes"), kInputMultiLine);
  CParamItem* fans = heading(kFans, QStringLiteral("Fan Monitors"));
  CParamItem* f1 = combo(fans, kFan1, QStringLiteral("Fan Monitor 1"), {"FALSE", "TRUE"});
  text(f1, kFanSpeed, QStringLiteral("Speed"), kInputInteger);
  tree->expandAll();
  window->show();
  QVERIFY(QTest::qWaitForWindowActive(window));
  owner.notes.clear();
}

void ParamTreeTest::cleanup() {
  delete window;
  window = nullptr;
}

void ParamTreeTest::typingInRows_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<QString>("keys");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("beeps");
  QTest::newRow("integer 0 then 5") << int(kInt) << "05" << "5" << 0;
  QTest::newRow("integer minus after digit") << int(kInt) << "7-" << "7" << 1;
  QTest::newRow("real dot first") << int(kReal) << "." << "0." << 0;
  QTest::newRow("hex a into empty") << int(kHex) << "a" << "0xA" << 0;
  QTest::newRow("hex limit counts prefix") << int(kHex) << "abc" << "0xAB" << 1;
  QTest::newRow("plain text unfiltered") << int(kPass) << "a-.5" << "a-.5" << 0;
}

void ParamTreeTest::typingInRows() {
  QFETCH(int, id);
  QFETCH(QString, keys);
  QFETCH(QString, text);
  QFETCH(int, beeps);
  click(valuePoint(id));
  QLineEdit* box = edit(id)->lineEdit();
  QVERIFY(box->isVisible());
  QVERIFY(box->hasFocus());
  const int before = paramBeepCount();
  QTest::keyClicks(box, keys);
  QCOMPARE(edit(id)->text(), text);
  QCOMPARE(paramBeepCount() - before, beeps);
}

void ParamTreeTest::hexDeleteInPrefix() {
  click(valuePoint(kHex));
  QLineEdit* box = edit(kHex)->lineEdit();
  QTest::keyClicks(box, "5");
  box->setCursorPosition(1);
  const int before = paramBeepCount();
  QTest::keyClick(box, Qt::Key_Delete);
  QCOMPARE(box->text(), QStringLiteral("0x5"));
  QCOMPARE(paramBeepCount() - before, 1);
  QTest::keyClick(box, Qt::Key_Backspace);  // caret 1: still inside the prefix
  QCOMPARE(box->text(), QStringLiteral("0x5"));
}

void ParamTreeTest::dividerDrag_data() {
  QTest::addColumn<int>("x");
  QTest::addColumn<int>("width");
  const int client = 420 - 2;  // never less than this; the scroll bar may take some
  Q_UNUSED(client);
  QTest::newRow("far left") << 10 << 41;
  QTest::newRow("at 40") << 40 << 41;
  QTest::newRow("at 41") << 41 << 41;
  QTest::newRow("middle") << 200 << 200;
  QTest::newRow("beyond right edge") << 5000 << -25;  // client width - 25
}

void ParamTreeTest::dividerDrag() {
  QFETCH(int, x);
  QFETCH(int, width);
  QWidget* list = tree->listWnd();
  if (width < 0) width = list->width() + width;
  tree->visibleItems();
  const QPoint start(tree->columnWidth() + 2, row(kInt)->top() + 8);
  QTest::mousePress(list, Qt::LeftButton, {}, start);
  QVERIFY(tree->listWnd()->isDraggingDivider());
  QCOMPARE(owner.count(kParamDividerDrag, kInt), 1);
  QTest::mouseMove(list, QPoint(x, start.y()));
  QTest::mouseRelease(list, Qt::LeftButton, {}, QPoint(x, start.y()));
  QVERIFY(!tree->listWnd()->isDraggingDivider());
  QCOMPARE(tree->columnWidth(), width);
}

void ParamTreeTest::dividerDragCancelled() {
  owner.answers[kParamDividerDrag] = 1;
  tree->visibleItems();
  const QPoint start(tree->columnWidth() - 3, row(kInt)->top() + 8);
  QTest::mousePress(tree->listWnd(), Qt::LeftButton, {}, start);
  QVERIFY(!tree->listWnd()->isDraggingDivider());
  QTest::mouseRelease(tree->listWnd(), Qt::LeftButton, {}, QPoint(300, start.y()));
  QCOMPARE(tree->columnWidth(), kInitialColumnWidth);
}

void ParamTreeTest::dividerDoubleClickFitsLabels() {
  // Whole labels count, not the shortened text drawn in a narrow column.
  const QFontMetrics fm(ParamFonts::normal());
  int widest = 0;
  for (CParamItem* it : tree->visibleItems())
    if (!it->isTopLevel()) widest = std::max(widest, it->labelTextRect().left() + fm.horizontalAdvance(it->label()));
  QVERIFY(widest > tree->columnWidth());
  const QPoint at(tree->columnWidth(), row(kInt)->top() + 8);
  QTest::mouseDClick(tree->listWnd(), Qt::LeftButton, {}, at);
  QCOMPARE(tree->columnWidth(), widest + 5);
}

void ParamTreeTest::columnWidthLimits_data() {
  QTest::addColumn<int>("treeWidth");
  QTest::addColumn<int>("asked");
  QTest::addColumn<int>("got");
  QTest::newRow("below 16") << 300 << 3 << 16;
  QTest::newRow("inside") << 300 << 120 << 120;
  QTest::newRow("above width - 16") << 300 << 290 << 284;
  QTest::newRow("narrow: upper limit wins") << 20 << 100 << 4;
}

void ParamTreeTest::columnWidthLimits() {
  QFETCH(int, treeWidth);
  QFETCH(int, asked);
  QFETCH(int, got);
  CParamTree t(0);
  t.resize(treeWidth, 100);
  t.show();
  t.setColumnWidth(asked);
  QCOMPARE(t.columnWidth(), got);
}

void ParamTreeTest::collapsingHidesFocus() {
  click(labelPoint(kInt));
  QCOMPARE(tree->focusedItem(), row(kInt));
  QString title, help, message;
  tree->infoPane()->texts(title, help, message);
  QCOMPARE(title, QStringLiteral("Integer"));
  owner.notes.clear();
  tree->visibleItems();
  click(row(kTemp1)->expandRect().center());
  QCOMPARE(owner.count(kParamExpanding, kTemp1), 1);
  QVERIFY(!row(kTemp1)->isExpanded());
  QCOMPARE(tree->focusedItem(), nullptr);
  QCOMPARE(owner.count(kParamFocusChanged, -1), 1);
  tree->infoPane()->texts(title, help, message);
  QVERIFY(title.isEmpty() && help.isEmpty() && message.isEmpty());
}

void ParamTreeTest::clickInHeadingValueOpensNothing() {
  click(valuePoint(kTemps));
  QCOMPARE(tree->focusedItem(), row(kTemps));
  QVERIFY(row(kTemps)->isSelected());
  QVERIFY(!row(kTemps)->isEditing());
  QCOMPARE(owner.count(kParamActivating, kTemps), 0);
  QCOMPARE(owner.count(kParamFocusChanged, kTemps), 1);
}

void ParamTreeTest::clickInValue_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<int>("answer");
  QTest::addColumn<bool>("opens");
  QTest::newRow("text row") << int(kInt) << 0 << true;
  QTest::newRow("list row") << int(kUsage) << 0 << true;
  QTest::newRow("owner keeps it closed") << int(kInt) << 1 << false;
  QTest::newRow("read-only row") << int(kLocked) << 0 << false;
}

void ParamTreeTest::clickInValue() {
  QFETCH(int, id);
  QFETCH(int, answer);
  QFETCH(bool, opens);
  owner.answers[kParamActivating] = answer;
  click(valuePoint(id));
  QCOMPARE(tree->focusedItem(), row(id));
  QCOMPARE(row(id)->editor()->isVisible(), opens);
  QCOMPARE(row(id)->isEditing(), opens);
  if (opens) QVERIFY(row(id)->editor()->hasFocus());
}

void ParamTreeTest::enterAndEscape() {
  // The tree sits in a dialog: Escape must neither cancel the edit nor close it.
  QDialog dlg;
  dlg.resize(400, 400);
  CParamTree t(kTreeShowInfoPane, &dlg);
  t.setGeometry(0, 0, 400, 400);
  Recorder rec;
  t.setNotify(true, &rec);
  auto* a = new CParamEditItem;
  auto* b = new CParamEditItem;
  t.insertItem(new CParamItem)->setId(1);
  t.insertItem(a, t.findItem(1));
  t.insertItem(b, t.findItem(1));
  a->setId(2);
  b->setId(3);
  a->createEditor(kInputInteger);
  b->createEditor(kInputInteger);
  t.expandAll();
  dlg.show();
  QVERIFY(QTest::qWaitForWindowActive(&dlg));
  t.setFocusedItem(a);
  t.listWnd()->setFocus();
  QTest::keyClick(t.listWnd(), Qt::Key_Return);  // Enter opens the focused row's editor
  QVERIFY(a->isEditing());
  QTest::keyClicks(a->lineEdit(), "34");
  QTest::keyClick(a->lineEdit(), Qt::Key_Escape);  // cancels the edit, not the dialog
  QVERIFY(dlg.isVisible());
  QVERIFY(!a->isEditing());
  QCOMPARE(a->text(), QString());
  QCOMPARE(rec.count(kParamCommitted, 2), 0);
  QTest::keyClick(t.listWnd(), Qt::Key_Return);
  QVERIFY(a->isEditing());
  QTest::keyClicks(a->lineEdit(), "12");
  QTest::keyClick(a->lineEdit(), Qt::Key_Return);  // Enter in a box acts as Tab
  QCOMPARE(rec.count(kParamCommitted, 2), 1);
  QCOMPARE(t.focusedItem(), b);
  QVERIFY(b->isEditing());
  QVERIFY(b->lineEdit()->hasFocus());
  QVERIFY(!a->lineEdit()->isVisible());
  QCOMPARE(a->text(), QStringLiteral("12"));
}

void ParamTreeTest::editorOpensWholeTextSelected_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<QString>("value");
  QTest::addColumn<QString>("keys");
  QTest::addColumn<QString>("text");
  QTest::newRow("integer") << int(kInt) << "1" << "3" << "3";
  QTest::newRow("negative over negative") << int(kInt) << "-12" << "-7" << "-7";
  QTest::newRow("real") << int(kReal) << "0.125" << ".5" << "0.5";
  QTest::newRow("hex keeps its prefix") << int(kHex) << "0x20" << "4c" << "0x4C";
  QTest::newRow("password") << int(kPass) << "secret" << "new" << "new";
  QTest::newRow("multi-line") << int(kNotes) << "line one\nline two" << "x" << "x";
}

void ParamTreeTest::editorOpensWholeTextSelected() {
  QFETCH(int, id);
  QFETCH(QString, value);
  QFETCH(QString, keys);
  QFETCH(QString, text);
  edit(id)->setText(value);
  click(valuePoint(id));
  QVERIFY(row(id)->isEditing());
  const int before = paramBeepCount();
  QTest::keyClicks(edit(id)->editor(), keys);
  QCOMPARE(edit(id)->text(), text);
  QCOMPARE(paramBeepCount(), before);
}

void ParamTreeTest::escapeRestoresOpeningValue_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<QString>("value");
  QTest::addColumn<QString>("keys");
  QTest::newRow("integer") << int(kInt) << "15" << "99";
  QTest::newRow("hex") << int(kHex) << "0x20" << "f";
  QTest::newRow("empty row") << int(kReal) << "" << "2.5";
  QTest::newRow("multi-line") << int(kNotes) << "a\nb" << "changed";
}

void ParamTreeTest::escapeRestoresOpeningValue() {
  QFETCH(int, id);
  QFETCH(QString, value);
  QFETCH(QString, keys);
  edit(id)->setText(value);
  click(valuePoint(id));
  QWidget* box = edit(id)->editor();
  QTest::keyClicks(box, keys);
  QVERIFY(edit(id)->text() != value);
  QTest::keyClick(box, Qt::Key_Escape);
  QCOMPARE(edit(id)->text(), value);
  QVERIFY(!row(id)->isEditing());
  QVERIFY(!box->isVisible());
  QVERIFY(tree->listWnd()->hasFocus());
  QCOMPARE(owner.count(kParamCommitted, id), 0);
  // The next focus move inside the tree commits nothing either.
  click(labelPoint(kFanSpeed));
  QCOMPARE(owner.count(kParamCommitted, id), 0);
  QCOMPARE(edit(id)->text(), value);
}

void ParamTreeTest::ctrlASelectsAll_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<QString>("value");
  QTest::newRow("integer") << int(kInt) << "-42";
  QTest::newRow("real") << int(kReal) << "3.25";
  QTest::newRow("hex") << int(kHex) << "0x4C";
  QTest::newRow("password") << int(kPass) << "pw";
  QTest::newRow("multi-line") << int(kNotes) << "a\nb";
}

void ParamTreeTest::ctrlASelectsAll() {
  QFETCH(int, id);
  QFETCH(QString, value);
  edit(id)->setText(value);
  click(valuePoint(id));
  QWidget* box = edit(id)->editor();
  QTest::keyClick(box, Qt::Key_End);  // drop the opening selection
  const int before = paramBeepCount();
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(paramBeepCount(), before);
  QCOMPARE(edit(id)->text(), value);
  if (QLineEdit* line = edit(id)->lineEdit())
    QCOMPARE(line->selectedText(), value);
  else
    QCOMPARE(edit(id)->textEdit()->textCursor().selectedText().replace(QChar(0x2029), u'\n'), value);
}

// The owner makes a row read-only while its editor is open, as New does: the
// editor closes, and what is typed next goes nowhere.
void ParamTreeTest::readOnlyClosesOpenEditor_data() {
  QTest::addColumn<bool>("ownerSetsValue");
  QTest::addColumn<QString>("value");
  QTest::newRow("owner sets a new value first") << true << "5";
  QTest::newRow("value left as opened") << false << "8";
}

void ParamTreeTest::readOnlyClosesOpenEditor() {
  QFETCH(bool, ownerSetsValue);
  QFETCH(QString, value);
  edit(kInt)->setText(QStringLiteral("8"));
  click(valuePoint(kInt));
  QLineEdit* box = edit(kInt)->lineEdit();
  QTest::keyClicks(box, "7");
  if (ownerSetsValue) edit(kInt)->setText(value);
  edit(kInt)->setReadOnly(true);
  QVERIFY(!row(kInt)->isEditing());
  QVERIFY(!box->isVisible());
  QCOMPARE(edit(kInt)->text(), value);
  QTest::keyClicks(QApplication::focusWidget(), "12");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QVERIFY(!row(kInt)->isEditing());
  QCOMPARE(edit(kInt)->text(), value);
  QCOMPARE(owner.count(kParamCommitted, kInt), 0);
}

void ParamTreeTest::longLabelTooltip_data() {
  QTest::addColumn<QString>("label");
  QTest::addColumn<bool>("tip");
  QTest::newRow("long label") << "Associated Fan Speed Monitor Selection For Slot 2" << true;
  QTest::newRow("short label") << "Speed" << false;
}

void ParamTreeTest::longLabelTooltip() {
  QFETCH(QString, label);
  QFETCH(bool, tip);
  QToolTip::hideText();
  row(kFanSpeed)->setLabel(label);
  const QPoint at = labelPoint(kFanSpeed);
  QWidget* list = tree->listWnd();
  QHelpEvent help(QEvent::ToolTip, at, list->mapToGlobal(at));
  QApplication::sendEvent(list, &help);
  QCOMPARE(QToolTip::isVisible(), tip);
  if (tip) QCOMPARE(QToolTip::text(), label);
  QToolTip::hideText();
}

void ParamTreeTest::dividerDoubleClickFitsLongLabel() {
  const QString label = QStringLiteral("Associated Fan Speed Monitor Selection");
  row(kFanSpeed)->setLabel(label);
  tree->visibleItems();
  QVERIFY(row(kFanSpeed)->labelTextRect().width() < QFontMetrics(ParamFonts::normal()).horizontalAdvance(label));
  QTest::mouseDClick(tree->listWnd(), Qt::LeftButton, {}, QPoint(tree->columnWidth(), row(kInt)->top() + 8));
  tree->visibleItems();
  QCOMPARE(row(kFanSpeed)->labelTextRect().width(), QFontMetrics(ParamFonts::normal()).horizontalAdvance(label));
  QCOMPARE(tree->columnWidth(), row(kFanSpeed)->labelTextRect().right() + 1 + 5);
}

void ParamTreeTest::arrowsCarryEditor() {
  click(valuePoint(kInt));
  QTest::keyClicks(edit(kInt)->lineEdit(), "3");
  QTest::keyClick(edit(kInt)->lineEdit(), Qt::Key_Down);
  QCOMPARE(owner.count(kParamCommitted, kInt), 1);
  QCOMPARE(tree->focusedItem(), row(kReal));
  QVERIFY(row(kReal)->isEditing());
  // Left at the start of the text acts as Up.
  QTest::keyClick(edit(kReal)->lineEdit(), Qt::Key_Left);
  QCOMPARE(tree->focusedItem(), row(kInt));
  QVERIFY(row(kInt)->isEditing());
  QCOMPARE(owner.count(kParamCommitted, kReal), 1);
  // Down onto a read-only row moves there without an editor.
  tree->setFocusedItem(row(kHex));
  QTest::keyClick(tree->listWnd(), Qt::Key_Down);
  QCOMPARE(tree->focusedItem(), row(kLocked));
  QVERIFY(!row(kLocked)->isEditing());
}

void ParamTreeTest::focusLeavingTreeKeepsEdit() {
  click(valuePoint(kInt));
  QTest::keyClicks(edit(kInt)->lineEdit(), "42");
  outside->setFocus();
  QVERIFY(outside->hasFocus());
  QCOMPARE(owner.count(kParamCommitted, kInt), 0);
  QCOMPARE(edit(kInt)->text(), QStringLiteral("42"));
  QVERIFY(row(kInt)->isEditing());
  // The next focus move inside the tree commits it.
  click(labelPoint(kReal));
  QCOMPARE(owner.count(kParamCommitted, kInt), 1);
  QVERIFY(row(kInt)->isCommitted());
  QCOMPARE(edit(kInt)->text(), QStringLiteral("42"));
}

void ParamTreeTest::comboCommitsOnSelection() {
  click(valuePoint(kUsage));
  auto* item = static_cast<CParamComboItem*>(row(kUsage));
  QVERIFY(item->comboBox()->hasFocus());
  QTest::keyClick(item->comboBox(), Qt::Key_Down);  // a completed choice
  QCOMPARE(item->currentText(), QStringLiteral("Ambient"));
  QCOMPARE(owner.count(kParamCommitted, kUsage), 1);
  QVERIFY(!item->comboBox()->isVisible());
  // Enter in a list row moves on like Tab.
  click(valuePoint(kUsage));
  QTest::keyClick(item->comboBox(), Qt::Key_Return);
  QCOMPARE(tree->focusedItem(), row(kInt));
  QVERIFY(row(kInt)->isEditing());
}

void ParamTreeTest::keyboardMoves() {
  QWidget* list = tree->listWnd();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);  // no focus: next takes the first row
  QCOMPARE(tree->focusedItem(), row(kTemps));
  QTest::keyClick(list, Qt::Key_Up);  // previous from the first changes nothing
  QCOMPARE(tree->focusedItem(), row(kTemps));
  QTest::keyClick(list, Qt::Key_End);
  QCOMPARE(tree->focusedItem(), row(kFanSpeed));
  owner.notes.clear();
  QTest::keyClick(list, Qt::Key_Down);  // next from the last changes nothing
  QCOMPARE(tree->focusedItem(), row(kFanSpeed));
  QVERIFY(owner.notes.empty());
  QTest::keyClick(list, Qt::Key_Home);
  QCOMPARE(tree->focusedItem(), row(kTemps));
  QCOMPARE(owner.count(kParamFocusChanged, kTemps), 1);
  QVERIFY(row(kTemps)->isSelected());
  QVERIFY(!row(kFanSpeed)->isSelected());
  QTest::keyClick(list, Qt::Key_Tab);  // Tab moves, then opens the editor
  QCOMPARE(tree->focusedItem(), row(kTemp1));
  QVERIFY(row(kTemp1)->isEditing());
  QTest::keyClick(static_cast<CParamComboItem*>(row(kTemp1))->comboBox(), Qt::Key_Tab, Qt::ShiftModifier);
  QCOMPARE(tree->focusedItem(), row(kTemps));
  QVERIFY(!row(kTemps)->isEditing());  // headings never edit
}

void ParamTreeTest::leftRightExpandCollapse() {
  QWidget* list = tree->listWnd();
  list->setFocus();
  tree->setFocusedItem(row(kTemp1));
  QTest::keyClick(list, Qt::Key_Left);
  QVERIFY(!row(kTemp1)->isExpanded());
  QCOMPARE(tree->focusedItem(), row(kTemp1));
  QTest::keyClick(list, Qt::Key_Left);  // already collapsed: acts as Up
  QCOMPARE(tree->focusedItem(), row(kTemps));
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Right);
  QVERIFY(row(kTemp1)->isExpanded());
  owner.answers[kParamExpanding] = 1;  // the owner refuses: Right acts as Down
  tree->collapseAll();
  tree->setFocusedItem(row(kTemps));
  QTest::keyClick(list, Qt::Key_Right);
  QVERIFY(!row(kTemps)->isExpanded());
  QCOMPARE(tree->focusedItem(), row(kFans));
}

void ParamTreeTest::insertDeleteAndSequence() {
  CParamTree t(0);
  Recorder rec;
  t.setNotify(true, &rec);
  auto* a = t.insertItem(new CParamItem);
  a->setId(1);
  auto* c = t.insertItem(new CParamItem, a);
  c->setId(3);
  auto* b = t.insertItem(new CParamItem, a, nullptr);
  b->setId(4);
  auto* mid = t.insertItem(new CParamItem, a, c);  // right after c
  mid->setId(2);
  QCOMPARE(a->sequence(), 1);
  QCOMPARE(mid->sequence(), 4);
  QCOMPARE(a->child(0), c);
  QCOMPARE(a->child(1), mid);
  QCOMPARE(a->child(2), b);
  QCOMPARE(t.findItem(2), mid);
  QCOMPARE(t.findItem(99), nullptr);
  QCOMPARE(int(rec.notes.size()), 4);
  t.setFocusedItem(mid);
  rec.notes.clear();
  t.deleteItem(a);
  QCOMPARE(t.focusedItem(), nullptr);
  QCOMPARE(t.root()->childCount(), 0);
  // Children are announced before they go, the parent first.
  QCOMPARE(rec.notes.front().id, 1);
  QCOMPARE(int(rec.notes.size()), 4);
  t.insertItem(new CParamItem);
  rec.notes.clear();
  t.deleteAll();
  QCOMPARE(rec.count(kParamDeleting, -1), 1);  // the whole tree, then each row
  QCOMPARE(rec.count(kParamDeleting, 0), 1);
  QCOMPARE(t.insertItem(new CParamItem)->sequence(), 2);
  // Switched off, nothing is sent.
  t.setNotify(false, &rec);
  rec.notes.clear();
  t.insertItem(new CParamItem);
  QVERIFY(rec.notes.empty());
}

void ParamTreeTest::labelsShortenedPaneWhole() {
  const QString longLabel = QStringLiteral("A very long label that cannot possibly fit into the label column");
  row(kInt)->setLabel(longLabel);
  tree->visibleItems();
  CParamItem* it = row(kInt);
  QVERIFY(it->labelTextRect().width() <= it->labelRect().width() - 5);
  click(labelPoint(kInt));
  QString title, help, message;
  tree->infoPane()->texts(title, help, message);
  QCOMPARE(title, longLabel);
  QCOMPARE(help, QStringLiteral("Integer help"));
  it->setMessageText(QStringLiteral("Out of range"));
  tree->infoPane()->texts(title, help, message);
  QCOMPARE(message, QStringLiteral("Out of range"));
}

void ParamTreeTest::paneTexts() {
  CParamTree blank(kTreeShowInfoPane);
  CParamTree idle(kTreeShowInfoPane | kTreeShowIdleText);
  QString title, help, message;
  blank.infoPane()->texts(title, help, message);
  QVERIFY(title.isEmpty() && help.isEmpty());
  idle.infoPane()->texts(title, help, message);
  QCOMPARE(title, QStringLiteral("No Item Selected"));
  QCOMPARE(help, QStringLiteral("Select an item to see its description."));
  // Without a pane, changing the focused row's texts must still be safe.
  CParamTree bare(0);
  CParamItem* it = bare.insertItem(new CParamItem);
  bare.setFocusedItem(it);
  it->setLabel(QStringLiteral("changed"));
  it->setMessageText(QStringLiteral("error"));
  QCOMPARE(bare.infoPane(), nullptr);
}

void ParamTreeTest::wheelScrollsOneLine() {
  tree->resize(420, 200);  // content taller than the rows' window
  QVERIFY(tree->contentHeight() > tree->listWnd()->height());
  QVERIFY(tree->verticalScrollBar()->isVisible());
  QPoint at(50, 50);
  QWheelEvent down(at, tree->listWnd()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(tree->listWnd(), &down);
  QCOMPARE(tree->scrollOffset(), kRowHeight);
  QWheelEvent up(at, tree->listWnd()->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(tree->listWnd(), &up);
  QCOMPARE(tree->scrollOffset(), 0);
  tree->scrollToOffset(100000);  // limited to range - page
  QCOMPARE(tree->scrollOffset(), tree->contentHeight() - (tree->listWnd()->height() + 1));
  tree->resize(420, 900);  // fits again: back to the top
  QCOMPARE(tree->scrollOffset(), 0);
}

void ParamTreeTest::passwordAndMultiLine() {
  QCOMPARE(edit(kPass)->lineEdit()->echoMode(), QLineEdit::Password);
  QCOMPARE(row(kNotes)->rowHeight(), kMultiLineRowHeight);
  QVERIFY(edit(kNotes)->textEdit() != nullptr);
  click(valuePoint(kNotes));
  QTest::keyClicks(edit(kNotes)->textEdit(), "one");
  QTest::keyClick(edit(kNotes)->textEdit(), Qt::Key_Return);  // a new line, not a move
  QTest::keyClicks(edit(kNotes)->textEdit(), "two");
  QCOMPARE(edit(kNotes)->text(), QStringLiteral("one\ntwo"));
  QCOMPARE(tree->focusedItem(), row(kNotes));
  // Editors are made once and only on attached rows.
  CParamEditItem loose;
  QVERIFY(!loose.createEditor(kInputInteger, 0, 7));
  QCOMPARE(loose.maxLength(), 7);
  QVERIFY(!edit(kInt)->createEditor(kInputInteger));
}

void ParamTreeTest::ownerMayDeleteRows() {
  // An owner that deletes the very row it is told about must not bring the tree down.
  struct Deleter : ParamTreeOwner {
    CParamTree* tree = nullptr;
    int code = 0;
    int paramTreeNotify(const ParamTreeNotify& n) override {
      if (n.code == code && n.item) tree->deleteItem(n.item);
      return 0;
    }
  } deleter;
  deleter.tree = tree;
  tree->setNotify(true, &deleter);
  deleter.code = kParamCommitted;
  click(valuePoint(kInt));
  QTest::keyClicks(edit(kInt)->lineEdit(), "9");
  click(labelPoint(kReal));
  QCOMPARE(row(kInt), nullptr);
  deleter.code = kParamFocusChanged;
  QVERIFY(tree->focusedItem() != row(kLocked));
  click(valuePoint(kLocked));
  QCOMPARE(row(kLocked), nullptr);
  deleter.code = kParamExpanding;
  tree->visibleItems();
  click(row(kFan1)->expandRect().center());
  QCOMPARE(row(kFan1), nullptr);
  QCOMPARE(row(kFanSpeed), nullptr);
}

void ParamTreeTest::destroyedWhileFocused() {
  // The window outlives the tree, so the tree goes while its rows hold the focus.
  click(labelPoint(kInt));
  QVERIFY(tree->listWnd()->hasFocus());
  delete tree;
  tree = nullptr;
  QVERIFY(window->isVisible());
}

QTEST_MAIN(ParamTreeTest)
#include "param_tree_test.moc"
