// Generate and Send end to end: the embedded compiler runs on a real INI file, and
// Send delivers to zefrsim. The host answers the dialogs.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QPushButton>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>

#include "captured_run.h"
#include "payload_commands.h"
#include "sim_harness.h"

using Mode = CStatusDialog::Mode;

namespace {

const QString kAtx = QStringLiteral(ZEFR_RES_DIR "/ZefrCfgATX.ini");
const QString kCannot = QStringLiteral("File could not be created.");

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The payload the compiler itself writes for an INI file.
QByteArray compiled(const QString& ini) {
  QTemporaryDir dir;
  QProcess p;
  p.setWorkingDirectory(dir.path());
  p.start(QStringLiteral(ZEFRCFG_BINARY), {ini, QStringLiteral("-o"), QStringLiteral("ref.bin")});
  p.waitForFinished(30000);
  return readAll(dir.filePath(QStringLiteral("ref.bin")));
}

struct Shown {
  Mode mode;
  QString text;
  bool proceedEnabled;
  bool cancelEnabled;
};

class TestHost : public PayloadCommandHost, public EditorPrompts {
 public:
  QWidget* owner() override { return nullptr; }
  void updateData(bool save) override { (save ? dataIn : dataOut)++; }
  QString collectErrorReport() override { return report; }
  QString compilerFindings() override { return findings; }
  void writeConfiguration(const QString& path) override {
    writtenTo = path;
    QFile::copy(iniSource, path);
  }
  int showStatus(QWidget*, Mode mode, const QString& text) override {
    CStatusDialog d(mode, text);
    shown.push_back({mode, text, d.button(1)->isEnabled(), d.button(2)->isEnabled()});
    if (!screenshot.isEmpty()) {
      d.show();
      if (!QTest::qWaitForWindowExposed(&d)) qWarning("status dialog not exposed");
      QDir().mkpath(QStringLiteral(ZEFR_SCREENSHOT_DIR));
      d.grab().save(QStringLiteral(ZEFR_SCREENSHOT_DIR "/") + screenshot);
    }
    statusWorkFiles = workFilesLeft();
    return mode == Mode::Errors ? 2 : 1;
  }
  QString saveFileName(QWidget*, const QString& title, const QString& filterList,
                       const QString& initialName) override {
    saveDialogs << title + u'#' + filterList + u'#' + initialName;
    return destination;
  }
  bool askYesNo(QWidget*, const QString& caption, const QString& text) override {
    questions << caption + u'|' + text;
    return answerYes;
  }
  void warn(QWidget*, const QString& caption, const QString& text) override { warnings << caption + u'|' + text; }
  // The commands ask nothing else; a call shows as an unexpected warning.
  Answer askYesNoCancel(QWidget*, const QString& caption, const QString&) override {
    warnings << "unexpected:" + caption;
    return Answer::Cancel;
  }
  void inform(QWidget*, const QString& caption, const QString&) override { warnings << "unexpected:" + caption; }
  std::optional<zefr::FormFactor> chooseFormFactor(QWidget*, const QString&) override {
    warnings << QStringLiteral("unexpected:form factor");
    return std::nullopt;
  }
  QString openFileName(QWidget*) override {
    warnings << QStringLiteral("unexpected:open");
    return {};
  }
  void about(QWidget*) override { warnings << QStringLiteral("unexpected:about"); }
  void openDocument(const QString& path) override { warnings << "unexpected:" + path; }
  void compilerStarted(CWaitDialog* dialog) override {
    waitDialogs++;
    if (onCompiler) onCompiler(dialog);
  }

  // The temporary files still in the work directory.
  QStringList workFilesLeft() const {
    if (work == nullptr || work->path().isEmpty()) return {};
    QStringList left;
    for (const QString& f : {work->iniPath(), work->compilerPath(), work->libraryPath()})
      if (zefr::PathTaken(f)) left << QFileInfo(f).fileName();
    return left;
  }

  QString report, findings;
  QString iniSource = kAtx;
  QString destination;
  bool answerYes = true;
  QString screenshot;
  std::function<void(CWaitDialog*)> onCompiler;
  zefr::WorkDirectory* work = nullptr;

  int dataIn = 0, dataOut = 0, waitDialogs = 0;
  QString writtenTo;
  std::vector<Shown> shown;
  QStringList saveDialogs, questions, warnings, statusWorkFiles;
};

}  // namespace

class PayloadCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void generateAtx();
  void generateDestinations_data();
  void generateDestinations();
  void badValues_data();
  void badValues();
  void errorsStopBothCommands_data();
  void errorsStopBothCommands();
  void cancelledOrRefusedWritesNothing_data();
  void cancelledOrRefusedWritesNothing();
  void blockedWorkDirectory_data();
  void blockedWorkDirectory();
  void sendAccepted();
  void sendRefused();
  void sendCancelled();
  void sendWithoutDevice();
  void oneCommandAtATime();
  void findingsComeFirst_data();
  void findingsComeFirst();
  void workDirectoryCannotBeMade_data();
  void workDirectoryCannotBeMade();
  void directorySwappedBetweenCommands();
  void programChangedBeforeItRuns_data();
  void programChangedBeforeItRuns();
  void interruptedCommandLeavesNoFiles_data();
  void interruptedCommandLeavesNoFiles();

 private:
  void useDevice(const std::string& dir) { qputenv("ZEFR_DEVICE_DIR", QByteArray::fromStdString(dir)); }

  std::unique_ptr<QTemporaryDir> m_temp;  // stands for TEMP
  std::unique_ptr<QTemporaryDir> m_out;   // where the user saves
  std::unique_ptr<TestHost> m_host;
  std::unique_ptr<CPayloadCommands> m_commands;
};

void PayloadCommandsTest::init() {
  m_temp = std::make_unique<QTemporaryDir>();
  m_out = std::make_unique<QTemporaryDir>();
  qputenv("TEMP", m_temp->path().toUtf8());
  m_host = std::make_unique<TestHost>();
  m_commands = std::make_unique<CPayloadCommands>(*m_host, *m_host);
  m_host->work = &m_commands->workDirectory();
  useDevice(m_temp->filePath(QStringLiteral("no-device")).toStdString());
}

void PayloadCommandsTest::cleanup() {
  // After every command, none of the temporary files is left.
  QCOMPARE(m_host->workFilesLeft(), QStringList());
  QCOMPARE(m_host->statusWorkFiles, QStringList());
  m_commands.reset();
  m_host.reset();
  m_out.reset();
  m_temp.reset();
}

void PayloadCommandsTest::generateAtx() {
  m_host->destination = m_out->filePath(QStringLiteral("atx.bin"));
  m_host->screenshot = QStringLiteral("status_after_generate.png");
  m_commands->generate();

  QCOMPARE(m_host->saveDialogs, QStringList{"Save As#Binaries (*.bin)|All Files (*.*)||#.bin"});
  const QByteArray payload = readAll(m_host->destination);
  QCOMPARE(payload.size(), 1984);
  QVERIFY(payload == compiled(kAtx));

  QCOMPARE(m_host->shown.size(), size_t(1));
  const Shown& s = m_host->shown[0];
  QCOMPARE(s.mode, Mode::Summary);
  for (const char* line :
       {"Zefr Configuration Utility V1.0.0.1114", "Parsing INI file \"2345-6789-0123-4567-8901.ini\"...",
        "Parsing Successful.", "Writing Payload file \"atx.bin\"...", "Write Complete."})
    QVERIFY2(s.text.contains(QLatin1String(line)), line);
  QVERIFY(!s.text.contains(kCannot));
  QCOMPARE(m_commands->statusText(), s.text);
  QCOMPARE(m_host->waitDialogs, 1);
  QCOMPARE(m_host->dataIn, 1);
  QCOMPARE(m_host->dataOut, 1);

  // The files were made in a private directory under TEMP, which is empty again.
  const QString work = m_commands->workDirectory().path();
  QCOMPARE(QFileInfo(m_host->writtenTo).absolutePath(), work);
  QCOMPARE(QFileInfo(work).absolutePath(), QFileInfo(m_temp->path()).absoluteFilePath());
  QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
  m_commands.reset();
  m_host->work = nullptr;
  QVERIFY(!QFileInfo::exists(work));
}

void PayloadCommandsTest::generateDestinations_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<bool>("inWorkDirectory");
  QTest::addColumn<bool>("written");
  QTest::addColumn<bool>("refused");  // warned before anything ran
  QTest::newRow("replaces an older file") << "old.bin" << false << true << false;
  QTest::newRow("blank in the name") << "my payload.bin" << false << true << false;
  QTest::newRow("named like the temporary INI") << "2345-6789-0123-4567-8901.ini" << false << true << false;
  // The compiler cannot write over its own running program.
  QTest::newRow("named like the temporary compiler") << "324324324324343424343242" << false << false << false;
  QTest::newRow("inside the work directory") << "kept.bin" << true << true << false;
  QTest::newRow("a temporary file itself") << "2345-6789-0123-4567-8901.ini" << true << false << true;
}

