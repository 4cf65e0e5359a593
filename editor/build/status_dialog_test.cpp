#include <QtTest>
class T : public QObject { Q_OBJECT };
QTEST_MAIN(T)
#include "status_dialog_test.moc"
