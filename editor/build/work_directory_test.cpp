// The work directory, the embedded files and running a program with captured output.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "captured_run.h"
#include "extract_resource.h"
#include "work_directory.h"

using zefr::WorkDirectory;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions perms = {}) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(bytes);
  f.close();
  return perms == QFileDevice::Permissions() || f.setPermissions(perms);
}

}  // namespace

class WorkDirectoryTest : public QObject {
  Q_OBJECT
 private slots:
  void temporaryBase_data();
  void temporaryBase();
  void privateDirectory();
  void cleanupRemovesReadOnlyLeftovers();
  void cleanupStopsAtAFileThatStays();
  void destructionKeepsForeignFiles();
  void extractResource_data();
  void extractResource();
  void extractSkipsQuietly();
  void run_data();
  void run();
  void runKeepsTheWindowAlive();
};

void WorkDirectoryTest::temporaryBase_data() {
  QTest::addColumn<QString>("temp");
  QTest::addColumn<QString>("tmpdir");
  QTest::addColumn<QString>("base");
  QTest::newRow("no separator") << "/w/Temp" << "/other" << "/w/Temp";
  QTest::newRow("separator") << "/w/Temp/" << "" << "/w/Temp";
  QTest::newRow("several separators") << "/w/Temp//" << "" << "/w/Temp";
  QTest::newRow("root") << "/" << "" << "/";
  QTest::newRow("TMPDIR") << "" << "/var/tmp/" << "/var/tmp";
  QTest::newRow("neither") << "" << "" << "/tmp";
}

void WorkDirectoryTest::temporaryBase() {
  QFETCH(QString, temp);
  QFETCH(QString, tmpdir);
  QFETCH(QString, base);
  QCOMPARE(zefr::TemporaryBase(temp, tmpdir), base);
}

void WorkDirectoryTest::privateDirectory() {
  QTemporaryDir base;
  WorkDirectory a(base.path() + u'/');
  WorkDirectory b(base.path());
  QVERIFY(a.path().isEmpty());
  QVERIFY(a.ensure());
  QVERIFY(b.ensure());
  QVERIFY(a.path() != b.path());
  for (const WorkDirectory* w : {&a, &b}) {
    const QFileInfo info(w->path());
    QVERIFY(info.isDir());
    QCOMPARE(info.absolutePath(), QFileInfo(base.path()).absoluteFilePath());
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(info.permissions() & others, QFileDevice::Permissions());
    QVERIFY(info.permissions().testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QVERIFY(w->iniPath().startsWith(w->path() + u'/'));
    QVERIFY(w->iniPath().endsWith(QStringLiteral("/2345-6789-0123-4567-8901.ini")));
  }
  // A directory removed behind the editor's back is made anew.
  const QString first = a.path();
  QVERIFY(QDir(first).removeRecursively());
  QVERIFY(a.ensure());
  QVERIFY(QFileInfo(a.path()).isDir());

  WorkDirectory missing(base.path() + QStringLiteral("/no/such/dir"));
  QVERIFY(!missing.ensure());
  QVERIFY(missing.cleanup());  // nothing was written, nothing to remove
}

void WorkDirectoryTest::cleanupRemovesReadOnlyLeftovers() {
  QTemporaryDir base;
  WorkDirectory w(base.path());
  QVERIFY(w.ensure());
  for (const QString& f : {w.iniPath(), w.compilerPath(), w.libraryPath()})
    QVERIFY(writeFile(f, "old", QFileDevice::ReadOwner));
  QVERIFY(QFile::link(QStringLiteral("/nonexistent"), w.filePath(QStringLiteral("dangling"))));
  QVERIFY(w.cleanup());
  for (const QString& f : {w.iniPath(), w.compilerPath(), w.libraryPath()}) QVERIFY(!zefr::PathTaken(f));
  QVERIFY(zefr::PathTaken(w.filePath(QStringLiteral("dangling"))));
  QVERIFY(zefr::RemoveLeftover(w.filePath(QStringLiteral("dangling"))));
  QVERIFY(!zefr::PathTaken(w.filePath(QStringLiteral("dangling"))));
}

void WorkDirectoryTest::cleanupStopsAtAFileThatStays() {
  QTemporaryDir base;
  WorkDirectory w(base.path());
  QVERIFY(w.ensure());
  // A directory that is not empty cannot be removed as a file.
  QVERIFY(QDir().mkpath(w.compilerPath() + QStringLiteral("/inside")));
  QVERIFY(writeFile(w.iniPath(), "ini"));
  QVERIFY(writeFile(w.libraryPath(), "lib"));
  QVERIFY(!w.cleanup());
  QVERIFY(!zefr::PathTaken(w.iniPath()));
  QVERIFY(zefr::PathTaken(w.libraryPath()));  // not tried after the compiler stayed
}

void WorkDirectoryTest::destructionKeepsForeignFiles() {
  QTemporaryDir base;
  QString kept, removed;
  {
    WorkDirectory w(base.path());
    QVERIFY(w.ensure());
    kept = w.path();
    QVERIFY(writeFile(w.iniPath(), "ini"));
    QVERIFY(writeFile(w.filePath(QStringLiteral("mine.bin")), "payload"));
  }
  QVERIFY(QFileInfo::exists(kept + QStringLiteral("/mine.bin")));
  QVERIFY(!QFileInfo::exists(kept + QStringLiteral("/2345-6789-0123-4567-8901.ini")));
  {
    WorkDirectory w(base.path());
    QVERIFY(w.ensure());
    removed = w.path();
    QVERIFY(writeFile(w.compilerPath(), "exe"));
  }
  QVERIFY(!QFileInfo::exists(removed));
}

void WorkDirectoryTest::extractResource_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<QString>("built");
  QTest::newRow("compiler") << 141 << QStringLiteral(ZEFRCFG_BINARY);
  QTest::newRow("library") << 147 << QStringLiteral(ZEFRCOMM_LIBRARY);
}

