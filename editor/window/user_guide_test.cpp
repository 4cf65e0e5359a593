#include "user_guide.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class UserGuideTest : public QObject {
  Q_OBJECT
 private slots:
  // Which guide opens for each layout: beside the program wins, then the installed place.
  void besideThenInstalled() {
    struct Case {
      const char* name;
      bool beside;
      bool installed;
      bool expectInstalled;
    } cases[] = {
        {"neither", false, false, false},
        {"beside only", true, false, false},
        {"installed only", false, true, true},
        {"both", true, true, false},
    };
    for (const Case& c : cases) {
      QTemporaryDir root;
      QVERIFY(root.isValid());
      const QString bin = root.filePath("bin") + '/';
      const QString installedDir = QDir::cleanPath(bin + kInstalledGuideDir);
      QVERIFY(QDir().mkpath(bin));
      QVERIFY(QDir().mkpath(installedDir));
      const QString beside = bin + kUserGuideFile;
      const QString installed = installedDir + '/' + kUserGuideFile;
      if (c.beside) QVERIFY(QFile(beside).open(QIODevice::WriteOnly));
      if (c.installed) QVERIFY(QFile(installed).open(QIODevice::WriteOnly));
      const QString got = QDir::cleanPath(UserGuidePath(bin));
      QVERIFY2(got == (c.expectInstalled ? installed : beside), c.name);
    }
  }

  // A folder of the guide's name in the installed place is no guide.
  void installedFolderIsNoGuide() {
    QTemporaryDir root;
    const QString bin = root.filePath("bin") + '/';
    QVERIFY(QDir().mkpath(bin + kInstalledGuideDir + '/' + kUserGuideFile));
    QCOMPARE(UserGuidePath(bin), bin + kUserGuideFile);
  }
};

QTEST_GUILESS_MAIN(UserGuideTest)
#include "user_guide_test.moc"