void PayloadCommandsTest::generateDestinations() {
  QFETCH(QString, name);
  QFETCH(bool, inWorkDirectory);
  QFETCH(bool, written);
  QFETCH(bool, refused);
  QVERIFY(m_commands->workDirectory().ensure());
  const QString dir = inWorkDirectory ? m_commands->workDirectory().path() : m_out->path();
  m_host->destination = dir + u'/' + name;
  QVERIFY(writeFile(m_host->destination, "older content"));
  m_commands->generate();
  if (refused) {
    QCOMPARE(m_host->warnings, QStringList{"Warning|File could not be created."});
    QVERIFY(m_host->shown.empty());
    return;
  }

  QCOMPARE(m_host->shown.size(), size_t(1));
  const QString& text = m_host->shown[0].text;
  if (written) {
    QVERIFY(readAll(m_host->destination) == compiled(kAtx));
    QVERIFY(text.contains(QStringLiteral("Writing Payload file \"%1\"...").arg(name)));
    QVERIFY(!text.endsWith(kCannot));
  } else {
    QVERIFY(text.endsWith(QStringLiteral("\r\n") + kCannot));
    QCOMPARE(readAll(m_host->destination), QByteArray("older content"));
  }
  if (inWorkDirectory) {
    // The user's file outlives the editor's work directory.
    m_commands.reset();
    m_host->work = nullptr;
    QVERIFY(readAll(m_host->destination) == compiled(kAtx));
  }
}

void PayloadCommandsTest::badValues_data() {
  QTest::addColumn<QByteArray>("section");
  QTest::addColumn<bool>("refused");
  // The compiler skips a disabled instance, as the editor's report does.
  QTest::newRow("disabled instance") << QByteArray("[TemperatureMonitor7]\nEnabled=FALSE\n") << false;
  // An error the editor's report let through: the compiler refuses the file and
  // the older destination stays as it was.
  QTest::newRow("enabled instance") << QByteArray("[TemperatureMonitor1]\nEnabled=TRUE\n") << true;
}

void PayloadCommandsTest::badValues() {
  QFETCH(QByteArray, section);
  QFETCH(bool, refused);
  QByteArray ini = readAll(kAtx);
  const qsizetype at = ini.indexOf(section);
  QVERIFY(at >= 0);
  ini.insert(at + section.size(), "ZoneOffset=banana\nTimeoutCritical=banana\n");
  const QString bad = m_out->filePath(QStringLiteral("bad.ini"));
  QVERIFY(writeFile(bad, ini));
  m_host->iniSource = bad;
  m_host->destination = m_out->filePath(QStringLiteral("kept.bin"));
  QVERIFY(writeFile(m_host->destination, "earlier payload"));
  m_commands->generate();
  QCOMPARE(m_host->shown.size(), size_t(1));
  const QString& text = m_host->shown[0].text;
  QCOMPARE(text.contains(QStringLiteral("Terminating Program due to INI file errors")), refused);
  QCOMPARE(text.endsWith(QStringLiteral("\r\n") + kCannot), refused);
  if (refused)
    QCOMPARE(readAll(m_host->destination), QByteArray("earlier payload"));
  else
    QVERIFY(readAll(m_host->destination) == compiled(kAtx));
}

void PayloadCommandsTest::errorsStopBothCommands_data() {
  QTest::addColumn<bool>("send");
  QTest::newRow("generate") << false;
  QTest::newRow("send") << true;
}

void PayloadCommandsTest::errorsStopBothCommands() {
  QFETCH(bool, send);
  m_host->report = QStringLiteral("Temperature Monitor 1: Usage is out of range\r\n");
  m_host->destination = m_out->filePath(QStringLiteral("x.bin"));
  send ? m_commands->send() : m_commands->generate();
  QCOMPARE(m_host->shown.size(), size_t(1));
  QCOMPARE(m_host->shown[0].mode, Mode::Errors);
  QCOMPARE(m_host->shown[0].text, m_host->report);
  QVERIFY(!m_host->shown[0].proceedEnabled);
  QVERIFY(m_host->shown[0].cancelEnabled);
  QVERIFY(m_host->saveDialogs.isEmpty());
  QVERIFY(m_host->questions.isEmpty());
  QCOMPARE(m_host->waitDialogs, 0);
  QCOMPARE(m_host->dataOut, 0);  // the controls are not refreshed on this path
  QVERIFY(m_host->writtenTo.isEmpty());
  QVERIFY(!QFileInfo::exists(m_host->destination));
}

