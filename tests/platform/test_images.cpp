// Disk image files as drives: their partitions or bare file system become volumes.

#include "platform/drives.h"
#include "platform/volumes.h"
#include "tests/platform/fixtures.h"
#include "tests/support/test_tools.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class test_images : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    QString path(const QString &name) const { return tmp.path() + QLatin1Char('/') + name; }

    // "suffix|partition|file system|label|length" per volume.
    static QStringList describe(const QString &image)
    {
        QStringList out;
        for (const platform_volume_s &v : platform_image_volumes(image, 7)) {
            out << QStringLiteral("%1|%2|%3|%4|%5")
                       .arg(v.device_name.mid(image.size()))
                       .arg(v.location.partition_number)
                       .arg(v.file_system, v.label)
                       .arg(v.location.length);
            if (v.volume_name != v.device_name || v.mount_points.size() || v.location.drive_number != 7 ||
                v.total_bytes != v.location.length || v.free_bytes != 0)
                out << QStringLiteral("bad record for ") + v.device_name;
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        VORN_REQUIRE_TOOL("sfdisk");
        VORN_REQUIRE_TOOL("mkfs.fat");
        VORN_REQUIRE_TOOL("mkntfs");
        QVERIFY(tmp.isValid());
        QDir().mkpath(path(QStringLiteral("root")));
        platform_set_root(path(QStringLiteral("root"))); // no real disks

        QVERIFY(test_make_sparse_file(path(QStringLiteral("bare.img")), 4 << 20));
        QVERIFY(fixture_mkfs_fat(path(QStringLiteral("bare.img")), 12, 0, 8192, QStringLiteral("BARE")));

        const QString gpt = path(QStringLiteral("gpt.img"));
        QVERIFY(fixture_partition(gpt, 64, QStringLiteral("label: gpt\nstart=2048, size=40960\nstart=43008, size=20480\n")));
        QVERIFY(fixture_mkfs_fat(gpt, 16, 2048, 40960, QStringLiteral("GPTFAT")));

        // An NTFS primary and a FAT32 logical partition inside an extended one.
        const QString mbr = path(QStringLiteral("mbr.img"));
        QVERIFY(fixture_partition(mbr, 128, QStringLiteral("label: dos\nstart=2048, size=40960, type=7\n"
                                                           "start=43008, size=200000, type=5\n"
                                                           "start=45056, size=100000, type=c\n")));
        QVERIFY(fixture_mkntfs(mbr, 2048, 40960, QStringLiteral("WINDATA")));
        QVERIFY(fixture_mkfs_fat(mbr, 32, 45056, 100000, QStringLiteral("LOGIC")));

        // Cut to 24 MiB: the second partition runs past the end, the third starts beyond it.
        const QString cut = path(QStringLiteral("truncated.img"));
        QVERIFY(fixture_partition(cut, 64, QStringLiteral("label: dos\nstart=2048, size=40960, type=6\n"
                                                          "start=45056, size=40960, type=6\n"
                                                          "start=100000, size=20000, type=6\n")));
        QVERIFY(fixture_mkfs_fat(cut, 16, 2048, 40960, QStringLiteral("CUT")));
        QVERIFY(QFile::resize(cut, 24 << 20));

        QVERIFY(fixture_partition(path(QStringLiteral("emptygpt.img")), 8, QStringLiteral("label: gpt\n")));
        QByteArray noise(1 << 20, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 2654435761u) >> 13);
        QVERIFY(test_write_file(path(QStringLiteral("noise.img")), noise));
    }

    void image_volumes_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("bare FAT12") << "bare.img" << QStringList{"|0|FAT12|BARE|4194304"};
        QTest::newRow("GPT, FAT16 and blank") << "gpt.img" << QStringList{"#1|1|FAT16|GPTFAT|20971520", "#2|2|||10485760"};
        QTest::newRow("MBR, NTFS and logical FAT32")
            << "mbr.img" << QStringList{"#1|1|NTFS|WINDATA|20971520", "#5|5|FAT32|LOGIC|51200000"};
        QTest::newRow("table past the end") << "truncated.img"
                                            << QStringList{"#1|1|FAT16|CUT|20971520", "#2|2|||2097152"};
        QTest::newRow("empty GPT") << "emptygpt.img" << QStringList{"|0|||8388608"};
        QTest::newRow("no table, no file system") << "noise.img" << QStringList{"|0|||1048576"};
    }
    void image_volumes()
    {
        QFETCH(QString, image);
        QFETCH(QStringList, expected);
        QCOMPARE(describe(path(image)), expected);
    }

    void open_and_locate()
    {
        platform_clear_images();
        const QString gpt = path(QStringLiteral("gpt.img"));
        volume_location_s loc;
        // Not added: still found, but it is no drive.
        QCOMPARE(platform_locate_volume(gpt + QStringLiteral("#1"), loc), 0);
        QCOMPARE(loc.drive_number, -1);
        QCOMPARE(platform_add_image(path(QStringLiteral("bare.img"))), 0);
        QCOMPARE(platform_add_image(gpt), 0);
        QCOMPARE(platform_add_image(gpt), 0); // once only
        QCOMPARE(platform_drive_nodes(), QStringList({path(QStringLiteral("bare.img")), gpt}));

        const QString old = QDir::currentPath();
        QDir::setCurrent(tmp.path());
        const int relative = platform_locate_volume(QStringLiteral("gpt.img#2"), loc);
        QDir::setCurrent(old);
        QCOMPARE(relative, 0);
        QCOMPARE(loc.drive_number, 1);
        QCOMPARE(loc.partition_number, 2);
        QCOMPARE(loc.offset, 43008ull * 512);
        QCOMPARE(loc.drive_node, gpt);

        auto src = platform_open_volume(gpt + QStringLiteral("#1"));
        QVERIFY(src);
        QCOMPARE(src->size(), 40960ull * 512);
        QByteArray boot(512, '\0');
        QVERIFY(src->read_exact(0, boot.data(), 512));
        QCOMPARE(boot.mid(0x2b, 6), QByteArray("GPTFAT"));
        QCOMPARE(src->read_at(src->size() - 10, boot.data(), 512), 10); // confined to the partition

        for (const char *bad : {"#3", "#0", "#x", "#-1", "x"})
            QVERIFY2(!platform_open_volume(gpt + QLatin1String(bad)), bad);
        QVERIFY(!platform_open_volume(QString()));
        platform_clear_images();
    }

    void add_image_refuses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing.img" << "No such file or directory";
        QTest::newRow("folder") << "." << "not a regular file or block device";
        QTest::newRow("empty") << "empty.img" << "empty";
    }
    void add_image_refuses()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        test_write_file(path(QStringLiteral("empty.img")), {});
        QString why;
        QCOMPARE(platform_add_image(path(name), &why), -1);
        QCOMPARE(why, reason);
        QVERIFY(platform_images().isEmpty());
    }

    void at_most_ten_drives()
    {
        QStringList added;
        for (int i = 0; i < 12; ++i) {
            added << path(QStringLiteral("many%1.img").arg(i));
            QVERIFY(test_write_file(added.last(), QByteArray(4096, 'x')));
            QCOMPARE(platform_add_image(added.last()), 0);
        }
        QCOMPARE(platform_drive_nodes(), added.mid(0, 10));
        QCOMPARE(platform_images_left_out(), added.mid(10));
        QCOMPARE(platform_list_volumes().size(), 10);
        platform_clear_images();
    }
};

QTEST_GUILESS_MAIN(test_images)
#include "test_images.moc"
