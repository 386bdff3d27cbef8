// The search walk over hand-made boot sectors on sparse in-memory drives, and the worker thread's
// start, stop and failure paths.
#include "partition/partition_repair.h"
#include "tests/partition/partition_fixture.h"
#include "tests/support/test_tools.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct placed_s {
    uint64_t sector;
    QByteArray bytes;
};

QString describe(const QList<partition_item_s> &found)
{
    QStringList rows;
    for (const partition_item_s &p : found)
        rows << QStringLiteral("%1/%2:%3-%4").arg(p.fs_name).arg(p.partition_type).arg(p.start_sector).arg(p.end_sector);
    return rows.join(QLatin1Char(' '));
}

constexpr uint64_t MiB = 1024 * 1024;

} // namespace

class test_partition_search : public QObject {
    Q_OBJECT
private slots:
    void walk_data();
    void walk();
    void read_error_keeps_records();
    void stop_keeps_records();
    void thread_stop_and_restart();
    void drive_that_cannot_be_opened();
};

void test_partition_search::walk_data()
{
    QTest::addColumn<quint64>("size");
    QTest::addColumn<QList<placed_s>>("layout");
    QTest::addColumn<QString>("expected");

    QTest::newRow("drive shorter than one window")
        << quint64(100 * 512) << QList<placed_s>{{0, fake_ntfs_boot(50)}} << QString();
    QTest::newRow("boot sector at sector 255 is found by the second window")
        << quint64(8 * MiB) << QList<placed_s>{{255, fake_ntfs_boot(2047)}} << QStringLiteral("NTFS/7:255-2302");
    QTest::newRow("NTFS backup boot sector at the end is skipped")
        << quint64(8 * MiB) << QList<placed_s>{{0, fake_ntfs_boot(2047)}, {2047, fake_ntfs_boot(2047)}}
        << QStringLiteral("NTFS/7:0-2047");
    QTest::newRow("FAT32 needs the signature of the sector after it")
        << quint64(8 * MiB) << QList<placed_s>{{10, fake_fat_boot("MSWIN4.1", 1000).left(512)}} << QString();
    QTest::newRow("FAT16 with MSDOS5.0 is reported as FAT32")
        << quint64(8 * MiB) << QList<placed_s>{{63, fake_fat_boot("MSDOS5.0", 5000)}} << QStringLiteral("FAT32/12:63-5062");
    QTest::newRow("only five OEM characters are compared")
        << quint64(8 * MiB) << QList<placed_s>{{1, fake_fat_boot("FreeDOS ", 100)}, {300, fake_fat_boot("MSWINxyz", 100)}}
        << QStringLiteral("FAT32/12:300-399");
    QTest::newRow("dosfstools OEM name counts when the sector says FAT32")
        << quint64(8 * MiB) << QList<placed_s>{{1, fake_fat_boot("mkfs.fat", 100)}, {300, fake_fat_boot("mkdosfs ", 100)}}
        << QStringLiteral("FAT32/12:1-100 FAT32/12:300-399");
    QTest::newRow("dosfstools OEM name of a FAT16 sector does not count")
        << quint64(8 * MiB) << QList<placed_s>{{1, fake_fat_boot("mkfs.fat", 100).replace(82, 8, "FAT16   ")}}
        << QString();
    QTest::newRow("two partitions in one window, a look-alike inside the first skipped")
        << quint64(8 * MiB)
        << QList<placed_s>{{10, fake_fat_boot("MSWIN4.1", 20)}, {15, fake_ntfs_boot(9)}, {40, fake_ntfs_boot(99)}}
        << QStringLiteral("FAT32/12:10-29 NTFS/7:40-139");
    QTest::newRow("size 0 is recorded once and the walk goes on one sector further")
        << quint64(8 * MiB)
        << QList<placed_s>{{10, fake_fat_boot("MSWIN4.1", 0)}, {11, fake_ntfs_boot(UINT64_MAX)}, {20, fake_ntfs_boot(99)}}
        << QStringLiteral("FAT32/12:10-9 NTFS/7:11-10 NTFS/7:20-119");
    QTest::newRow("size running past 2^64 ends the walk")
        << quint64(8 * MiB) << QList<placed_s>{{5, fake_ntfs_boot(UINT64_MAX - 2)}, {9000, fake_ntfs_boot(9)}}
        << QStringLiteral("NTFS/7:5-18446744073709551615");
    QTest::newRow("partition past the drive's end is recorded, then the walk ends")
        << quint64(MiB) << QList<placed_s>{{10, fake_ntfs_boot(999999)}} << QStringLiteral("NTFS/7:10-1000009");
    QTest::newRow("drive record of size 0 records nothing")
        << quint64(0) << QList<placed_s>{{0, fake_ntfs_boot(9)}} << QString();
    // A partition beyond 4 GiB, and one whose end and successor lie above sector 2^32.
    const uint64_t past_4g = (4 * 1024 * MiB) / 512 + 1234;
    QTest::newRow("offsets beyond 4 GiB stay exact")
        << quint64(4 * 1024 * MiB + 64 * MiB) << QList<placed_s>{{past_4g, fake_ntfs_boot(4095)}}
        << QStringLiteral("NTFS/7:%1-%2").arg(past_4g).arg(past_4g + 4095);
    const uint64_t big = (uint64_t{1} << 32) + 10;
    QTest::newRow("sector numbers above 2^32 stay exact")
        << quint64((big + 5000) * 512)
        << QList<placed_s>{{2048, fake_ntfs_boot(big - 2048 - 1)}, {big + 7, fake_fat_boot("MSWIN4.1", 100)}}
        << QStringLiteral("NTFS/7:2048-%1 FAT32/12:%2-%3").arg(big - 1).arg(big + 7).arg(big + 106);
}

