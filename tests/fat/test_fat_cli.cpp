#include <QTest>
class test_fat_cli : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(test_fat_cli)
#include "test_fat_cli.moc"
