#include <QTest>
class test_fat_reader : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(test_fat_reader)
#include "test_fat_reader.moc"
