// Dialog bars: prompts, tooltips, indicators and the show/hide commands.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include "alt_dialog.h"
#include "command_ids.h"
#include "lock_keys.h"

namespace {

class Dialog : public CAltDialog {
 public:
  bool allowOk = true;
  bool transferData(bool) override { return allowOk; }
  bool loadToolBar(QToolBar*, int id) override {
    if (id != resid::kToolBar) return false;
    addToolBarCommand(cmd::kOk, QIcon(), QStringLiteral("Quit"));
    addToolBarSeparator();
    addToolBarCommand(cmd::kAbout, QIcon(), QStringLiteral("About"));
    return true;
  }
};

const QString kSavePrompt = QStringLiteral("Save all data to the current INI File\nSave INI File");

}  // namespace

class AltDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void promptIds_data();
  void promptIds();
  void menuPromptsAndReady();
  void toolTipPrompt();
  void lockIndicators();
  void barsMoveControlsAndGrow();
  void toggleBars();
  void contentRect();
  void okAndCancel();
  void missingToolBarFails();

 private:
  Dialog* dlg = nullptr;
  QPushButton* control = nullptr;
};

void AltDialogTest::init() {
  setLockKeyQuery({});
  dlg = new Dialog;
  dlg->resize(300, 200);
  control = new QPushButton(QStringLiteral("x"), dlg);
  control->setGeometry(10, 10, 80, 24);
  dlg->setString(cmd::kSaveIni, kSavePrompt);
  dlg->setString(cmd::kExit, QStringLiteral("Quit the application"));
  dlg->setString(cmd::kAbout, QStringLiteral("Show program information\n") + QString(100, u'A'));
  QVERIFY(dlg->createBars(true, true, nullptr, resid::kToolBar));
}

void AltDialogTest::cleanup() {
  delete dlg;
  setLockKeyQuery({});
}

void AltDialogTest::promptIds_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<uint>("flags");
  QTest::addColumn<int>("prompt");
  QTest::newRow("command") << cmd::kSaveIni << 0u << cmd::kSaveIni;
  QTest::newRow("popup") << 5 << 0x10u << 0;
  QTest::newRow("separator") << 0 << 0x800u << 0;
  QTest::newRow("id 0") << 0 << 0u << 0;
  QTest::newRow("system close") << 0xF060 << 0u << 0xEF06;
  QTest::newRow("system first") << 0xF000 << 0u << 0xEF00;
  QTest::newRow("past system range") << 0xF1F0 << 0u << 0xF1F0;
  QTest::newRow("menu closed") << 0 << 0xFFFFu << strid::kReady;
}

void AltDialogTest::promptIds() {
  QFETCH(int, id);
  QFETCH(uint, flags);
  QFETCH(int, prompt);
  QCOMPARE(CAltDialog::promptIdForMenuItem(id, flags), prompt);
}

void AltDialogTest::menuPromptsAndReady() {
  QCOMPARE(dlg->messageText(), QStringLiteral("Ready"));
  auto* bar = new QMenuBar;
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  QAction* save = dlg->makeCommand(cmd::kSaveIni, QStringLiteral("&Save INI File\tCtrl+S"));
  QAction* exitCmd = dlg->makeCommand(cmd::kExit, QStringLiteral("E&xit"));
  file->addAction(save);
  QAction* sep = file->addSeparator();
  file->addAction(exitCmd);
  dlg->setMenuBar(bar);
  emit file->hovered(save);
  QCOMPARE(dlg->messageText(), QStringLiteral("Save all data to the current INI File"));
  emit file->hovered(exitCmd);  // no "\n": the whole string
  QCOMPARE(dlg->messageText(), QStringLiteral("Quit the application"));
  emit file->hovered(sep);
  QCOMPARE(dlg->messageText(), QString());
  emit file->aboutToHide();
  QCOMPARE(dlg->messageText(), QStringLiteral("Ready"));
}

void AltDialogTest::toolTipPrompt() {
  dlg->show();
  QVERIFY(QTest::qWaitForWindowExposed(dlg));
  QCOMPARE(dlg->toolTipText(cmd::kSaveIni), QStringLiteral("Save INI File"));
  QCOMPARE(dlg->messageText(), QStringLiteral("Save all data to the current INI File"));
  QTest::mouseMove(dlg, QPoint(150, 100));
  QCOMPARE(dlg->messageText(), QStringLiteral("Ready"));
  QCOMPARE(dlg->toolTipText(cmd::kAbout).size(), 80);  // cut to 80 characters
  QCOMPARE(dlg->toolTipText(cmd::kStatusBarId), QString());
  // A tooltip request on the button itself goes the same way.
  QWidget* button = dlg->toolBar()->widgetForAction(dlg->toolBar()->actions().last());
  QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(button, &help);
  QCOMPARE(dlg->messageText(), QStringLiteral("Show program information"));
}

