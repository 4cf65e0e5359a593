#include <QtTest>
class T : public QObject { Q_OBJECT };
QTEST_MAIN(T)
#include "typed_save_dialog_test.moc"
