// Raw sector reads of whole drives (fake-tree devices and images) and the media-check thread.

#include "engines/fat/sector_layer.h"
#include "platform/drives.h"
#include "tests/platform/fixtures.h"
#include "tests/support/test_tools.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

class test_sector_layer : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    fixture_tree_s tree;

    static QByteArray file_bytes(const QString &path, qint64 offset, qint64 len)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly) || !f.seek(offset))
            return {};
        return f.read(len);
    }

private Q_SLOTS:
    void initTestCase()
    {
        VORN_REQUIRE_TOOL("sfdisk");
        VORN_REQUIRE_TOOL("mkfs.fat");
        VORN_REQUIRE_TOOL("mkntfs");
        QVERIFY(tmp.isValid());
        QVERIFY(fixture_build_tree(tmp.path() + QStringLiteral("/root"), tree));
        platform_set_root(tree.root);
        platform_set_admin_override(1);
        QCOMPARE(platform_add_image(tree.image), 0);
        QCOMPARE(init_sector_layer(), 3); // sda, sdb, the image
    }
    void cleanupTestCase()
    {
        shutdown_sector_layer();
        platform_set_admin_override(-1);
    }

    void reads_data()
    {
        QTest::addColumn<int>("drive");
        QTest::addColumn<qint64>("sector");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("result");
        QTest::newRow("one sector") << 0 << qint64(2048) << 1 << int(sector_ok);
        QTest::newRow("128 sectors, 64 KiB") << 1 << qint64(2040) << 128 << int(sector_ok);
        QTest::newRow("129 sectors") << 1 << qint64(0) << 129 << int(sector_bad_param);
        QTest::newRow("no sectors") << 1 << qint64(0) << 0 << int(sector_bad_param);
        QTest::newRow("last sector of the image") << 2 << qint64(8191) << 1 << int(sector_ok);
        QTest::newRow("runs past the end") << 2 << qint64(8191) << 2 << int(sector_error);
        QTest::newRow("far past the end") << 2 << qint64(100000) << 1 << int(sector_error);
        QTest::newRow("sector number overflows") << 2 << qint64(0x7fffffffffffffffLL) << 1 << int(sector_error);
        QTest::newRow("no such drive") << 5 << qint64(0) << 1 << int(sector_not_ready);
    }
    void reads()
    {
        QFETCH(int, drive);
        QFETCH(qint64, sector);
        QFETCH(int, count);
        QFETCH(int, result);
        QByteArray buf(65536 + 512, '\x5a');
        QCOMPARE(read_drive_sectors(uint8_t(drive), reinterpret_cast<uint8_t *>(buf.data()), uint64_t(sector),
                                    uint32_t(count)),
                 result);
        if (result == sector_ok) {
            const QString node = QStringList{tree.sda, tree.sdb, tree.image}[drive];
            QCOMPARE(buf.left(count * 512), file_bytes(node, sector * 512, count * 512));
            QCOMPARE(buf.at(count * 512), '\x5a'); // nothing written beyond the request
        }
    }

    void bind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("drive");
        QTest::addColumn<int>("partition");
        QTest::addColumn<qint64>("start");
        QTest::newRow("second partition of an MBR disk")
            << "dev/disk/by-partuuid/1234abcd-02" << 0 << 2 << tree.sda2_start;
        QTest::newRow("GPT partition by node") << "dev/sdb1" << 1 << 1 << tree.sdb1_start;
        QTest::newRow("image") << "images/bare.img" << 2 << 0 << qint64(0);
    }
    void bind()
    {
        QFETCH(QString, name);
        QFETCH(int, drive);
        QFETCH(int, partition);
        QFETCH(qint64, start);
        uint8_t d = 99;
        int32_t p = -1;
        uint64_t s = 1;
        QCOMPARE(bind_volume(tree.root + QLatin1Char('/') + name, d, p, s), 0);
        QCOMPARE(int(d), drive);
        QCOMPARE(p, partition);
        QCOMPARE(qint64(s), start);
    }

    // The stick goes away after the table was opened: the image now has drive number 1 in a
    // fresh list, but its sectors are still those of the table's drive 2.
    void bind_after_drives_changed()
    {
        const QString size = tree.root + QStringLiteral("/sys/block/sdb/size");
        QVERIFY(test_write_file(size, "0\n"));
        uint8_t d = 99;
        int32_t p = -1;
        uint64_t s = 1;
        const int r = bind_volume(tree.image, d, p, s);
        QVERIFY(test_write_file(size, QByteArray::number(tree.sdb_sectors)));
        QCOMPARE(r, 0);
        QCOMPARE(int(d), 2);
        QCOMPARE(bind_volume(tree.root + QStringLiteral("/dev/nothing"), d, p, s), -1);
    }

    void large_sectors_not_usable()
    {
        QByteArray disk(1 << 20, '\1');
        sector_layer_attach(6, std::make_unique<memory_source_c>(disk), 4096);
        QCOMPARE(sector_drive_status(6) & drive_status_noinit, drive_status_noinit);
        uint8_t buf[4096];
        QCOMPARE(read_drive_sectors(6, buf, 0, 1), int(sector_not_ready));
        sector_layer_attach(6, std::make_unique<memory_source_c>(disk), 512);
        QCOMPARE(read_drive_sectors(6, buf, 0, 1), int(sector_ok));

        // A device whose queue reports 4096-byte logical blocks.
        const QString lbs = tree.root + QStringLiteral("/sys/block/sdb/queue/logical_block_size");
        QVERIFY(test_write_file(lbs, "4096\n"));
        reopen_sector_drives();
        QVERIFY(test_write_file(lbs, "512\n"));
        QCOMPARE(sector_drive_status_cached(1) & drive_status_noinit, drive_status_noinit);
        QCOMPARE(read_drive_sectors(1, buf, 0, 1), int(sector_not_ready));
        reopen_sector_drives();
        QCOMPARE(sector_drive_status_cached(1), uint8_t(0));
    }

    void vanished_medium()
    {
        const QByteArray saved = test_read_file(tree.image);
        QCOMPARE(sector_drive_status_cached(2), uint8_t(0));
        QVERIFY(QFile::resize(tree.image, 0));
        QTRY_COMPARE_WITH_TIMEOUT(sector_drive_status_cached(2) & drive_status_noinit, drive_status_noinit, 3000);
        uint8_t buf[512];
        QCOMPARE(read_drive_sectors(2, buf, 0, 1), int(sector_not_ready));
        // Back in: the next fresh check (a mount) makes it usable again.
        QVERIFY(test_write_file(tree.image, saved));
        QCOMPARE(sector_drive_status(2), uint8_t(0));
        QCOMPARE(read_drive_sectors(2, buf, 0, 1), int(sector_ok));
    }

    // Last: leaves drive 0 empty.
    void drive_zero_not_watched()
    {
        QVERIFY(QFile::resize(tree.sda, 0));
        // Several rounds of the media check.
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        QCOMPARE(sector_drive_status_cached(0), uint8_t(0));
        QCOMPARE(sector_drive_status(0) & drive_status_noinit, drive_status_noinit);
    }
};

QTEST_GUILESS_MAIN(test_sector_layer)
#include "test_sector_layer.moc"
