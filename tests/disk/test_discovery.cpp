// Volume and drive lists over a fake sys/proc/dev tree whose device nodes are image files.

#include "app/init.h"
#include "disk/drive_enum.h"
#include "disk/drive_item.h"
#include "disk/volume_enum.h"
#include "disk/volume_item.h"
#include "engines/fat/sector_layer.h"
#include "platform/drives.h"
#include "tests/platform/fixtures.h"
#include "tests/support/test_tools.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/sysmacros.h>

class test_discovery : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    fixture_tree_s tree;

    QString tilde(QString s) const { return s.replace(tree.root, QStringLiteral("~")); }

    // "device|mount point|partition|disk|total", root shown as "~", a mounted volume's total
    // (from statvfs of its mount folder) as "m".
    QStringList listed() const
    {
        QStringList out;
        for (qsizetype i = 1; i < volume_list.size(); ++i) {
            const volume_item_s &v = volume_list[i];
            const bool mounted = v.mount_point != v.device_name;
            const QString size =
                mounted && qint64(v.total_bytes) == QStorageInfo(tree.root + v.mount_point).bytesTotal() &&
                        v.free_bytes > 0 && v.free_bytes <= v.total_bytes
                    ? QStringLiteral("m")
                    : QString::number(v.total_bytes);
            out << tilde(QStringLiteral("%1|%2|%3|%4|%5")
                             .arg(v.device_name, v.mount_point)
                             .arg(v.partition_number)
                             .arg(v.disk_number)
                             .arg(size));
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
        QVERIFY(fixture_build_tree(tmp.path() + QStringLiteral("/root"), tree));
    }
    void init()
    {
        platform_set_root(tree.root);
        platform_clear_images();
        QCOMPARE(platform_add_image(tree.image), 0);
        platform_set_admin_override(1);
    }
    void cleanupTestCase() { platform_set_admin_override(-1); }

    void volumes_data()
    {
        QTest::addColumn<bool>("admin");
        QTest::addColumn<QStringList>("expected");
        const QStringList all{"~/dev/sdb1|/media/usb stick|1|1|m", "~/dev/sda1|/mnt/data|1|0|m",
                              "~/dev/sda2|~/dev/sda2|2|0|20971520",
                              "~/images/bare.img|~/images/bare.img|0|2|4194304"};
        QTest::newRow("root: fixed and removable, by mount path") << true << all;
        QTest::newRow("user: removable and images only")
            << false << QStringList{"~/dev/sdb1|/media/usb stick|1|0|m", "~/images/bare.img|~/images/bare.img|0|1|4194304"};
    }
    void volumes()
    {
        QFETCH(bool, admin);
        QFETCH(QStringList, expected);
        platform_set_admin_override(admin);
        enumerate_volumes();
        QVERIFY(!volume_list.isEmpty());
        const volume_item_s &header = volume_list[0];
        QVERIFY(header.device_name.isEmpty() && header.volume_name.isEmpty() && header.total_bytes == 0 &&
                header.disk_number == 0 && header.partition_number == 0);
        QCOMPARE(listed(), expected);
    }

    void volume_records()
    {
        enumerate_volumes();
        QStringList got;
        for (qsizetype i = 1; i < volume_list.size(); ++i)
            got << tilde(volume_list[i].volume_name + QLatin1Char('|') + volume_list[i].file_system +
                         QLatin1Char('|') + volume_list[i].label);
        QCOMPARE(got, QStringList({"~/dev/disk/by-partuuid/" + tree.sdb1_partuuid + "|FAT16|STICK",
                                   "~/dev/disk/by-partuuid/1234abcd-01|FAT32|SYSFAT",
                                   "~/dev/disk/by-partuuid/1234abcd-02|NTFS|DATANTFS",
                                   "~/images/bare.img|FAT12|BAREIMG"}));
        // Every listed name, node and mount point leads back to its volume.
        for (qsizetype i = 1; i < volume_list.size(); ++i) {
            const volume_item_s &v = volume_list[i];
            for (const QString &name : {v.volume_name, v.device_name, v.mount_point}) {
                volume_location_s loc;
                QVERIFY2(platform_locate_volume(name, loc) == 0, qPrintable(name));
                QCOMPARE(loc.drive_number, v.disk_number);
                QCOMPARE(loc.partition_number, v.partition_number);
            }
        }
        // What the recovery compares a destination's st_dev with.
        volume_location_s loc;
        QCOMPARE(platform_locate_volume(QStringLiteral("/mnt/data"), loc), 0);
        QCOMPARE(loc.devno, makedev(8, 1));
        QCOMPARE(platform_locate_volume(tree.image, loc), 0);
        QCOMPARE(loc.devno, dev_t(0));
        // The NTFS partition opened by name reads its own boot sector.
        auto src = platform_open_volume(volume_list[3].volume_name);
        QVERIFY(src);
        QCOMPARE(src->size(), uint64_t(tree.sda2_sectors) * 512);
        char oem[8];
        QVERIFY(src->read_exact(3, oem, 8));
        QCOMPARE(QByteArray(oem, 8), QByteArray("NTFS    "));
    }

    // Damaged sysfs and mount table files: what is unreadable drops out, the rest stays.
    void damaged_tree_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        const QString sdb1 = "~/dev/sdb1|/media/usb stick|1|1|m", sda1 = "~/dev/sda1|/mnt/data|1|0|m",
                      sda2 = "~/dev/sda2|~/dev/sda2|2|0|20971520",
                      image = "~/images/bare.img|~/images/bare.img|0|2|4194304";
        QTest::newRow("partition start garbage") << "sys/block/sda/sda2/start" << QByteArray("12ab\n")
                                                 << QStringList{sdb1, sda1, image};
        QTest::newRow("partition past the disk") << "sys/block/sda/sda2/start" << QByteArray("204800\n")
                                                 << QStringList{sdb1, sda1, image};
        QTest::newRow("partition runs past the disk")
            << "sys/block/sda/sda2/size" << QByteArray("99999999999\n")
            << QStringList{sdb1, sda1, "~/dev/sda2|~/dev/sda2|2|0|" + QString::number((204800 - 83968) * 512), image};
        QTest::newRow("disk size garbage") << "sys/block/sdb/size" << QByteArray("\xff\xfe\x00", 3)
                                           << QStringList{sdb1, sda1, sda2, image};
        QTest::newRow("no medium") << "sys/block/sdb/size" << QByteArray("0\n")
                                   << QStringList{"~/dev/sda1|/mnt/data|1|0|m", sda2,
                                                  "~/images/bare.img|~/images/bare.img|0|1|4194304"};
        // Without a device number the mount table's source still names the partition.
        QTest::newRow("device number garbage") << "sys/block/sda/sda1/dev" << QByteArray("8:\n")
                                               << QStringList{sdb1, sda1, sda2, image};
        QTest::newRow("file system with its own device number")
            << "proc/self/mountinfo" << QByteArray("36 22 0:45 / /mnt/data rw - btrfs /dev/sda1 rw\n")
            << QStringList{sda1, sda2, "~/dev/sdb1|~/dev/sdb1|1|1|" + QString::number(32768 * 512), image};
        QTest::newRow("mount table garbage")
            << "proc/self/mountinfo" << QByteArray(300, '\x07')
            << QStringList{"~/dev/sda1|~/dev/sda1|1|0|" + QString::number(81920 * 512), sda2,
                           "~/dev/sdb1|~/dev/sdb1|1|1|" + QString::number(32768 * 512), image};
        // Code-unit order: "Z" sorts before "a". Mount folders that do not exist give sizes 0.
        QTest::newRow("mount paths by code unit")
            << "proc/self/mountinfo"
            << QByteArray("36 22 8:1 / /mnt/a rw - vfat /dev/sda1 rw\n37 22 8:17 / /mnt/Z rw - vfat /dev/sdb1 rw\n")
            << QStringList{"~/dev/sdb1|/mnt/Z|1|1|0", "~/dev/sda1|/mnt/a|1|0|0", sda2, image};
        QTest::newRow("kernel knows no partitions, the table has one")
            << "sys/block/sdb/sdb1/partition" << QByteArray("0\n")
            << QStringList{sda1, sda2, "~/dev/sdb#1|~/dev/sdb#1|1|1|" + QString::number(32768 * 512), image};
    }
    void damaged_tree()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        const QString path = tree.root + QLatin1Char('/') + file;
        const QByteArray saved = test_read_file(path);
        QVERIFY(test_write_file(path, content));
        enumerate_volumes();
        QVERIFY(test_write_file(path, saved));
        QCOMPARE(listed(), expected);
    }

    // A cloned stick carries the same PARTUUID: neither copy may be named by it.
    void cloned_disks_named_by_node()
    {
        QCOMPARE(test_run_tool(QStringLiteral("cp"), {QStringLiteral("--sparse=always"), tree.sdb,
                                                      tree.root + QStringLiteral("/dev/sdc")}),
                 0);
        QVERIFY(fixture_sysfs_disk(tree.root, QStringLiteral("sdc"), true, tree.sdb_sectors, 512,
                                   QStringLiteral("8:32"), {{1, tree.sdb1_start, tree.sdb1_sectors, QStringLiteral("8:33")}}));
        enumerate_volumes();
        volume_location_s loc;
        const int located = platform_locate_volume(tree.root + QStringLiteral("/dev/sdc1"), loc);
        QDir(tree.root + QStringLiteral("/sys/block/sdc")).removeRecursively();
        QFile::remove(tree.root + QStringLiteral("/dev/sdc"));
        QStringList names;
        for (qsizetype i = 1; i < volume_list.size(); ++i)
            if (volume_list[i].file_system == QLatin1String("FAT16"))
                names << tilde(volume_list[i].volume_name);
        QCOMPARE(names, QStringList({"~/dev/sdb1", "~/dev/sdc1"}));
        QCOMPARE(located, 0);
        QCOMPARE(loc.drive_node, tree.root + QStringLiteral("/dev/sdc"));
    }

    void no_volumes_at_all()
    {
        platform_clear_images();
        platform_set_root(tmp.path() + QStringLiteral("/nothing"));
        enumerate_volumes();
        QCOMPARE(volume_list.size(), 0); // not even the header item
        enumerate_drives();
        QCOMPARE(drive_list.size(), 1);
    }

    void drives_data()
    {
        QTest::addColumn<bool>("admin");
        QTest::addColumn<QStringList>("changes"); // "sysfs file=content"
        QTest::addColumn<QStringList>("expected");
        // node|media type|bytes per sector|heads|sectors|cylinders|size
        const QString sda = "~/dev/sda|12|512|255|63|12|98703360", sdb = "~/dev/sdb|11|512|255|63|4|32901120",
                      image = "~/images/bare.img|11|512|255|63|0|0";
        QTest::newRow("root") << true << QStringList{} << QStringList{sda, sdb, image};
        QTest::newRow("user") << false << QStringList{} << QStringList{sdb, image};
        QTest::newRow("4096-byte sectors") << true << QStringList{"sdb/queue/logical_block_size=4096"}
                                           << QStringList{sda, "~/dev/sdb|11|4096|255|63|0|0", image};
        QTest::newRow("fixed disks first")
            << true << QStringList{"sda/removable=1", "sdb/removable=0"}
            << QStringList{"~/dev/sdb|12|512|255|63|4|32901120", "~/dev/sda|11|512|255|63|12|98703360", image};
        QTest::newRow("no medium") << true << QStringList{"sda/size=0"} << QStringList{sdb, image};
    }
    void drives()
    {
        QFETCH(bool, admin);
        QFETCH(QStringList, changes);
        QFETCH(QStringList, expected);
        platform_set_admin_override(admin);
        QList<std::pair<QString, QByteArray>> saved;
        for (const QString &c : changes) {
            const QString path = tree.root + QStringLiteral("/sys/block/") + c.section(QLatin1Char('='), 0, 0);
            saved.append({path, test_read_file(path)});
            QVERIFY(test_write_file(path, c.section(QLatin1Char('='), 1).toUtf8()));
        }
        enumerate_drives();
        for (const auto &s : saved)
            QVERIFY(test_write_file(s.first, s.second));
        QVERIFY(drive_list.size() >= 1 && drive_list[0].device_path.isEmpty() && !drive_list[0].geometry);
        QStringList got;
        for (qsizetype i = 1; i < drive_list.size(); ++i) {
            const drive_item_s &d = drive_list[i];
            const disk_geometry_s &g = *d.geometry;
            got << tilde(QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
                             .arg(d.device_path)
                             .arg(g.media_type)
                             .arg(g.bytes_per_sector)
                             .arg(g.tracks_per_cylinder)
                             .arg(g.sectors_per_track)
                             .arg(g.cylinders)
                             .arg(d.size_bytes));
        }
        QCOMPARE(got, expected);
    }

    void startup_worker()
    {
        init_done = 0;
        init_c worker;
        QSignalSpy finished(&worker, &init_c::init_finished);
        worker.start();
        QVERIFY(finished.wait(20000) || finished.count() == 1);
        worker.wait();
        QCOMPARE(init_done.load(), 1);
        QCOMPARE(volume_list.size(), 5);
        QCOMPARE(drive_list.size(), 4);
        QCOMPARE(sector_drive_count(), 3);
        shutdown_sector_layer();
    }

    // The command line prints what the lists hold, and names what it could not use.
    void command_line()
    {
        platform_set_admin_override(-1); // the program makes the real test
        enumerate_volumes();
        QProcess cli;
        cli.start(test_bin_dir() + QStringLiteral("/vornrecovery-cli"),
                  {QStringLiteral("volumes"), QStringLiteral("--json"), QStringLiteral("--sysroot"), tree.root,
                   tree.image, tmp.path() + QStringLiteral("/missing.img")});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(cli.readAllStandardError()),
                 QStringLiteral("vornrecovery-cli: %1/missing.img: No such file or directory\n").arg(tmp.path()));
        const QJsonArray got = QJsonDocument::fromJson(cli.readAllStandardOutput()).array();
        QCOMPARE(got.size(), volume_list.size() - 1);
        for (qsizetype i = 1; i < volume_list.size(); ++i) {
            const QJsonObject o = got[i - 1].toObject();
            QCOMPARE(o[QStringLiteral("volume_name")].toString(), volume_list[i].volume_name);
            QCOMPARE(o[QStringLiteral("file_system")].toString(), volume_list[i].file_system);
            QCOMPARE(o[QStringLiteral("total_bytes")].toInteger(), qint64(volume_list[i].total_bytes));
            QCOMPARE(o[QStringLiteral("disk_number")].toInt(), volume_list[i].disk_number);
        }

        cli.start(test_bin_dir() + QStringLiteral("/vornrecovery-cli"),
                  {QStringLiteral("drives"), QStringLiteral("--sysroot"), tree.root, tree.image});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        const QString table = QString::fromUtf8(cli.readAllStandardOutput());
        QVERIFY2(table.contains(tree.sdb) && table.contains(tree.image), qPrintable(table));
    }
};

QTEST_GUILESS_MAIN(test_discovery)
#include "test_discovery.moc"
