// The save dialog's filter parsing and the extension that follows the chosen type.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "typed_save_dialog.h"

namespace {
const QString kIniFirst = QStringLiteral("INI Files (*.ini)|All Files (*.*)||");
const QString kAllFirst = QStringLiteral("All Files (*.*)|INI Files (*.ini)||");
const QString kBinaries = QStringLiteral("Binaries (*.bin)|All Files (*.*)||");
}  // namespace

class TypedSaveDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void parse_data();
  void parse();
  void atMostTwentyEntries();
  void initialNameAndType_data();
  void initialNameAndType();
  void switchExtension_data();
  void switchExtension();
  void dialogFollowsType();
  void defaultSuffix_data();
  void defaultSuffix();
  void typedNameGetsTypeExtension_data();
  void typedNameGetsTypeExtension();
};

void TypedSaveDialogTest::parse_data() {
  QTest::addColumn<QString>("filter");
  QTest::addColumn<QStringList>("entries");
  QTest::addColumn<QStringList>("extensions");
  QTest::newRow("save as") << kIniFirst << QStringList{"INI Files (*.ini)", "All Files (*.*)"}
                           << QStringList{".ini", ".*"};
  QTest::newRow("empty parts skipped") << "||Binaries (*.bin)|||" << QStringList{"Binaries (*.bin)"}
                                       << QStringList{".bin"};
  QTest::newRow("quoted parts whole") << "\"Pipes (a|b) (*.p)\"|'Single (*.s)'|"
                                      << QStringList{"Pipes (a|b) (*.p)", "Single (*.s)"}
                                      << QStringList{"|b", ".s"};
  QTest::newRow("no pattern") << "Anything|X (*.x)" << QStringList{"Anything", "X (*.x)"} << QStringList{"", ".x"};
  QTest::newRow("nothing") << "" << QStringList{} << QStringList{};
}

void TypedSaveDialogTest::parse() {
  QFETCH(QString, filter);
  QFETCH(QStringList, entries);
  QFETCH(QStringList, extensions);
  const typedsave::FilterList f = typedsave::parseFilterList(filter);
  QCOMPARE(f.entries, entries);
  QCOMPARE(f.extensions, extensions);
}

void TypedSaveDialogTest::atMostTwentyEntries() {
  QStringList parts;
  for (int i = 1; i <= 25; ++i) parts << QStringLiteral("T%1 (*.t%1)").arg(i);
  const typedsave::FilterList f = typedsave::parseFilterList(parts.join(u'|'));
  QCOMPARE(f.entries.size(), 20);
  QCOMPARE(f.entries.last(), QStringLiteral("T20 (*.t20)"));
}

void TypedSaveDialogTest::initialNameAndType_data() {
  QTest::addColumn<QString>("filter");
  QTest::addColumn<QString>("given");
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("type");
  QTest::newRow("ini name") << kIniFirst << "board.ini" << "board.ini" << 1;
  QTest::newRow("ini name, all first") << kAllFirst << "board.ini" << "board.ini" << 2;
  QTest::newRow("empty name") << kIniFirst << "" << "*.ini" << 1;
  QTest::newRow("empty name, all first") << kAllFirst << "" << "*.*" << 1;
  QTest::newRow("payload .bin") << kBinaries << ".bin" << ".bin" << 1;
  QTest::newRow("case matters") << kAllFirst << "board.INI" << "board.INI" << 1;
  QTest::newRow("from the first dot") << kAllFirst << "my.board.ini" << "my.board.ini" << 1;
  QTest::newRow("no dot") << kAllFirst << "board" << "board" << 1;
  QTest::newRow("longer than 255 kept whole") << kIniFirst << QString(300, u'n') + ".ini"
                                              << QString(300, u'n') + ".ini" << 1;
}

void TypedSaveDialogTest::initialNameAndType() {
  QFETCH(QString, filter);
  QFETCH(QString, given);
  QFETCH(QString, name);
  QFETCH(int, type);
  CTypedSaveDialog d(QStringLiteral("Save"), filter, given);
  QCOMPARE(d.initialName(), name);
  QCOMPARE(d.selectedType(), type);
}

