// The Status dialog's four modes and how it may be left.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include "status_dialog.h"

using Mode = CStatusDialog::Mode;
Q_DECLARE_METATYPE(Mode)

class StatusDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void modes_data();
  void modes();
  void buttonsEndWithTheirId_data();
  void buttonsEndWithTheirId();
  void textPane();
  void verdictInView_data();
  void verdictInView();
  void resizableAndForgetful();
};

void StatusDialogTest::modes_data() {
  QTest::addColumn<Mode>("mode");
  QTest::addColumn<QString>("headline");
  QTest::addColumn<QString>("first");
  QTest::addColumn<bool>("firstOn");
  QTest::addColumn<bool>("secondOn");
  QTest::addColumn<int>("escape");  // what Escape or the close box answers
  QTest::newRow("errors") << Mode::Errors << "Current configuration contains errors. Cannot proceed."
                          << "&Proceed" << false << true << 2;
  QTest::newRow("summary") << Mode::Summary << "Summary of transaction." << "Finish" << true << false << 1;
  QTest::newRow("save question") << Mode::SaveQuestion
                                 << "Current configuration contains errors. Proceed with save?" << "&Proceed"
                                 << true << true << 2;
  QTest::newRow("load report") << Mode::LoadReport << "Loaded configuration contains errors." << "&Proceed" << true
                               << false << 1;
}

void StatusDialogTest::modes() {
  QFETCH(Mode, mode);
  QFETCH(QString, headline);
  QFETCH(QString, first);
  QFETCH(bool, firstOn);
  QFETCH(bool, secondOn);
  QFETCH(int, escape);
  CStatusDialog d(mode, QStringLiteral("x"));
  QCOMPARE(d.windowTitle(), QStringLiteral("Zefr Configuration Utility - Status"));
  QCOMPARE(d.headlinePane()->text(), headline);
  QVERIFY(d.headlinePane()->isReadOnly());
  QCOMPARE(d.button(1)->text(), first);
  QCOMPARE(d.button(2)->text(), QStringLiteral("&Cancel"));
  QCOMPARE(d.button(1)->isEnabled(), firstOn);
  QCOMPARE(d.button(2)->isEnabled(), secondOn);
  QTimer::singleShot(0, &d, [&d] { QTest::keyClick(&d, Qt::Key_Escape); });
  QCOMPARE(d.exec(), escape);
}

void StatusDialogTest::buttonsEndWithTheirId_data() {
  QTest::addColumn<int>("id");
  QTest::newRow("proceed") << 1;
  QTest::newRow("cancel") << 2;
}

void StatusDialogTest::buttonsEndWithTheirId() {
  QFETCH(int, id);
  CStatusDialog d(Mode::SaveQuestion, QString());
  QTimer::singleShot(0, &d, [&d, id] { QTest::mouseClick(d.button(id), Qt::LeftButton); });
  QCOMPARE(d.exec(), id);
}

void StatusDialogTest::textPane() {
  QString lines;
  for (int i = 0; i < 60; ++i) lines += QStringLiteral("line %1\r\n").arg(i);
  CStatusDialog d(Mode::Summary, lines);
  QPlainTextEdit* pane = d.textPane();
  QVERIFY(pane->isReadOnly());
  QVERIFY(!pane->toPlainText().contains(u'\r'));
  QVERIFY(pane->toPlainText().startsWith(QStringLiteral("line 0\nline 1\n")));
  d.show();
  QVERIFY(QTest::qWaitForWindowExposed(&d));
  QVERIFY(pane->verticalScrollBar()->maximum() > 0);  // longer than the pane: it scrolls
  QTest::keyClicks(pane, "typed");
  QVERIFY(!pane->toPlainText().contains(QStringLiteral("typed")));
  CStatusDialog empty(Mode::Errors, QString());
  QVERIFY(empty.textPane()->toPlainText().isEmpty());
  // The layout: 330 x 170 dialog units with the panes inside it.
  QCOMPARE(d.size(), d.dialogUnits(0, 0, 330, 170).size());
  QVERIFY(d.rect().contains(d.button(2)->geometry()));
}

// After a compiler run the last lines hold the verdict and are shown; a list of
// errors starts at its top.
void StatusDialogTest::verdictInView_data() {
  QTest::addColumn<Mode>("mode");
  QTest::addColumn<bool>("atEnd");
  QTest::newRow("summary") << Mode::Summary << true;
  QTest::newRow("errors") << Mode::Errors << false;
  QTest::newRow("load report") << Mode::LoadReport << false;
  QTest::newRow("save question") << Mode::SaveQuestion << false;
}

void StatusDialogTest::verdictInView() {
  QFETCH(Mode, mode);
  QFETCH(bool, atEnd);
  QString text;
  for (int i = 0; i < 80; ++i) text += QStringLiteral("Reading line %1 of a long run\r\n").arg(i);
  text += QStringLiteral("Payload Accepted.\r\nWrite Complete.\r\n");
  CStatusDialog d(mode, text);
  d.show();
  QVERIFY(QTest::qWaitForWindowExposed(&d));
  QScrollBar* bar = d.textPane()->verticalScrollBar();
  QVERIFY(bar->maximum() > 0);
  QCOMPARE(bar->value(), atEnd ? bar->maximum() : 0);
  if (!atEnd) return;
  // "Write Complete." is the last non-empty block; its line lies inside the pane.
  QTextCursor c(d.textPane()->document()->findBlockByNumber(d.textPane()->document()->blockCount() - 2));
  QCOMPARE(c.block().text(), QStringLiteral("Write Complete."));
  QVERIFY(d.textPane()->viewport()->rect().contains(d.textPane()->cursorRect(c)));
}

void StatusDialogTest::resizableAndForgetful() {
  const QString text = QStringLiteral("Payload Accepted.\r\n");
  QSize first;
  {
    CStatusDialog d(Mode::Summary, text);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    first = d.size();
    QVERIFY(d.minimumSize().width() < first.width() && d.maximumSize().width() > first.width() * 2);
    const QSize pane = d.textPane()->size();
    d.resize(first * 2);
    QTRY_VERIFY(d.textPane()->width() > pane.width() && d.textPane()->height() > pane.height());
    QVERIFY(d.rect().contains(d.button(2)->geometry()));
    QCOMPARE(d.button(2)->geometry().right(), d.textPane()->geometry().right());
  }
  CStatusDialog again(Mode::Summary, text);
  again.show();
  QVERIFY(QTest::qWaitForWindowExposed(&again));
  QCOMPARE(again.size(), first);
}

QTEST_MAIN(StatusDialogTest)
#include "status_dialog_test.moc"
