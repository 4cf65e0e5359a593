// The work directory, the embedded files and running a program with captured output.
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
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
  void signalRemovesTheTemporaryFiles();
  void extractResource_data();
  void extractResource();
  void extractSkipsQuietly();
  void unusableBase_data();
  void unusableBase();
  void unfitDirectoryIsNeverUsedAgain_data();
  void unfitDirectoryIsNeverUsedAgain();
  void extractMakesOnlyNewFiles_data();
  void extractMakesOnlyNewFiles();
  void extractFailureLeavesNothing();
  void verifyFindsChanges_data();
  void verifyFindsChanges();
  void run_data();
  void run();
  void runSaysWhyItDidNotStart_data();
  void runSaysWhyItDidNotStart();
  void runKeepsTheWindowAlive();
};

namespace {

bool setMode(const QString& path, mode_t mode) { return ::chmod(QFile::encodeName(path).constData(), mode) == 0; }

// Root can give a file away; for anybody else the case is skipped.
bool giveAway(const QString& path) {
  return ::geteuid() == 0 && ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
}

// Moves the path aside and puts a new directory of the same name in its place.
bool replaceDirectory(const QString& path) {
  return QDir().rename(path, path + QStringLiteral(".moved")) && QDir().mkdir(path) && setMode(path, 0700);
}

}  // namespace

void WorkDirectoryTest::unusableBase_data() {
  QTest::addColumn<QString>("base");    // below a fresh private folder
  QTest::addColumn<QString>("arrange");  // what is done to it first
  QTest::addColumn<QString>("why");      // %1: the base
  QTest::newRow("missing") << "no/such/dir" << "" << "No such file or directory";
  QTest::newRow("a file") << "file" << "file" << "\"%1\" is not a folder";
  QTest::newRow("open to all") << "open" << "0777" << "\"%1\" can be written by others and has no sticky bit";
  QTest::newRow("open to the group") << "group" << "0770" << "\"%1\" can be written by others and has no sticky bit";
  QTest::newRow("another user's") << "theirs" << "give away" << "\"%1\" belongs to another user";
}

void WorkDirectoryTest::unusableBase() {
  QFETCH(QString, base);
  QFETCH(QString, arrange);
  QFETCH(QString, why);
  QTemporaryDir top;
  const QString folder = top.filePath(base);
  if (arrange == QLatin1String("file")) QVERIFY(writeFile(folder, "x"));
  if (arrange.startsWith(u'0')) QVERIFY(QDir().mkdir(folder) && setMode(folder, arrange.toUInt(nullptr, 8)));
  if (arrange == QLatin1String("give away") && !(QDir().mkdir(folder) && giveAway(folder))) QSKIP("needs root");
  WorkDirectory w(folder);
  QVERIFY(!w.ensure());
  QVERIFY(w.path().isEmpty());
  why.replace(QLatin1String("%1"), folder);
  QCOMPARE(w.error(), QStringLiteral("Cannot make a work directory in \"%1\": ").arg(folder) + why);
  // A folder inside one that others can rearrange is no better.
  if (arrange.startsWith(u'0')) {
    QVERIFY(QDir().mkdir(folder + QStringLiteral("/inner")) && setMode(folder + QStringLiteral("/inner"), 0700));
    WorkDirectory inner(folder + QStringLiteral("/inner"));
    QVERIFY(!inner.ensure());
    QVERIFY(inner.error().endsWith(why));
  }
  // Nothing was made.
  QCOMPARE(QDir(top.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
           arrange.isEmpty() ? QStringList() : QStringList{base});
  if (arrange.startsWith(u'0')) QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"inner"});
}

void WorkDirectoryTest::unfitDirectoryIsNeverUsedAgain_data() {
  QTest::addColumn<QString>("change");
  QTest::newRow("replaced by another directory") << "replace";
  QTest::newRow("replaced by a link to another directory") << "link";
  QTest::newRow("opened to others") << "open";
  QTest::newRow("given to another user") << "give away";
}

void WorkDirectoryTest::unfitDirectoryIsNeverUsedAgain() {
  QFETCH(QString, change);
  QTemporaryDir base;
  WorkDirectory w(base.path());
  QVERIFY(w.ensure());
  const QString first = w.path();
  QTemporaryDir elsewhere;
  if (change == QLatin1String("replace")) QVERIFY(replaceDirectory(first));
  if (change == QLatin1String("link"))
    QVERIFY(QDir().rename(first, first + QStringLiteral(".moved")) && QFile::link(elsewhere.path(), first));
  if (change == QLatin1String("open")) QVERIFY(setMode(first, 0755));
  if (change == QLatin1String("give away") && !giveAway(first)) QSKIP("needs root");
  // Whatever is there now is left as it is, and never written to.
  const QString planted = first + u'/' + QLatin1String(zefr::kTempCompilerName);
  QVERIFY(writeFile(planted, "#!/bin/sh\necho planted\n"));
  QVERIFY(!w.verify(QLatin1String(zefr::kTempCompilerName)));

  QVERIFY(w.ensure());
  QVERIFY(w.path() != first);
  QCOMPARE(QFileInfo(w.path()).absolutePath(), QFileInfo(base.path()).absoluteFilePath());
  QVERIFY(w.cleanup());
  QVERIFY(w.extract(zefr::kCompilerResource, QLatin1String(zefr::kTempCompilerName)));
  QVERIFY(w.verify(QLatin1String(zefr::kTempCompilerName)));
  QCOMPARE(readAll(planted), QByteArray("#!/bin/sh\necho planted\n"));
}

