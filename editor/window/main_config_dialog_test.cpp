// The main window, driven as a user drives it, with every dialog answered
// by a script.
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QSet>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <deque>

#include "main_config_dialog.h"
#include "dialog_prompts.h"
#include "command_ids.h"
#include "param_items.h"
#include "payload_commands.h"
#include "user_guide.h"

using zefr::FormFactor;

namespace {

class ScriptedPrompts : public EditorPrompts {
 public:
  Answer askYesNoCancel(QWidget*, const QString& caption, const QString& text) override {
    log << "ask:" + caption + ":" + text;
    if (answers.empty()) return Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool askYesNo(QWidget*, const QString& caption, const QString& text) override {
    log << "yesno:" + caption + ":" + text;
    return yes;
  }
  void inform(QWidget*, const QString& caption, const QString&) override { log << "inform:" + caption; }
  void warn(QWidget*, const QString& caption, const QString& text) override { log << "warn:" + caption + ":" + text; }
  std::optional<FormFactor> chooseFormFactor(QWidget*, const QString& text) override {
    log << "formFactor";
    lastFormFactorText = text;
    if (formFactors.empty()) return std::nullopt;
    const auto f = formFactors.front();
    formFactors.pop_front();
    return f;
  }
  QString openFileName(QWidget*) override { return openPath; }
  QString saveFileName(QWidget*, const QString& title, const QString& filter, const QString& name) override {
    log << "save:" + title + ":" + filter + ":" + name;
    if (savePaths.empty()) return {};
    const QString p = savePaths.front();
    savePaths.pop_front();
    return p;
  }
  int showStatus(QWidget*, CStatusDialog::Mode mode, const QString& text) override {
    statusModes.push_back(mode);
    statusText = text;
    return statusAnswer;
  }
  void about(QWidget*) override { log << "about"; }
  void openDocument(const QString& path) override { opened = path; }

  std::deque<Answer> answers;
  std::deque<std::optional<FormFactor>> formFactors;
  QString openPath;
  std::deque<QString> savePaths;
  int statusAnswer = 1;
  bool yes = true;
  std::vector<CStatusDialog::Mode> statusModes;
  QString statusText, lastFormFactorText, opened;
  QStringList log;
};

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

QString Res(const char* name) { return QStringLiteral(ZEFR_RES_DIR "/") + QString::fromLatin1(name); }

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<CMainConfigDialog> dialog;
  std::unique_ptr<QTemporaryDir> dir;

  CParamItem* item(int id) { return dialog->tree()->findItem(id); }
  QComboBox* combo(int id) { return static_cast<CParamComboItem*>(item(id))->comboBox(); }
  QString value(int id) { return QString::fromStdString(dialog->document().ValueOf(static_cast<zefr::ParameterId>(id))); }

  // Picks an entry as the user does: open the editor, choose, commit.
  void choose(int id, const QString& text) {
    CParamItem* row = item(id);
    QVERIFY(row != nullptr);
    const int index = combo(id)->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    row->activate();
    combo(id)->setCurrentIndex(index);
    emit combo(id)->activated(index);
  }
  void type(int id, const QString& text) {
    auto* row = static_cast<CParamEditItem*>(item(id));
    row->activate();
    row->setText(text);
    row->commit();
  }
  QString path(const char* name) { return dir->filePath(QString::fromLatin1(name)); }
  void newWith(FormFactor f) {
    prompts->formFactors.push_back(f);
    dialog->onCommand(cmd::kNew);
  }

 private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    qputenv("TEMP", dir->path().toUtf8());
    prompts = std::make_unique<ScriptedPrompts>();
    dialog = std::make_unique<CMainConfigDialog>(prompts.get());
  }
  void cleanup() {
    dialog.reset();
    prompts.reset();
    dir.reset();
  }

