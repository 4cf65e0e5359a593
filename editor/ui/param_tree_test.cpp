#include <QtTest>
class T : public QObject { Q_OBJECT };
QTEST_MAIN(T)
#include "param_tree_test.moc"