void WorkDirectoryTest::extractMakesOnlyNewFiles_data() {
  QTest::addColumn<QString>("there");  // what the name holds before
  QTest::newRow("a file") << "file";
  QTest::newRow("a link to a file") << "link";
  QTest::newRow("a dangling link") << "dangling";
}

void WorkDirectoryTest::extractMakesOnlyNewFiles() {
  QFETCH(QString, there);
  QTemporaryDir base, other;
  WorkDirectory w(base.path());
  QVERIFY(w.ensure());
  const QString name = QLatin1String(zefr::kTempLibraryName);
  const QString target = other.filePath(QStringLiteral("target"));
  if (there == QLatin1String("file")) QVERIFY(writeFile(w.filePath(name), "old"));
  if (there == QLatin1String("link")) QVERIFY(writeFile(target, "theirs") && QFile::link(target, w.filePath(name)));
  if (there == QLatin1String("dangling")) QVERIFY(QFile::link(target, w.filePath(name)));
  QVERIFY(!w.extract(zefr::kLibraryResource, name));
  QCOMPARE(w.error(), QStringLiteral("Cannot write \"%1\": File exists").arg(w.filePath(name)));
  QVERIFY(!w.verify(name));
  if (there == QLatin1String("file")) QCOMPARE(readAll(w.filePath(name)), QByteArray("old"));
  if (there == QLatin1String("link")) QCOMPARE(readAll(target), QByteArray("theirs"));
  if (there == QLatin1String("dangling")) QVERIFY(!QFileInfo::exists(target));

  QVERIFY(w.cleanup());
  QVERIFY(w.extract(zefr::kLibraryResource, name));
  QVERIFY(readAll(w.filePath(name)) == readAll(QStringLiteral(ZEFRCOMM_LIBRARY)));
  QCOMPARE(QFileInfo(w.filePath(name)).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
           QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void WorkDirectoryTest::extractFailureLeavesNothing() {
  QTemporaryDir base;
  WorkDirectory w(base.path());
  QVERIFY(w.ensure());
  const QString name = QLatin1String(zefr::kTempCompilerName);
  // A file size limit fails the write part-way, as a full disk does.
  struct rlimit before;
  QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
  const auto restore = qScopeGuard([&] {
    ::setrlimit(RLIMIT_FSIZE, &before);
    ::signal(SIGXFSZ, SIG_DFL);
  });
  ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = before;
  small.rlim_cur = 4096;
  QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
  QVERIFY(!w.extract(zefr::kCompilerResource, name));
  QCOMPARE(w.error(), QStringLiteral("Cannot write \"%1\": File too large").arg(w.filePath(name)));
  QVERIFY(!zefr::PathTaken(w.filePath(name)));
}

void WorkDirectoryTest::verifyFindsChanges_data() {
  QTest::addColumn<QString>("change");
  QTest::addColumn<QString>("why");  // %1: the compiler's path, %2: the directory
  QTest::newRow("untouched") << "" << "";
  QTest::newRow("replaced") << "replace" << "\"%1\" was replaced";
  QTest::newRow("replaced by a link") << "link" << "\"%1\" was replaced";
  QTest::newRow("changed in place") << "overwrite" << "\"%1\" was changed";
  QTest::newRow("writable by others") << "open" << "\"%1\" can be written by others";
  QTest::newRow("given to another user") << "give away" << "\"%1\" belongs to another user";
  QTest::newRow("removed") << "remove" << "\"%1\": No such file or directory";
  QTest::newRow("directory replaced") << "replace directory" << "\"%2\" was replaced";
  QTest::newRow("directory opened to others") << "open directory" << "\"%2\" is open to others";
  QTest::newRow("never extracted") << "cleanup" << "\"%1\" was not written by the editor";
}

void WorkDirectoryTest::verifyFindsChanges() {
  QFETCH(QString, change);
  QFETCH(QString, why);
  QTemporaryDir base;
  WorkDirectory w(base.path());
  QVERIFY(w.ensure());
  const QString name = QLatin1String(zefr::kTempCompilerName);
  const QString program = w.filePath(name);
  QVERIFY(w.extract(zefr::kCompilerResource, name));
  const QByteArray other = "#!/bin/sh\necho not the compiler\n";
  // Moved aside rather than removed: a removed file's inode may come back at once.
  if (change == QLatin1String("replace"))
    QVERIFY(QFile::rename(program, w.filePath(QStringLiteral("moved"))) && writeFile(program, other));
  if (change == QLatin1String("link"))
    QVERIFY(QFile::rename(program, w.filePath(QStringLiteral("moved"))) && QFile::link(QStringLiteral("moved"), program));
  if (change == QLatin1String("overwrite")) {
    QFile f(program);
    QVERIFY(f.open(QIODevice::ReadWrite) && f.write(other) == other.size());
  }
  if (change == QLatin1String("open")) QVERIFY(setMode(program, 0777));
  if (change == QLatin1String("give away") && !giveAway(program)) QSKIP("needs root");
  if (change == QLatin1String("open directory")) QVERIFY(setMode(w.path(), 0755));
  if (change == QLatin1String("remove")) QVERIFY(QFile::remove(program));
  if (change == QLatin1String("replace directory")) QVERIFY(replaceDirectory(w.path()));
  if (change == QLatin1String("cleanup")) QVERIFY(w.cleanup() && writeFile(program, other));
  QCOMPARE(w.verify(name), why.isEmpty());
  QCOMPARE(w.error(), why.replace(QLatin1String("%1"), program).replace(QLatin1String("%2"), w.path()));
  if (change == QLatin1String("replace directory")) QVERIFY(QDir(w.path() + QStringLiteral(".moved")).removeRecursively());
}

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

  // Open to all with the sticky bit, as /tmp is: others cannot move what is ours.
  const QString sticky = base.path() + QStringLiteral("/sticky");
  QVERIFY(QDir().mkdir(sticky) && ::chmod(QFile::encodeName(sticky).constData(), 01777) == 0);
  WorkDirectory shared(sticky);
  QVERIFY2(shared.ensure(), qPrintable(shared.error()));

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

void WorkDirectoryTest::signalRemovesTheTemporaryFiles() {
  QTemporaryDir base;
  WorkDirectory w(base.path());
  QVERIFY(w.ensure());
  for (const QString& f : {w.iniPath(), w.compilerPath(), w.libraryPath()}) QVERIFY(writeFile(f, "x"));
  // A copy of this process is ended as a user or the system would end the editor.
  const pid_t child = ::fork();
  if (child == 0) {
    ::raise(SIGTERM);
    ::_exit(0);
  }
  int status = 0;
  QCOMPARE(::waitpid(child, &status, 0), child);
  QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  QVERIFY(!QFileInfo::exists(w.path()));
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

void WorkDirectoryTest::runSaysWhyItDidNotStart_data() {
  QTest::addColumn<QString>("setup");
  QTest::addColumn<QString>("reason");  // the end of the message
  QTest::newRow("not executable") << "chmod" << "Permission denied";
  QTest::newRow("missing interpreter") << "interpreter" << "No such file or directory";
  QTest::newRow("missing program") << "missing" << "No such file or directory";
  QTest::newRow("folder mounted noexec") << "noexec" << "is on a file system mounted noexec)";
}

void WorkDirectoryTest::runSaysWhyItDidNotStart() {
  QFETCH(QString, setup);
  QFETCH(QString, reason);
  QTemporaryDir dir;
  const QString program = dir.filePath(QStringLiteral("program"));
  const QByteArray folder = QFile::encodeName(dir.path());
  bool mounted = false;
  const auto unmount = qScopeGuard([&] {
    if (mounted) ::umount(folder.constData());
  });
  if (setup == QLatin1String("chmod")) QVERIFY(writeFile(program, "#!/bin/sh\n", QFileDevice::ReadOwner | QFileDevice::WriteOwner));
  if (setup == QLatin1String("interpreter"))
    QVERIFY(writeFile(program, "#!/no/such/interpreter\n", QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  if (setup == QLatin1String("noexec")) {
    mounted = ::mount("tmpfs", folder.constData(), "tmpfs", MS_NOEXEC, "size=1m") == 0;
    if (!mounted) QSKIP("cannot mount a noexec file system here");
    QVERIFY(QFile::copy(QStringLiteral("/bin/true"), program));
    QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  }
  const zefr::RunResult r = zefr::RunWithCapturedOutput(program, {}, dir.path());
  QVERIFY(!r.started);
  QVERIFY(r.output.isEmpty());
  QVERIFY2(r.error.startsWith(QStringLiteral("Cannot start \"%1\": ").arg(program)), qPrintable(r.error));
  QVERIFY2(r.error.endsWith(reason), qPrintable(r.error));
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