void AltDialogTest::lockIndicators() {
  LockKeyState keys;
  keys.caps = true;
  setLockKeyQuery([&keys] { return keys; });
  dlg->idleUpdate();
  QVERIFY(dlg->pane(cmd::kIndicatorCaps)->isEnabled());
  QVERIFY(!dlg->pane(cmd::kIndicatorNum)->isEnabled());
  QVERIFY(!dlg->pane(cmd::kIndicatorScroll)->isEnabled());
  keys.caps = false;
  keys.scroll = true;
  dlg->show();  // the idle timer now runs
  QTRY_VERIFY(!dlg->pane(cmd::kIndicatorCaps)->isEnabled());
  QVERIFY(dlg->pane(cmd::kIndicatorScroll)->isEnabled());
}

void AltDialogTest::barsMoveControlsAndGrow() {
  const int tb = dlg->toolBar()->sizeHint().height();
  const int sb = dlg->statusBar()->sizeHint().height();
  QCOMPARE(control->y(), 10 + tb);
  QCOMPARE(dlg->height(), 200 + tb + sb);
  QCOMPARE(dlg->statusBar()->geometry().bottom(), dlg->height() - 1);
  QCOMPARE(dlg->toolBar()->y(), 0);
}

void AltDialogTest::toggleBars() {
  dlg->show();
  const int h = dlg->height();
  const int sb = dlg->statusBar()->sizeHint().height();
  const int tb = dlg->toolBar()->sizeHint().height();
  const int y = control->y();
  QAction* statusCmd = dlg->makeCommand(cmd::kViewStatusBar, QStringLiteral("&Status Bar"));
  statusCmd->trigger();
  QVERIFY(!dlg->isStatusBarShown());
  QCOMPARE(dlg->height(), h - sb);
  dlg->updateCommandUi(statusCmd, cmd::kViewStatusBar);
  QVERIFY(!statusCmd->isChecked());
  dlg->onCommand(cmd::kViewStatusBar);
  QCOMPARE(dlg->height(), h);
  dlg->onCommand(cmd::kViewToolBar);
  QVERIFY(!dlg->isToolBarShown());
  QCOMPARE(control->y(), y - tb);
  QCOMPARE(dlg->height(), h - tb);
  dlg->onCommand(cmd::kViewToolBar);
  QCOMPARE(control->y(), y);
  QCOMPARE(dlg->height(), h);
}

void AltDialogTest::contentRect() {
  const QRect r = dlg->contentRect();
  QCOMPARE(r.top(), dlg->toolBar()->geometry().bottom() + 2 + 23);
  QCOMPARE(r.bottom(), dlg->statusBar()->geometry().top() - 1);
  QCOMPARE(r.width(), dlg->width());
  CAltDialog bare;
  bare.resize(100, 80);
  QCOMPARE(bare.contentRect(), QRect(0, 23, 100, 57));
}

void AltDialogTest::okAndCancel() {
  // Run through its own modal entry, OK ends with Accepted unless the values refuse.
  QTimer::singleShot(0, dlg, [this] {
    dlg->allowOk = false;
    dlg->onCommand(cmd::kOk);
    QVERIFY(dlg->isVisible());
    QVERIFY(!dlg->createdModeless());
    QVERIFY(dlg->inOwnModalLoop());
    dlg->allowOk = true;
    dlg->onCommand(cmd::kOk);
  });
  QCOMPARE(dlg->exec(), int(QDialog::Accepted));
  QTimer::singleShot(0, dlg, [this] { dlg->onCommand(cmd::kCancel); });
  QCOMPARE(dlg->exec(), int(QDialog::Rejected));
  // Shown modeless, OK and Cancel just close it.
  Dialog modeless;
  modeless.show();
  QVERIFY(modeless.createdModeless());
  modeless.onCommand(cmd::kOk);
  QVERIFY(!modeless.isVisible());
}

void AltDialogTest::missingToolBarFails() {
  Dialog d;
  QVERIFY(!d.createBars(false, false, nullptr, 7));
  QCOMPARE(d.toolBar(), nullptr);
  QVERIFY(d.createBars(false, true));
  QCOMPARE(d.messageText(), QStringLiteral("Ready"));
  QCOMPARE(d.pane(cmd::kIndicatorCaps)->text(), QStringLiteral("CAPS"));
}

QTEST_MAIN(AltDialogTest)
#include "alt_dialog_test.moc"
