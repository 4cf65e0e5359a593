// The Status dialog's four modes and how it may be left.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
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

QTEST_MAIN(StatusDialogTest)
#include "status_dialog_test.moc"