void TypedSaveDialogTest::switchExtension_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("type");
  QTest::addColumn<QString>("result");
  QTest::newRow("ini to all") << "board.ini" << "All Files (*.*)" << "board.*";
  QTest::newRow("all to ini") << "board.*" << "INI Files (*.ini)" << "board.ini";
  QTest::newRow("from the first dot") << "my.board.ini" << "All Files (*.*)" << "my.*";
  QTest::newRow("no dot: appended") << "board" << "INI Files (*.ini)" << "board.ini";
  QTest::newRow("empty") << "" << "INI Files (*.ini)" << "*.ini";
  QTest::newRow("binaries") << "out.ini" << "Binaries (*.bin)" << "out.bin";
}

void TypedSaveDialogTest::switchExtension() {
  QFETCH(QString, name);
  QFETCH(QString, type);
  QFETCH(QString, result);
  QCOMPARE(typedsave::switchExtension(name, type), result);
}

void TypedSaveDialogTest::dialogFollowsType() {
  CTypedSaveDialog d(QStringLiteral("Save INI File As"), kIniFirst, QStringLiteral("board.ini"));
  QFileDialog* fd = d.dialog();
  QVERIFY(fd->testOption(QFileDialog::DontUseNativeDialog));
  QCOMPARE(fd->acceptMode(), QFileDialog::AcceptSave);
  QCOMPARE(fd->selectedNameFilter(), QStringLiteral("INI Files (*.ini)"));
  QCOMPARE(d.fileNameField(), QStringLiteral("board.ini"));
  fd->show();
  auto* types = fd->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  QVERIFY(types);
  QTest::keyClick(types, Qt::Key_Down);
  QCOMPARE(d.fileNameField(), QStringLiteral("board.*"));
  QCOMPARE(d.selectedType(), 2);
  d.setFileNameField(QStringLiteral("plain"));
  QTest::keyClick(types, Qt::Key_Up);
  QCOMPARE(d.fileNameField(), QStringLiteral("plain.ini"));
  QCOMPARE(d.selectedType(), 1);
  fd->hide();
}

void TypedSaveDialogTest::defaultSuffix_data() {
  QTest::addColumn<QString>("type");
  QTest::addColumn<QString>("suffix");
  QTest::newRow("ini") << "INI Files (*.ini)" << "ini";
  QTest::newRow("binaries") << "Binaries (*.bin)" << "bin";
  QTest::newRow("all files") << "All Files (*.*)" << "";
  QTest::newRow("wildcard in suffix") << "Some (*.b?n)" << "";
  QTest::newRow("no pattern") << "Anything" << "";
  QTest::newRow("bare star") << "Any (*)" << "";
}

void TypedSaveDialogTest::defaultSuffix() {
  QFETCH(QString, type);
  QFETCH(QString, suffix);
  QCOMPARE(typedsave::defaultSuffixOfType(type), suffix);
}

void TypedSaveDialogTest::typedNameGetsTypeExtension_data() {
  QTest::addColumn<QString>("filter");
  QTest::addColumn<int>("type");  // 1-based type picked before typing
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("saved");
  QTest::newRow("ini type, no extension") << kIniFirst << 1 << "board1" << "board1.ini";
  QTest::newRow("ini type, own extension kept") << kIniFirst << 1 << "board1.txt" << "board1.txt";
  QTest::newRow("switched to all files") << kIniFirst << 2 << "board1" << "board1";
  QTest::newRow("switched to ini") << kAllFirst << 2 << "board1" << "board1.ini";
  QTest::newRow("binaries") << kBinaries << 1 << "atx" << "atx.bin";
}

void TypedSaveDialogTest::typedNameGetsTypeExtension() {
  QFETCH(QString, filter);
  QFETCH(int, type);
  QFETCH(QString, typed);
  QFETCH(QString, saved);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  CTypedSaveDialog d(QStringLiteral("Save"), filter, QString());
  QFileDialog* fd = d.dialog();
  fd->setDirectory(dir.path());
  const QString typeText = d.filters().entries[type - 1];
  fd->selectNameFilter(typeText);
  d.typeChanged(typeText);  // as the dialog reports a pick
  QTimer::singleShot(0, fd, [&] {
    auto* name = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    // Typing into the focused field is what drops a selection left by the type's "*.*".
    fd->activateWindow();
    name->setFocus();
    QTRY_VERIFY(name->hasFocus());
    name->clear();
    QTest::keyClicks(name, typed);
    static_cast<QDialog*>(fd)->accept();  // the Save button
  });
  QCOMPARE(d.exec(), int(QDialog::Accepted));
  QCOMPARE(QFileInfo(d.path()).fileName(), saved);
}

QTEST_MAIN(TypedSaveDialogTest)
#include "typed_save_dialog_test.moc"