void PayloadCommandsTest::cancelledOrRefusedWritesNothing_data() {
  QTest::addColumn<bool>("send");
  QTest::newRow("save dialog cancelled") << false;
  QTest::newRow("send answered No") << true;
}

void PayloadCommandsTest::cancelledOrRefusedWritesNothing() {
  QFETCH(bool, send);
  m_host->answerYes = false;
  m_host->destination.clear();
  send ? m_commands->send() : m_commands->generate();
  QCOMPARE(m_host->saveDialogs.size(), send ? 0 : 1);
  QCOMPARE(m_host->questions,
           send ? QStringList{"Warning|Proceeding with sending configuration to firmware. Are you sure?"}
                : QStringList());
  QVERIFY(m_host->shown.empty());
  QVERIFY(m_host->writtenTo.isEmpty());
  QCOMPARE(m_host->dataOut, 1);
  QCOMPARE(QDir(m_temp->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
  QCOMPARE(QDir(m_out->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void PayloadCommandsTest::blockedWorkDirectory_data() {
  QTest::addColumn<bool>("send");
  QTest::addColumn<QString>("blocked");  // a name made undeletable in the work directory
  QTest::newRow("generate, temporary INI") << false << "2345-6789-0123-4567-8901.ini";
  QTest::newRow("generate, payload name") << false << "x.bin";
  QTest::newRow("send, library") << true << "ZefrComm.so";
}

void PayloadCommandsTest::blockedWorkDirectory() {
  QFETCH(bool, send);
  QFETCH(QString, blocked);
  zefr::WorkDirectory& work = m_commands->workDirectory();
  QVERIFY(work.ensure());
  const QString stuck = work.filePath(blocked);
  QVERIFY(QDir().mkpath(stuck + QStringLiteral("/inside")));
  m_host->destination = m_out->filePath(QStringLiteral("x.bin"));
  send ? m_commands->send() : m_commands->generate();
  QCOMPARE(m_host->warnings, QStringList{"Warning|File could not be created."});
  QVERIFY(m_host->shown.empty());
  QCOMPARE(m_host->waitDialogs, 0);
  QVERIFY(m_host->writtenTo.isEmpty());
  QVERIFY(!QFileInfo::exists(m_host->destination));
  QVERIFY(QDir(stuck).removeRecursively());
}

void PayloadCommandsTest::sendAccepted() {
  zefrsim::TempDir dev;
  zefrsim::SimProcess sim;
  // The delay keeps the compiler running long enough to watch its output arrive.
  QVERIFY(sim.Start(dev.path(), {"--fault", "delay=600@1"}));
  useDevice(dev.path());
  QStringList seenWhileRunning;
  QTimer poll;
  m_host->onCompiler = [&](CWaitDialog* d) {
    QObject::connect(&poll, &QTimer::timeout, d, [&seenWhileRunning, d] {
      if (!d->isVisible()) return;
      seenWhileRunning << d->outputText();
      static bool pictured = false;
      if (!pictured && d->outputText().contains(QStringLiteral("Communicating"))) {
        pictured = true;
        d->grab().save(QStringLiteral(ZEFR_SCREENSHOT_DIR "/wait_during_send.png"));
      }
    });
    poll.start(50);
  };
  m_commands->send();
  poll.stop();

  QCOMPARE(m_host->questions.size(), 1);
  QCOMPARE(m_host->shown.size(), size_t(1));
  const Shown& s = m_host->shown[0];
  QCOMPARE(s.mode, Mode::Summary);
  QVERIFY2(s.text.trimmed().endsWith(QStringLiteral("Opening ZEFR Subsystem Connection...\n"
                                                    "Communicating Payload to ZEFR Subsystem...\n"
                                                    "Payload Accepted.")),
           qPrintable(s.text));
  QVERIFY(QByteArray::fromStdString(zefrsim::ReadFile(sim.StorePath())) == compiled(kAtx));
  QCOMPARE(m_host->dataOut, 1);
  // The wait dialog showed the start of the exchange before its end.
  bool partial = false;
  for (const QString& t : seenWhileRunning)
    partial |= t.contains(QStringLiteral("Opening ZEFR Subsystem Connection...")) &&
               !t.contains(QStringLiteral("Payload Accepted."));
  QVERIFY2(partial, qPrintable(seenWhileRunning.join(u'#')));
}

void PayloadCommandsTest::sendRefused() {
  zefrsim::TempDir dev;
  zefrsim::SimProcess sim;
  // Entity word: parameter 2 of temperature monitor 1.
  QVERIFY(sim.Start(dev.path(), {"--ccode", "3", "--entity", "0x0203"}));
  useDevice(dev.path());
  m_host->screenshot = QStringLiteral("status_after_send_refused.png");
  m_commands->send();
  QCOMPARE(m_host->shown.size(), size_t(1));
  const QString& text = m_host->shown[0].text;
  QVERIFY2(text.contains(QStringLiteral("*** ZEFR Subsystem rejected request!!\n   ZEFR CCode = 0x0003")),
           qPrintable(text));
  QVERIFY(text.contains(QStringLiteral("Failing Entity:    TemperatureMonitor1\n")));
  QVERIFY(text.contains(QStringLiteral("Failing Parameter: ")));
  QVERIFY(!text.contains(QStringLiteral("Failing Parameter: Unknown")));
  QVERIFY(!text.contains(QStringLiteral("Payload Accepted.")));
}

void PayloadCommandsTest::sendCancelled() {
  zefrsim::TempDir dev;
  zefrsim::SimProcess sim;
  // The firmware takes 10 s to answer; Cancel must not wait for it.
  QVERIFY(sim.Start(dev.path(), {"--fault", "delay=10000@1"}));
  useDevice(dev.path());
  QTimer poll;
  QString elapsedAtCancel;
  QElapsedTimer waiting;
  m_host->onCompiler = [&](CWaitDialog* d) {
    QVERIFY(d->cancelButton()->isEnabled());
    QObject::connect(&poll, &QTimer::timeout, d, [&, d] {
      if (!d->isVisible() || !d->outputText().contains(QStringLiteral("Communicating")) || d->cancelRequested()) return;
      if (!waiting.isValid()) waiting.start();
      if (waiting.elapsed() < 1200) return;  // long enough for the clock to move
      elapsedAtCancel = d->elapsedText();
      d->grab().save(QStringLiteral(ZEFR_SCREENSHOT_DIR "/wait_with_cancel.png"));
      QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
      QVERIFY(!d->cancelButton()->isEnabled());
    });
    poll.start(50);
  };
  QElapsedTimer clock;
  clock.start();
  m_commands->send();
  poll.stop();
  QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
  QVERIFY2(elapsedAtCancel.startsWith(QStringLiteral("Elapsed time: 0:0")) &&
               elapsedAtCancel != QStringLiteral("Elapsed time: 0:00"),
           qPrintable(elapsedAtCancel));
  QCOMPARE(m_host->shown.size(), size_t(1));
  const Shown& s = m_host->shown[0];
  QCOMPARE(s.mode, Mode::Summary);
  QVERIFY2(s.text.contains(QStringLiteral("Communicating Payload to ZEFR Subsystem...")), qPrintable(s.text));
  QVERIFY2(s.text.endsWith(QStringLiteral("\r\nCancelled by the user.")), qPrintable(s.text));
  QVERIFY(!s.text.contains(QStringLiteral("Payload Accepted.")));
}

void PayloadCommandsTest::sendWithoutDevice() {
  m_commands->send();
  QCOMPARE(m_host->shown.size(), size_t(1));
  QVERIFY2(m_host->shown[0].text.contains(QStringLiteral("*** Unable to connect to ZEFR Subsystem!!")),
           qPrintable(m_host->shown[0].text));
  // Nothing but the temporary files was ever there, and they are gone.
  QCOMPARE(QDir(m_commands->workDirectory().path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
           QStringList());
}

void PayloadCommandsTest::findingsComeFirst_data() {
  QTest::addColumn<bool>("send");
  QTest::newRow("generate") << false;
  QTest::newRow("send") << true;
}

// The compiler's findings by tree names stand above its own output; they never
// stop the run, as the editor's own errors do.
void PayloadCommandsTest::findingsComeFirst() {
  QFETCH(bool, send);
  m_host->findings = QString::fromUtf8("Temperature Monitors 1\u00BB" "Accuracy Correction Slope: Compiler: Out of Range! \r\n");
  m_host->destination = m_out->filePath(QStringLiteral("x.bin"));
  send ? m_commands->send() : m_commands->generate();
  QCOMPARE(m_host->waitDialogs, 1);
  QCOMPARE(m_host->shown.size(), size_t(1));
  const QString& text = m_host->shown[0].text;
  QVERIFY2(text.startsWith(m_host->findings + u'\n'), qPrintable(text));
  QVERIFY(text.indexOf(QStringLiteral("Zefr Configuration Utility")) > m_host->findings.size());
}

void PayloadCommandsTest::oneCommandAtATime() {
  m_host->destination = m_out->filePath(QStringLiteral("a.bin"));
  m_host->onCompiler = [this](CWaitDialog*) {
    QVERIFY(m_commands->busy());
    m_commands->generate();
    m_commands->send();
  };
  m_commands->generate();
  QVERIFY(!m_commands->busy());
  QCOMPARE(m_host->saveDialogs.size(), 1);
  QVERIFY(m_host->questions.isEmpty());
  QCOMPARE(m_host->waitDialogs, 1);
  QCOMPARE(m_host->shown.size(), size_t(1));
}

void PayloadCommandsTest::workDirectoryCannotBeMade_data() {
  QTest::addColumn<bool>("send");
  QTest::addColumn<QString>("temp");     // below the test's TEMP
  QTest::addColumn<int>("mode");          // of that folder; 0: not made
  QTest::addColumn<QString>("reason");   // %1: the folder
  QTest::newRow("generate, TEMP missing") << false << "missing" << 0 << "No such file or directory";
  QTest::newRow("send, TEMP missing") << true << "missing" << 0 << "No such file or directory";
  QTest::newRow("generate, TEMP open to all") << false << "open" << 0777
                                              << "\"%1\" can be written by others and has no sticky bit";
  QTest::newRow("send, TEMP open to all") << true << "open" << 0777
                                          << "\"%1\" can be written by others and has no sticky bit";
}

void PayloadCommandsTest::workDirectoryCannotBeMade() {
  QFETCH(bool, send);
  QFETCH(QString, temp);
  QFETCH(int, mode);
  QFETCH(QString, reason);
  const QString folder = m_temp->filePath(temp);
  if (mode != 0) QVERIFY(QDir().mkdir(folder) && ::chmod(QFile::encodeName(folder).constData(), mode_t(mode)) == 0);
  CPayloadCommands commands(*m_host, *m_host, folder);
  m_host->destination = m_out->filePath(QStringLiteral("x.bin"));
  send ? commands.send() : commands.generate();
  // The message of old, then which folder and why.
  QCOMPARE(m_host->warnings, QStringList{QStringLiteral("Warning|File could not be created.\n"
                                                        "Cannot make a work directory in \"%1\": %2")
                                             .arg(folder, QString(reason).replace(QLatin1String("%1"), folder))});
  QVERIFY(m_host->shown.empty());
  QCOMPARE(m_host->waitDialogs, 0);
  QVERIFY(m_host->writtenTo.isEmpty());
  QVERIFY(!QFileInfo::exists(m_host->destination));
  if (mode != 0) QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void PayloadCommandsTest::directorySwappedBetweenCommands() {
  m_host->destination = m_out->filePath(QStringLiteral("first.bin"));
  m_commands->generate();
  const QString first = m_commands->workDirectory().path();
  QVERIFY(QFileInfo(first).isDir());
  // Someone puts a directory of their own, with a program of their own, where it was.
  QVERIFY(QDir().rename(first, first + QStringLiteral(".moved")));
  QVERIFY(QDir().mkdir(first));
  QVERIFY(::chmod(QFile::encodeName(first).constData(), 0777) == 0);
  const QString marker = m_out->filePath(QStringLiteral("planted-program-ran"));
  const QByteArray planted = "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n";
  QVERIFY(writeFile(first + QStringLiteral("/324324324324343424343242"), planted));
  QVERIFY(QFile::setPermissions(first + QStringLiteral("/324324324324343424343242"),
                                QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther));

  m_host->destination = m_out->filePath(QStringLiteral("second.bin"));
  m_commands->generate();
  QVERIFY(!QFileInfo::exists(marker));
  QVERIFY(m_commands->workDirectory().path() != first);
  QVERIFY(readAll(m_host->destination) == compiled(kAtx));
  // Their directory was neither used nor emptied.
  QCOMPARE(QDir(first).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"324324324324343424343242"});
  QCOMPARE(readAll(first + QStringLiteral("/324324324324343424343242")), planted);
  QVERIFY(QDir(first).removeRecursively());
  QVERIFY(QDir(first + QStringLiteral(".moved")).removeRecursively());
}

void PayloadCommandsTest::programChangedBeforeItRuns_data() {
  QTest::addColumn<bool>("send");
  QTest::addColumn<QString>("file");    // the temporary file changed once it is extracted
  QTest::addColumn<QString>("change");
  QTest::addColumn<QString>("status");  // %1: that file's path
  QTest::newRow("generate, compiler replaced") << false << "324324324324343424343242" << "replace"
                                               << "Not run: \"%1\" was replaced";
  QTest::newRow("generate, compiler rewritten") << false << "324324324324343424343242" << "rewrite"
                                                << "Not run: \"%1\" was changed";
  QTest::newRow("send, library replaced") << true << "ZefrComm.so" << "replace" << "Not run: \"%1\" was replaced";
  QTest::newRow("send, library made writable by others") << true << "ZefrComm.so" << "open"
                                                          << "Not run: \"%1\" can be written by others";
  // Not a change the checks refuse: the system refuses to start it, and says why.
  QTest::newRow("generate, compiler not executable") << false << "324324324324343424343242" << "no exec"
                                                     << "Cannot start \"%1\": execvp: Permission denied";
  QTest::newRow("send, compiler not executable") << true << "324324324324343424343242" << "no exec"
                                                 << "Cannot start \"%1\": execvp: Permission denied";
}

void PayloadCommandsTest::programChangedBeforeItRuns() {
  QFETCH(bool, send);
  QFETCH(QString, file);
  QFETCH(QString, change);
  QFETCH(QString, status);
  const QString marker = m_out->filePath(QStringLiteral("other-program-ran"));
  const QByteArray other = "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n";
  m_host->destination = m_out->filePath(QStringLiteral("x.bin"));
  QString path;
  m_host->onCompiler = [&](CWaitDialog*) {
    path = m_commands->workDirectory().filePath(file);
    if (change == QLatin1String("replace")) {
      QVERIFY(QFile::rename(path, path + QStringLiteral(".moved")));
      QVERIFY(writeFile(path, other));
      QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    if (change == QLatin1String("rewrite")) {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(other) == other.size());
    }
    if (change == QLatin1String("open")) QVERIFY(::chmod(QFile::encodeName(path).constData(), 0777) == 0);
    if (change == QLatin1String("no exec")) QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
  };
  send ? m_commands->send() : m_commands->generate();
  QVERIFY(!QFileInfo::exists(marker));
  QCOMPARE(m_host->shown.size(), size_t(1));
  QCOMPARE(m_host->shown[0].mode, Mode::Summary);
  const QString want = QString(status).replace(QLatin1String("%1"), path);
  QCOMPARE(m_host->shown[0].text, send ? want : want + QStringLiteral("\r\n") + kCannot);
  QVERIFY(!QFileInfo::exists(m_host->destination));
  QFile::remove(path + QStringLiteral(".moved"));
}

void PayloadCommandsTest::interruptedCommandLeavesNoFiles_data() {
  QTest::addColumn<bool>("send");
  QTest::newRow("generate") << false;
  QTest::newRow("send") << true;
}

void PayloadCommandsTest::interruptedCommandLeavesNoFiles() {
  QFETCH(bool, send);
  m_host->destination = m_out->filePath(QStringLiteral("x.bin"));
  QStringList seen;
  m_host->onCompiler = [&](CWaitDialog*) {
    seen = m_host->workFilesLeft();
    throw std::runtime_error("interrupted");
  };
  bool thrown = false;
  try {
    send ? m_commands->send() : m_commands->generate();
  } catch (const std::runtime_error&) {
    thrown = true;
  }
  QVERIFY(thrown);
  QCOMPARE(seen.size(), send ? 3 : 2);
  QCOMPARE(m_host->workFilesLeft(), QStringList());
  QVERIFY(!m_commands->busy());
  QVERIFY(m_host->shown.empty());
}

QTEST_MAIN(PayloadCommandsTest)
#include "payload_commands_test.moc"