  void startsUntitledWithCustomAndEveryKind() {
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - Untitled"));
    QVERIFY(dialog->formFactorButton(2)->isChecked());
    QCOMPARE(dialog->formFactor(), 2);
    QCOMPARE(dialog->tree()->controlId(), 101);
    CParamItem* root = dialog->tree()->root();
    QCOMPARE(root->childCount(), 5);
    const QStringList headings = {"Temperature Monitors (0/12)", "Fan Monitors (0/8)", "Voltage Monitors (0/8)",
                                  "Temperature Response Units (0/12)", "Fan Controllers (0/8)"};
    for (int i = 0; i < 5; ++i) QCOMPARE(root->child(i)->label(), headings[i]);
    QCOMPARE(root->child(0)->child(2)->label(), QStringLiteral("Temperature Monitor 3"));
    QCOMPARE(root->child(0)->child(0)->childCount(), 16);
    QCOMPARE(dialog->minimumSize(), QSize(325, 450));
    // Generating and sending have no enabling rule: always available.
    for (const int id : {cmd::kGeneratePayload, cmd::kSendToFirmware}) {
      QAction* action = dialog->command(id);
      dialog->updateCommandUi(action, id);
      QVERIFY(action->isEnabled());
    }
    QCOMPARE(dialog->loadString(cmd::kGeneratePayload),
             QStringLiteral("Save all data to a binary payload file\nGenerate Configuration Payload"));
    QCOMPARE(dialog->loadString(cmd::kSendToFirmware),
             QStringLiteral("Send configured settings to firmware\nSend Configuration to Firmware"));
  }