void test_partition_search::walk()
{
    QFETCH(quint64, size);
    QFETCH(QList<placed_s>, layout);
    QFETCH(QString, expected);

    sector_map_source_c source(size);
    for (const placed_s &p : layout)
        source.put(p.sector, p.bytes);
    partition_repair_c worker;
    QSignalSpy found(&worker, &partition_repair_c::partition_found);
    QCOMPARE(worker.search_source(source, size), 0);
    QCOMPARE(describe(worker.snapshot()), expected);
    QCOMPARE(found.count(), worker.partition_count());
    QCOMPARE(worker.progress(), 1.0);
    QCOMPARE(worker.search_result(), int(search_complete));
}

void test_partition_search::read_error_keeps_records()
{
    sector_map_source_c source(16 * MiB);
    source.put(10, fake_ntfs_boot(99));
    source.put(20000, fake_ntfs_boot(99));
    source.fail_from(4 * MiB);
    partition_repair_c worker;
    QCOMPARE(worker.search_source(source, source.size()), 0);
    QCOMPARE(describe(worker.snapshot()), QStringLiteral("NTFS/7:10-109"));
    QCOMPARE(worker.progress(), 1.0);
}

void test_partition_search::stop_keeps_records()
{
    sector_map_source_c source(16 * MiB);
    source.put(10, fake_ntfs_boot(99));
    source.put(20000, fake_ntfs_boot(99));
    partition_repair_c worker;
    source.on_read = [&](uint64_t) {
        if (source.reads == 2)
            worker.request_stop();
    };
    QCOMPARE(worker.search_source(source, source.size()), 0);
    QCOMPARE(source.reads, 3); // the window read when the stop came is the last one
    QCOMPARE(worker.search_result(), int(search_stopped));
    QCOMPARE(describe(worker.snapshot()), QStringLiteral("NTFS/7:10-109"));
    QVERIFY(worker.progress() > 0.0 && worker.progress() < 1.0);
}

// The worker thread on an image file: a stop from the first find ends the search with that record,
// and a new start empties the list and searches from sector 0 again.
void test_partition_search::thread_stop_and_restart()
{
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("drive.img"));
    QVERIFY(test_make_sparse_file(image, 64 * MiB));
    QFile f(image);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(2048 * 512) && f.write(fake_ntfs_boot(2047)) == 512);
    QVERIFY(f.seek(100000 * 512) && f.write(fake_ntfs_boot(2047)) == 512);
    f.close();

    drive_item_s drive;
    drive.device_path = image;
    drive.size_bytes = 64 * MiB;
    partition_repair_c worker;
    QSignalSpy finished(&worker, &QThread::finished);
    bool stop_on_find = true;
    connect(&worker, &partition_repair_c::partition_found, &worker, [&] {
        if (stop_on_find)
            worker.request_stop();
    }, Qt::DirectConnection);

    QCOMPARE(worker.start_search(drive), 0);
    QVERIFY(worker.wait(30000));
    QCOMPARE(worker.search_result(), int(search_stopped));
    QCOMPARE(describe(worker.snapshot()), QStringLiteral("NTFS/7:2048-4095"));
    QVERIFY(worker.progress() < 1.0);

    stop_on_find = false;
    QCOMPARE(worker.start_search(drive), 0);
    QVERIFY(worker.wait(30000));
    QCOMPARE(worker.search_result(), int(search_complete));
    QCOMPARE(describe(worker.snapshot()), QStringLiteral("NTFS/7:2048-4095 NTFS/7:100000-102047"));
    QCOMPARE(worker.progress(), 1.0);
    QCOMPARE(finished.count(), 2);
}

void test_partition_search::drive_that_cannot_be_opened()
{
    drive_item_s drive;
    drive.device_path = QStringLiteral("/nonexistent/drive.img");
    drive.size_bytes = 64 * MiB;
    partition_repair_c worker;
    QSignalSpy finished(&worker, &QThread::finished);
    QCOMPARE(worker.start_search(drive), 0);
    QVERIFY(worker.wait(30000));
    QCOMPARE(worker.search_result(), int(search_open_failed));
    QCOMPARE(worker.partition_count(), 0);
    QCOMPARE(worker.progress(), 0.0);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(worker.repair_partition_table(), -1);
    QCOMPARE(worker.start_search(drive_item_s{}), -1); // no device path
}

QTEST_GUILESS_MAIN(test_partition_search)
#include "test_partition_search.moc"
