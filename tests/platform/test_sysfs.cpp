// Which block devices are drives, and in which order.

#include "platform/drives.h"
#include "platform/sysfs.h"
#include "tests/platform/fixtures.h"
#include "tests/support/test_tools.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/sysmacros.h>

class test_sysfs : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        platform_set_root(tmp.path());
        platform_set_admin_override(1);
        platform_clear_images();
    }
    void cleanupTestCase() { platform_set_admin_override(-1); }

    void drive_order()
    {
        // Listed in this order once sorted; the rest are not disks the program reads.
        const QStringList fixed{"nvme2n1", "nvme10n1", "sdb", "sdz", "sdaa", "vda", "mmcblk0", "loop3"};
        const QStringList removable{"sda"};
        const QStringList others{"sr0", "zram0", "dm-0", "md127", "mmcblk0boot0", "mmcblk0rpmb", "loop0", "nvme0c0n1"};
        int minor = 0;
        for (const QString &name : fixed + removable + others) {
            QVERIFY(fixture_sysfs_disk(tmp.path(), name, removable.contains(name), 8, 512,
                                       QStringLiteral("8:%1").arg(minor++), {}));
            QVERIFY(fixture_write(tmp.path(), QStringLiteral("dev/") + name, QByteArray(4096, 'x')));
        }
        QVERIFY(fixture_write(tmp.path(), QStringLiteral("sys/block/loop3/loop/backing_file"), "/srv/disk.img\n"));
        QVERIFY(fixture_write(tmp.path(), QStringLiteral("sys/block/nvme0c0n1/hidden"), "1\n"));
        QStringList got;
        for (const QString &node : platform_drive_nodes())
            got << node.mid(tmp.path().size() + 5);
        QCOMPARE(got, fixed + removable);
    }

    void device_numbers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("major_no");
        QTest::addColumn<int>("minor_no");
        QTest::newRow("partition") << QByteArray("8:17") << 8 << 17;
        QTest::newRow("large minor") << QByteArray("259:1048575") << 259 << 1048575;
        QTest::newRow("no minor") << QByteArray("8:") << 0 << 0;
        QTest::newRow("no major") << QByteArray(":1") << 0 << 0;
        QTest::newRow("letters") << QByteArray("a:b") << 0 << 0;
        QTest::newRow("sign") << QByteArray("-8:1") << 0 << 0;
        QTest::newRow("too large") << QByteArray("8:99999999999999999999") << 0 << 0;
        QTest::newRow("empty") << QByteArray() << 0 << 0;
    }
    void device_numbers()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, major_no);
        QFETCH(int, minor_no);
        const dev_t d = platform_parse_devno(text);
        QCOMPARE(int(major(d)), major_no);
        QCOMPARE(int(minor(d)), minor_no);
    }
};

QTEST_GUILESS_MAIN(test_sysfs)
#include "test_sysfs.moc"