  void newWithCustomOrAtx() {
    newWith(FormFactor::Custom);
    QCOMPARE(prompts->lastFormFactorText,
             QStringLiteral("A new configuration with defaults for the chosen form factor will be created.\r\n"
                            "This operation will discard the current configuration (no files will be "
                            "overwritten). Proceed?"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - Untitled"));
    QCOMPARE(value(1000), QStringLiteral("FALSE"));

    newWith(FormFactor::ATX);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - Untitled*"));
    QVERIFY(dialog->formFactorButton(0)->isChecked());
    QCOMPARE(item(100)->label(), QStringLiteral("Temperature Monitors (6/12)"));
    QCOMPARE(combo(1001)->currentText(), QStringLiteral("Processor Die/Package Temperature"));
    QCOMPARE(dialog->document().Checks().CollectErrorReport(), std::string());
    // The defaults come from the program: no temporary file is left behind.
    QVERIFY(!QFile::exists(path("2345-6789-0123-4567-8901.ini")));

    // Cancel changes nothing.
    dialog->onCommand(cmd::kNew);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - Untitled*"));
    QCOMPARE(value(1000), QStringLiteral("TRUE"));
  }

  // New takes the defaults from the program itself: a TEMP that is missing or
  // unsafe changes nothing, and nothing is written there.
  void newWithoutWorkDirectory() {
    const QString open = path("open");
    QVERIFY(QDir().mkdir(open) && ::chmod(QFile::encodeName(open).constData(), 0777) == 0);
    for (const QString& temp : {path("missing"), open}) {
      qputenv("TEMP", temp.toUtf8());
      dialog = std::make_unique<CMainConfigDialog>(prompts.get());
      prompts->log.clear();
      newWith(FormFactor::BTX);
      QCOMPARE(prompts->log, QStringList({"formFactor"}));
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - Untitled*"));
      QVERIFY(dialog->formFactorButton(1)->isChecked());
      QCOMPARE(item(100)->label(), QStringLiteral("Temperature Monitors (6/12)"));
      QCOMPARE(dialog->document().Checks().CollectErrorReport(), std::string());
    }
    QVERIFY(!QFileInfo::exists(path("missing")));
    QCOMPARE(QDir(open).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
  }

  void deviceSelectorFillsAndLocksHexFields() {
    choose(1000, "Enabled");
    const struct {
      const char* device;
      const char* address;
      const char* command;
      bool addressLocked, commandLocked;
    } cases[] = {
        {"Varn Temperature Sensor", "0x20", "0x00", true, true},
        {"Other Pell Bus Device (custom)", "0x20", "0x00", false, false},
        {"Bexmoor, Internal Sensor", "0x4C", "0x00", false, true},
    };
    for (const auto& c : cases) {
      choose(1002, c.device);
      QCOMPARE(value(1003), QString::fromLatin1(c.address));
      QCOMPARE(value(1004), QString::fromLatin1(c.command));
      QCOMPARE(item(1003)->isReadOnly(), c.addressLocked);
      QCOMPARE(item(1004)->isReadOnly(), c.commandLocked);
    }
  }

  // Typing is bounded by the field's length: a hex byte takes two digits after its "0x".
  void typingIsBoundedByTheLength() {
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    choose(3000, "Enabled");
    choose(3002, "Other Pell Bus Device (custom)");
    const struct {
      int id;
      const char* keys;
      const char* shown;
    } cases[] = {
        {3003, "4c", "0x4C"},        // FanMonitor1 DeviceAddress
        {3003, "4c7", "0x4C"},
        {3006, "1234567", "123456"},  // FanSpeedNominal, six digits
    };
    for (const auto& c : cases) {
      auto* row = static_cast<CParamEditItem*>(item(c.id));
      row->setText(QString());
      dialog->tree()->setFocusedItem(row);
      row->activate();
      QTest::keyClicks(row->lineEdit(), QString::fromLatin1(c.keys));
      QCOMPARE(row->text(), QString::fromLatin1(c.shown));
    }
  }

  void enablingTemperatureMonitor3() {
    choose(1000, "Enabled");
    choose(1100, "Enabled");
    QCOMPARE(item(100)->label(), QStringLiteral("Temperature Monitors (2/12)"));
    QCOMPARE(combo(7002)->findText("Temperature Monitor  3"), -1);
    choose(1200, "Enabled");
    QCOMPARE(item(100)->label(), QStringLiteral("Temperature Monitors (3/12)"));
    QVERIFY(!item(1201)->isReadOnly());
    QCOMPARE(item(1200)->labelBackColor(), QColor(0x44, 0xEE, 0x44));
    for (int unit = 0; unit < 12; ++unit) {
      QVERIFY(combo(7002 + 100 * unit)->findText("Temperature Monitor  3") >= 0);
      QVERIFY(combo(7011 + 100 * unit)->findText("Temperature Monitor  3") >= 0);
    }
  }

  void fanSlotSetWhileAnEarlierOneIsNone() {
    choose(3000, "Enabled");
    choose(9000, "Enabled");
    QVERIFY(item(9014)->isReadOnly());
    choose(9013, "Fan Monitor  1");
    QCOMPARE(item(9013)->labelBackColor(), QColor(0xEE, 0x44, 0x44));
    // Its fan fields open; the empty True/False field asks for an answer.
    QVERIFY(!item(9014)->isReadOnly());
    QCOMPARE(combo(9017)->itemText(0), QStringLiteral("Choose True or False..."));
    QVERIFY(item(9017)->messageText().startsWith(QStringLiteral("Value must be True or False. ")));
    choose(9008, "Fan Monitor  1");
    QCOMPARE(item(9013)->labelBackColor(), QColor(0xFF, 0xFF, 0xFF));
  }

  void helpFollowsTheUsage() {
    choose(5000, "Enabled");
    const QString base = QString::fromStdString(dialog->schema().Descriptor(5006)->help);
    choose(5001, "Processor 2 Vccp Voltage");
    QCOMPARE(item(5006)->helpText(), base + " Specify this value relative to, or as an offset from Vccp voltage.");
    choose(5001, "+5 Volts");
    QCOMPARE(item(5006)->helpText(), base + " Specify as an absolute value.");
  }

  void commitEqualToTheSavedValueKeepsTheTitle() {
    choose(1000, "Disabled");
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - Untitled"));
    choose(1000, "Enabled");
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - Untitled*"));
    choose(1000, "Disabled");
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - Untitled*"));
  }

  // A file Load cannot take changes nothing: not the values, the title, the
  // modified flag or the file a later Save writes.
  void aFileThatCannotBeLoadedChangesNothing() {
    const QString saved = path("board.ini");
    WriteAll(saved, "[TemperatureMonitor1]\nEnabled=TRUE\n");
    dialog->openFile(saved, FormFactor::Custom);
    choose(1000, "Disabled");
    const QString title = dialog->windowTitle();
    QCOMPARE(title, QStringLiteral("Zefr Configuration Utility - board.ini*"));
    const QString payload = path("atx.bin");
    QByteArray bytes(1984, '\0');
    bytes[0] = 0x5A;
    WriteAll(payload, bytes);
    const QString big = path("big.ini");
    WriteAll(big, QByteArray(1048577, ';'));
    for (const QString& bad : {payload, big, dir->path(), path("notes.txt")}) {
      if (bad.endsWith("notes.txt")) WriteAll(bad, "just some notes\nand more\n");
      prompts->log.clear();
      dialog->openFile(bad, FormFactor::ATX);
      QCOMPARE(prompts->log.size(), qsizetype{1});
      QVERIFY2(prompts->log[0].startsWith("warn:Warning:The file \"" + bad + "\" could not be loaded.\n"),
               qPrintable(prompts->log[0]));
      QCOMPARE(dialog->windowTitle(), title);
      QCOMPARE(value(1000), QStringLiteral("FALSE"));
      QVERIFY(dialog->document().Modified());
    }
    // The next Save still goes to the file that was loaded, and the payload is untouched.
    prompts->statusAnswer = 1;
    QVERIFY(dialog->save());
    QVERIFY(ReadAll(saved).contains("Enabled=FALSE"));
    QCOMPARE(ReadAll(payload), bytes);
  }

  void aMissingFileSaysSoAndBecomesTheFile() {
    const QString fresh = path("fresh.ini");
    prompts->log.clear();
    dialog->openFile(fresh, FormFactor::Custom);
    QCOMPARE(prompts->log, QStringList{"inform:File Not Found"});
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - fresh.ini"));
  }

  void loadedErrorsAreReported() {
    const QString file = path("errors.ini");
    WriteAll(file, "[TemperatureMonitor1]\nEnabled=TRUE\nUsage=Foo\nDeviceAddress=0x1FF\n");
    dialog->openFile(file, FormFactor::Custom);
    QCOMPARE(prompts->statusModes.size(), size_t{1});
    QCOMPARE(prompts->statusModes[0], CStatusDialog::Mode::LoadReport);
    // The editor's words first, then the compiler's; then what only the compiler refuses.
    QVERIFY2(prompts->statusText.startsWith(
                 QString::fromUtf8("Temperature Monitors 1\u00BBUsage: Bad value. Compiler: Invalid Syntax! \n"
                                   "Temperature Monitors 1\u00BB" "Device Address: Value out of range (0, 255). "
                                   "Value length longer than 2. Compiler: Out of Range! \n"
                                   "Temperature Monitors 1\u00BBRelative Readings: Compiler: Input Missing! \n")),
             qPrintable(prompts->statusText));
    QCOMPARE(combo(1001)->currentText(), QStringLiteral("Bad Data (Foo)"));
    // Loaded whole, though longer than the field takes when typed.
    QCOMPARE(static_cast<CParamEditItem*>(item(1003))->text(), QStringLiteral("0x1FF"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - errors.ini"));
    QCOMPARE(item(1001)->labelBackColor(), QColor(0xEE, 0x44, 0x44));

    // Saved anyway, the unknown value goes back as it came.
    choose(1005, "True");
    prompts->statusAnswer = 1;
    QVERIFY(dialog->save());
    QCOMPARE(prompts->statusModes.back(), CStatusDialog::Mode::SaveQuestion);
    QVERIFY(ReadAll(file).contains("Usage=Foo\n"));
    QVERIFY(ReadAll(file).contains("RelativeReadings=TRUE\n"));
    // Cancel in the question leaves the document as it was.
    choose(1005, "False");
    prompts->statusAnswer = 2;
    QVERIFY(!dialog->save());
    QVERIFY(dialog->document().Modified());
  }

  void commentsSurviveLoadAndSave() {
    const QString file = path("smooth.ini");
    WriteAll(file, ";; top\n[TemperatureResponse1]\nEnabled=TRUE\nSmoothingWindow=4   ; four readings\n[Mine]\nA=b\n");
    dialog->openFile(file, FormFactor::Custom);
    QCOMPARE(value(7003), QStringLiteral("4"));
    type(7003, "6");
    prompts->statusAnswer = 1;
    QVERIFY(dialog->save());
    const QByteArray saved = ReadAll(file);
    QVERIFY(saved.startsWith(";; top\n[TemperatureResponse1]\nEnabled=TRUE\nSmoothingWindow=6\t; four readings\n"));
    QVERIFY(saved.contains("[Mine]\nA=b\n"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - smooth.ini"));
  }

  void saveOfALoadedDefaultChangesOnlyTheEdit() {
    const QString file = path("board.ini");
    QVERIFY(QFile::copy(Res("ZefrCfgBTX.ini"), file));
    const QByteArray before = ReadAll(file);
    dialog->openFile(file, FormFactor::BTX);
    QVERIFY(prompts->statusModes.empty());
    QVERIFY(dialog->save());
    QCOMPARE(ReadAll(file), before);
    type(3006, "2600");  // FanMonitor1 FanSpeedNominal
    QVERIFY(dialog->save());
    QByteArray expected = before;
    const QByteArray line = "FanSpeedNominal=2500";
    const int at = expected.indexOf("[FanMonitor1]");
    const int lineAt = expected.indexOf(line, at);
    QVERIFY(lineAt > at);
    const int end = expected.indexOf('\n', lineAt);
    expected.replace(lineAt, end - lineAt, "FanSpeedNominal=2600");
    QCOMPARE(ReadAll(file), expected);
  }

  void saveAsLaysTheAtxFileUnder() {
    newWith(FormFactor::BTX);
    const QString file = path("copy.ini");
    prompts->savePaths.push_back(file);
    QVERIFY(dialog->saveAs());
    QCOMPARE(prompts->log.last(), QStringLiteral("save:Save As:INI Files (*.ini)|All Files (*.*)||:.ini"));
    const QByteArray saved = ReadAll(file);
    QVERIFY(saved.startsWith(";; ZefrCfgATX.ini"));
    QVERIFY(saved.contains("[TemperatureMonitor1]\n"));
    QVERIFY(saved.contains("Usage=2\t;Processor Die/Package Temperature\n"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - copy.ini"));
    // Reloaded, it is the BTX configuration.
    CMainConfigDialog other(prompts.get());
    other.openFile(file, FormFactor::BTX);
    for (const zefr::ParameterId id : dialog->schema().DisplayOrder())
      QCOMPARE(other.document().ValueOf(id), dialog->document().ValueOf(id));
  }

  void failedSaveIsReported() {
    choose(1000, "Enabled");
    prompts->savePaths.push_back(path("no/such/dir/x.ini"));
    QVERIFY(!dialog->saveAs());
    QVERIFY(prompts->log.last().startsWith("warn:Warning:The configuration could not be saved"));
    QVERIFY(dialog->document().Modified());
  }

  void quitPrompt() {
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    // Unchanged: closes without a question.
    QVERIFY(dialog->close());
    QVERIFY(prompts->log.isEmpty());

    dialog->show();
    choose(1000, "Enabled");
    prompts->answers = {EditorPrompts::Answer::Cancel};
    QVERIFY(!dialog->close());
    QVERIFY(dialog->isVisible());
    QCOMPARE(prompts->log.last(), QStringLiteral("ask:Warning:Current configuration has not been saved. "
                                                 "Save before quitting?"));
    // The toolbar's Quit asks the same question.
    prompts->answers = {EditorPrompts::Answer::Cancel};
    dialog->onCommand(cmd::kOk);
    QVERIFY(dialog->isVisible());
    QCOMPARE(prompts->log.count(), 2);
    // Yes, then the file dialog cancelled: the work stays on screen.
    prompts->answers = {EditorPrompts::Answer::Yes};
    QVERIFY(!dialog->close());
    QVERIFY(dialog->isVisible());
    // Yes with a file: saved, then closed.
    prompts->answers = {EditorPrompts::Answer::Yes};
    prompts->savePaths.push_back(path("quit.ini"));
    QVERIFY(dialog->close());
    QVERIFY(QFile::exists(path("quit.ini")));

    dialog->show();
    choose(1000, "Disabled");
    prompts->answers = {EditorPrompts::Answer::No};
    QVERIFY(dialog->close());
    QVERIFY(!dialog->isVisible());
  }

  // Text typed into a row without Enter counts as an edit for Close, Quit, New and Load.
  void typedTextIsNotLostOnCloseNewOrLoad() {
    const QString file = path("board.ini");
    WriteAll(file, "[TemperatureMonitor1]\nEnabled=TRUE\n");
    const struct {
      const char* name;
      int command;  // 0: close the window
    } cases[] = {{"close", 0}, {"quit", cmd::kOk}, {"new", cmd::kNew}, {"load", cmd::kLoadIni}};
    for (const auto& c : cases) {
      dialog = std::make_unique<CMainConfigDialog>(prompts.get());
      dialog->openFile(file, FormFactor::Custom);
      dialog->show();
      QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
      prompts->log.clear();
      auto* row = static_cast<CParamEditItem*>(item(1006));  // RelativeConversionFactor
      dialog->tree()->setFocusedItem(row);
      row->activate();
      QTest::keyClicks(row->lineEdit(), QStringLiteral("2.5"));
      prompts->answers = {EditorPrompts::Answer::Cancel};
      if (c.command == 0)
        QVERIFY2(!dialog->close(), c.name);
      else
        dialog->onCommand(c.command);
      QVERIFY2(!row->isEditing(), c.name);
      QCOMPARE(value(1006), QStringLiteral("2.5"));
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - board.ini*"));
      if (c.command == 0 || c.command == cmd::kOk)
        QCOMPARE(prompts->log.value(0), QStringLiteral("ask:Warning:Current configuration has not been saved. "
                                                       "Save before quitting?"));
      QVERIFY2(dialog->isVisible(), c.name);
    }
    // Yes saves what was typed (over the selected old text).
    auto* row = static_cast<CParamEditItem*>(item(1006));
    row->activate();
    QTest::keyClicks(row->lineEdit(), QStringLiteral("7"));
    prompts->answers = {EditorPrompts::Answer::Yes};
    prompts->statusAnswer = 1;
    QVERIFY(dialog->close());
    QVERIFY(ReadAll(file).contains("RelativeConversionFactor=7"));
  }

  void keysNeverCloseAndShortcutsWorkInsideAnEditor() {
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->activateWindow();
    choose(1000, "Enabled");
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    QVERIFY(dialog->isVisible());

    auto* row = static_cast<CParamEditItem*>(item(1006));
    dialog->tree()->setFocusedItem(row);
    row->activate();
    QLineEdit* edit = row->lineEdit();
    QVERIFY(edit->isVisible());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(prompts->log.count("formFactor"), 1);
    QTest::keyClick(edit, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(prompts->log.count("formFactor"), 2);
    dialog->paths().program.directory = dir->path().toStdString() + '/';
    QVERIFY(QFile(path("ZEFRCT_GUI_ug.pdf")).open(QIODevice::WriteOnly));
    QTest::keyClick(edit, Qt::Key_F1);
    QCOMPARE(prompts->opened, path("ZEFRCT_GUI_ug.pdf"));
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(prompts->log.last().startsWith("save:Save As:"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(dialog->isVisible());
  }

  void layoutFollowsTheBars() {
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->resize(600, 700);
    QCOMPARE(dialog->tree()->geometry().top(), dialog->contentRect().top());
    QCOMPARE(dialog->tree()->width(), dialog->width());
    const int treeTop = dialog->tree()->y();
    const int radioTop = dialog->formFactorButton(0)->y();
    const int height = dialog->height();
    const int bar = dialog->toolBar()->sizeHint().height();
    dialog->onCommand(cmd::kViewToolBar);
    QCOMPARE(dialog->formFactorButton(0)->y(), radioTop - bar);
    QCOMPARE(dialog->height(), height - bar);
    QCOMPARE(dialog->tree()->y(), dialog->contentRect().top());
    QVERIFY(dialog->tree()->y() < treeTop);
    dialog->onCommand(cmd::kViewToolBar);
    QCOMPARE(dialog->tree()->y(), treeTop);
  }

  void expandAndCollapseAll() {
    dialog->onCommand(cmd::kExpandAll);
    QVERIFY(item(1000)->isExpanded());
    dialog->tree()->setFocusedItem(item(1003));
    dialog->onCommand(cmd::kCollapseAll);
    QVERIFY(!item(100)->isExpanded());
    QCOMPARE(dialog->tree()->focusedItem(), nullptr);
  }

  void commandsOfTheHelpMenu() {
    dialog->onCommand(cmd::kAbout);
    QCOMPARE(prompts->log.last(), QStringLiteral("about"));
    QCOMPARE(dialog->loadString(cmd::kSaveIni), QStringLiteral("Save all data to the current INI File\nSave INI File"));
  }

  // F1 opens the guide when there is one, and otherwise says where it looked.
  void userGuideFoundOrWhereItLooked() {
    const QString bin = dir->filePath("bin") + '/';
    QVERIFY(QDir().mkpath(bin));
    dialog->paths().program.directory = bin.toStdString();
    const QStringList places = UserGuidePlaces(bin);
    QCOMPARE(places.first(), bin + "ZEFRCT_GUI_ug.pdf");
    dialog->onCommand(cmd::kUserGuide);
    QVERIFY(prompts->opened.isEmpty());
    QCOMPARE(prompts->log.last(), "warn:Warning:User guide not found. Looked for:\n" + places.join('\n'));
    QVERIFY(QFile(places.first()).open(QIODevice::WriteOnly));
    prompts->log.clear();
    dialog->onCommand(cmd::kUserGuide);
    QCOMPARE(prompts->opened, places.first());
    QVERIFY(prompts->log.isEmpty());
  }

  void resourcesHoldTheDefaults() {
    CMainConfigDialog::ExtractResource("INIFILE", 144, path("a.ini"));
    CMainConfigDialog::ExtractResource("INIFILE", 136, path("b.ini"));
    CMainConfigDialog::ExtractResource("INIFILE", 999, path("c.ini"));
    QCOMPARE(ReadAll(path("a.ini")), ReadAll(Res("ZefrCfgATX.ini")));
    QCOMPARE(ReadAll(path("b.ini")), ReadAll(Res("ZefrCfgBTX.ini")));
    QVERIFY(!QFile::exists(path("c.ini")));
  }

  // A default loaded, saved under a new name and compiled gives the default's own payload.
  void saveAsCompilesToTheSamePayload() {
#ifdef ZEFRCFG_PATH
    const auto compile = [](const QString& ini, const QString& payload) {
      QProcess run;
      run.start(QStringLiteral(ZEFRCFG_PATH), {ini, QStringLiteral("-o"), payload});
      return run.waitForFinished(30000) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
    };
    for (const char* name : {"ZefrCfgATX.ini", "ZefrCfgBTX.ini"}) {
      const QString saved = path("saved.ini");
      dialog->openFile(Res(name), FormFactor::Custom);
      prompts->savePaths.push_back(saved);
      QVERIFY(dialog->saveAs());
      QVERIFY(compile(Res(name), path("default.bin")));
      QVERIFY(compile(saved, path("saved.bin")));
      QCOMPARE(ReadAll(path("saved.bin")).size(), 1984);
      QCOMPARE(ReadAll(path("saved.bin")), ReadAll(path("default.bin")));
    }
#else
    QSKIP("zefrcfg is not built");
#endif
  }

  // Generate writes the document as it stands and compiles it with the embedded
  // compiler; the document keeps its name and flags.
  void generateAndSendFromTheWindow() {
#ifdef ZEFRCFG_PATH
    newWith(FormFactor::ATX);
    prompts->savePaths.push_back(path("atx.bin"));
    dialog->onCommand(cmd::kGeneratePayload);
    QCOMPARE(prompts->statusModes.back(), CStatusDialog::Mode::Summary);
    QVERIFY2(prompts->statusText.contains(QStringLiteral("Write Complete.")), qPrintable(prompts->statusText));
    QProcess run;
    run.start(QStringLiteral(ZEFRCFG_PATH), {Res("ZefrCfgATX.ini"), QStringLiteral("-o"), path("ref.bin")});
    QVERIFY(run.waitForFinished(30000));
    QCOMPARE(ReadAll(path("atx.bin")).size(), 1984);
    QCOMPARE(ReadAll(path("atx.bin")), ReadAll(path("ref.bin")));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zefr Configuration Utility - Untitled*"));

    qputenv("ZEFR_DEVICE_DIR", path("no-device").toUtf8());
    dialog->onCommand(cmd::kSendToFirmware);
    QCOMPARE(prompts->log.last(),
             QStringLiteral("yesno:Warning:Proceeding with sending configuration to firmware. Are you sure?"));
    QVERIFY(prompts->statusText.contains(QStringLiteral("*** Unable to connect to ZEFR Subsystem!!")));
    const zefr::WorkDirectory& work = dialog->payloadCommands().workDirectory();
    QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
#else
    QSKIP("zefrcfg is not built");
#endif
  }

  void errorsStopGenerate() {
    const QString file = path("errors.ini");
    QByteArray text = ReadAll(Res("ZefrCfgATX.ini"));
    text.replace("TimeoutNonCritical=1\n", "TimeoutNonCritical=0\n");
    WriteAll(file, text);
    dialog->openFile(file, FormFactor::ATX);
    prompts->log.clear();
    dialog->onCommand(cmd::kGeneratePayload);
    QCOMPARE(prompts->statusModes.back(), CStatusDialog::Mode::Errors);
    QVERIFY(!prompts->statusText.isEmpty());
    QVERIFY(prompts->log.isEmpty());  // no save dialog
  }

  // What only the compiler refuses does not stop Generate: the compiler runs and
  // refuses, and its finding by tree name stands above its output.
  void compilerFindingsGoAheadOfGenerate() {
    newWith(FormFactor::ATX);
    type(1007, "-0.5123");
    prompts->savePaths.push_back(path("x.bin"));
    dialog->onCommand(cmd::kGeneratePayload);
    QCOMPARE(prompts->statusModes.back(), CStatusDialog::Mode::Summary);
    QVERIFY2(prompts->statusText.startsWith(QString::fromUtf8(
                 "Temperature Monitors 1\u00BB" "Accuracy Correction Slope: Compiler: Out of Range! \r\n")),
             qPrintable(prompts->statusText));
    QVERIFY(prompts->statusText.contains(QStringLiteral("Parameter \"AccuracyCorrectionSlope\" - Out of Range!")));
    QVERIFY(!QFile::exists(path("x.bin")));
  }

  // The window's destruction removes the temporary files and the work directory.
  void destructionCleansUp() {
    zefr::WorkDirectory& work = dialog->payloadCommands().workDirectory();
    QVERIFY(work.ensure());
    const QString folder = work.path();
    for (const QString& f : {work.iniPath(), work.compilerPath(), work.libraryPath()}) WriteAll(f, "left over");
    dialog.reset();
    QVERIFY(!QFileInfo::exists(folder));
  }

  // Pictures of the window for the eye, in build/screenshots.
  void screenshots() {
    QDir().mkpath(ZEFR_SCREENSHOT_DIR);
    // Each picture is the whole window with its tree showing, and drawn: more
    // than a flat colour, and not the picture before it.
    QImage previous;
    const auto shoot = [this, &previous](const char* name) {
      QTest::qWait(50);
      const QPixmap shot = dialog->grab();
      QCOMPARE(shot.size(), dialog->size() * shot.devicePixelRatio());
      QVERIFY(dialog->tree()->isVisible());
      const QImage image = shot.toImage();
      QSet<QRgb> colours;
      for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
      QVERIFY2(colours.size() >= 8, name);
      QVERIFY2(image != previous, name);
      previous = image;
      QVERIFY(shot.save(QStringLiteral(ZEFR_SCREENSHOT_DIR "/") + name));
    };
    dialog->resize(520, 640);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    shoot("main_start.png");

    newWith(FormFactor::ATX);
    item(100)->setExpanded(true);
    item(1000)->setExpanded(true);
    dialog->tree()->setFocusedItem(item(1001));
    dialog->tree()->moveFocusTo(item(1001));
    shoot("main_new_atx.png");

    const QString file = path("errors.ini");
    QByteArray text = ReadAll(Res("ZefrCfgATX.ini"));
    text.replace("DeviceAddress=0x4C ", "DeviceAddress=0x1FF");
    text.replace("TimeoutNonCritical=1\n", "TimeoutNonCritical=0\n");
    text.replace("Usage=7  ", "Usage=X  ");
    WriteAll(file, text);
    dialog->openFile(file, FormFactor::ATX);
    dialog->onCommand(cmd::kCollapseAll);
    item(100)->setExpanded(true);
    item(1100)->setExpanded(true);
    dialog->tree()->moveFocusTo(item(1103));
    shoot("main_errors.png");

    // A value only the compiler refuses: red, its words in the description pane.
    newWith(FormFactor::ATX);
    item(100)->setExpanded(true);
    item(1000)->setExpanded(true);
    type(1007, "-0.5123");
    dialog->tree()->moveFocusTo(item(1007));
    QCOMPARE(item(1007)->messageText(), QStringLiteral("Compiler: Out of Range! "));
    QCOMPARE(item(1007)->labelBackColor(), QColor(0xEE, 0x44, 0x44));
    shoot("main_compiler_finding.png");
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_config_dialog_test.moc"