void WorkDirectoryTest::extractResource() {
  QFETCH(int, id);
  QFETCH(QString, built);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("out"));
  QVERIFY(writeFile(path, QByteArray(1 << 20, 'x')));  // truncated, not overlaid
  zefr::ExtractResource(QStringLiteral("RELFILE"), id, path);
  const QByteArray expected = readAll(built);
  QVERIFY(!expected.isEmpty());
  QVERIFY(readAll(path) == expected);
  QVERIFY(QFileInfo(path).isExecutable());
}

void WorkDirectoryTest::extractSkipsQuietly() {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("none"));
  zefr::ExtractResource(QStringLiteral("RELFILE"), 999, path);
  zefr::ExtractResource(QStringLiteral("INIFILE"), 141, path);
  QVERIFY(!QFileInfo::exists(path));
  zefr::ExtractResource(QStringLiteral("RELFILE"), 141, dir.filePath(QStringLiteral("no/such/dir/file")));
}

void WorkDirectoryTest::run_data() {
  QTest::addColumn<QString>("program");
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QString>("output");
  QTest::addColumn<bool>("started");
  QTest::addColumn<bool>("clean");
  QTest::newRow("both channels in order")
      << "/bin/sh" << QStringList{"-c", "printf 'one\\n'; printf 'two\\n' >&2; printf 'three\\n'"}
      << "one\ntwo\nthree\n" << true << true;
  QTest::newRow("arguments reach it whole, no shell between")
      << "/bin/sh" << QStringList{"-c", "printf '%s|' \"$@\"", "sh", "a b", "$HOME", "-o"} << "a b|$HOME|-o|" << true
      << true;
  QTest::newRow("no standard input") << "/bin/cat" << QStringList{} << "" << true << true;
  QTest::newRow("exit code looked at") << "/bin/sh" << QStringList{"-c", "echo failed; exit 1"} << "failed\n"
                                       << true << false;
  QTest::newRow("missing program") << "/no/such/program" << QStringList{} << "" << false << false;
}

void WorkDirectoryTest::run() {
  QFETCH(QString, program);
  QFETCH(QStringList, arguments);
  QFETCH(QString, output);
  QFETCH(bool, started);
  QFETCH(bool, clean);
  QTemporaryDir dir;
  QString pieces;
  const zefr::RunResult r =
      zefr::RunWithCapturedOutput(program, arguments, dir.path(), [&](const QString& t) { pieces += t; });
  QCOMPARE(r.output, output);
  QCOMPARE(pieces, output);
  QCOMPARE(r.started, started);
  QCOMPARE(r.exitedCleanly, clean);
}

void WorkDirectoryTest::runKeepsTheWindowAlive() {
  // Output is handed on as it comes, and events (timers, painting) go on meanwhile.
  QTemporaryDir dir;
  int ticks = 0;
  QTimer timer;
  connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
  timer.start(20);
  QStringList pieces;
  const zefr::RunResult r = zefr::RunWithCapturedOutput(
      QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("pwd; sleep 0.4; echo end")}, dir.path(),
      [&](const QString& t) { pieces << t; });
  QVERIFY(ticks >= 5);
  QVERIFY(pieces.size() >= 2);
  QCOMPARE(QFileInfo(pieces.first().trimmed()).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
  QVERIFY(r.output.endsWith(QStringLiteral("end\n")));
}

QTEST_MAIN(WorkDirectoryTest)
#include "work_directory_test.moc"
