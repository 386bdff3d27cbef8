#include "tests/platform/fixtures.h"

#include "tests/support/test_tools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool fixture_partition(const QString &disk, int size_mib, const QString &sfdisk_script)
{
    QDir().mkpath(QFileInfo(disk).absolutePath());
    if (!test_make_sparse_file(disk, qint64(size_mib) << 20))
        return false;
    const QString script = disk + QStringLiteral(".sfdisk");
    if (!test_write_file(script, sfdisk_script.toUtf8()))
        return false;
    QByteArray out;
    const int rc = test_run_tool(QStringLiteral("sh"),
                                 {QStringLiteral("-c"), QStringLiteral("sfdisk -q \"$0\" < \"$1\""), disk, script}, &out);
    QFile::remove(script);
    if (rc != 0)
        qWarning("sfdisk: %s", out.constData());
    return rc == 0;
}

bool fixture_mkfs_fat(const QString &file, int bits, qint64 start_sector, qint64 sectors, const QString &label)
{
    QByteArray out;
    QStringList args{QStringLiteral("-F"), QString::number(bits), QStringLiteral("-n"), label};
    if (start_sector > 0)
        args << QStringLiteral("--offset") << QString::number(start_sector);
    args << file << QString::number(sectors / 2); // block count in KiB
    const int rc = test_run_tool(QStringLiteral("mkfs.fat"), args, &out);
    if (rc != 0)
        qWarning("mkfs.fat: %s", out.constData());
    return rc == 0;
}

bool fixture_mkntfs(const QString &file, qint64 start_sector, qint64 sectors, const QString &label)
{
    const QString scratch = file + QStringLiteral(".ntfs");
    if (!test_make_sparse_file(scratch, sectors * 512))
        return false;
    QByteArray out;
    const int rc = test_run_tool(QStringLiteral("mkntfs"),
                                 {QStringLiteral("-F"), QStringLiteral("-Q"), QStringLiteral("-q"),
                                  QStringLiteral("-L"), label, QStringLiteral("-p"), QString::number(start_sector),
                                  QStringLiteral("-H"), QStringLiteral("255"), QStringLiteral("-S"),
                                  QStringLiteral("63"), scratch},
                                 &out);
    if (rc != 0) {
        qWarning("mkntfs: %s", out.constData());
        QFile::remove(scratch);
        return false;
    }
    // Copy the non-zero blocks, so the disk stays sparse.
    QFile in(scratch), dst(file);
    bool ok = in.open(QIODevice::ReadOnly) && dst.open(QIODevice::ReadWrite);
    for (qint64 pos = 0; ok && pos < in.size(); pos += 65536) {
        const QByteArray block = in.read(65536);
        if (block.count('\0') == block.size())
            continue;
        ok = dst.seek(start_sector * 512 + pos) && dst.write(block) == block.size();
    }
    in.close();
    QFile::remove(scratch);
    return ok;
}

bool fixture_write(const QString &root, const QString &relative, const QByteArray &content)
{
    const QString path = root + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return test_write_file(path, content);
}

bool fixture_sysfs_disk(const QString &root, const QString &name, bool removable, qint64 size_sectors,
                        int logical_block_size, const QString &dev, const QList<fixture_part_s> &parts)
{
    const QString dir = QStringLiteral("sys/block/") + name + QLatin1Char('/');
    bool ok = fixture_write(root, dir + QStringLiteral("removable"), removable ? "1\n" : "0\n") &&
              fixture_write(root, dir + QStringLiteral("size"), QByteArray::number(size_sectors) + '\n') &&
              fixture_write(root, dir + QStringLiteral("queue/logical_block_size"),
                            QByteArray::number(logical_block_size) + '\n') &&
              fixture_write(root, dir + QStringLiteral("dev"), dev.toUtf8() + '\n');
    for (const fixture_part_s &p : parts) {
        const QString pdir = dir + name + QString::number(p.number) + QLatin1Char('/');
        ok = ok && fixture_write(root, pdir + QStringLiteral("partition"), QByteArray::number(p.number) + '\n') &&
             fixture_write(root, pdir + QStringLiteral("start"), QByteArray::number(p.start_sector) + '\n') &&
             fixture_write(root, pdir + QStringLiteral("size"), QByteArray::number(p.size_sectors) + '\n') &&
             fixture_write(root, pdir + QStringLiteral("dev"), p.dev.toUtf8() + '\n');
    }
    return ok;
}

bool fixture_build_tree(const QString &root, fixture_tree_s &t)
{
    t.root = root;
    t.sda = root + QStringLiteral("/dev/sda");
    t.sdb = root + QStringLiteral("/dev/sdb");
    t.image = root + QStringLiteral("/images/bare.img");
    QDir().mkpath(root + QStringLiteral("/dev"));
    QDir().mkpath(root + QStringLiteral("/images"));
    QDir().mkpath(root + QStringLiteral("/mnt/data"));
    QDir().mkpath(root + QStringLiteral("/media/usb stick"));

    const QString mbr = QStringLiteral("label: dos\nlabel-id: 0x1234abcd\n"
                                       "start=%1, size=%2, type=c\nstart=%3, size=%4, type=7\nstart=%5, type=5\n")
                            .arg(t.sda1_start).arg(t.sda1_sectors).arg(t.sda2_start).arg(t.sda2_sectors)
                            .arg(t.sda2_start + t.sda2_sectors);
    const QString gpt = QStringLiteral("label: gpt\nstart=%1, size=%2, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7, uuid=%3\n")
                            .arg(t.sdb1_start).arg(t.sdb1_sectors).arg(t.sdb1_partuuid);
    bool ok = fixture_partition(t.sda, int(t.sda_sectors / 2048), mbr) &&
              fixture_mkfs_fat(t.sda, 32, t.sda1_start, t.sda1_sectors, QStringLiteral("SYSFAT")) &&
              fixture_mkntfs(t.sda, t.sda2_start, t.sda2_sectors, QStringLiteral("DATANTFS")) &&
              fixture_partition(t.sdb, int(t.sdb_sectors / 2048), gpt) &&
              fixture_mkfs_fat(t.sdb, 16, t.sdb1_start, t.sdb1_sectors, QStringLiteral("STICK")) &&
              test_make_sparse_file(t.image, t.image_bytes) &&
              fixture_mkfs_fat(t.image, 12, 0, t.image_bytes / 512, QStringLiteral("BAREIMG")) &&
              test_make_sparse_file(root + QStringLiteral("/dev/sr0"), 2 << 20) &&
              fixture_mkfs_fat(root + QStringLiteral("/dev/sr0"), 12, 0, 4096, QStringLiteral("OPTICAL"));
    ok = ok &&
         fixture_sysfs_disk(root, QStringLiteral("sda"), false, t.sda_sectors, 512, QStringLiteral("8:0"),
                            {{1, t.sda1_start, t.sda1_sectors, QStringLiteral("8:1")},
                             {2, t.sda2_start, t.sda2_sectors, QStringLiteral("8:2")},
                             {3, t.sda2_start + t.sda2_sectors, 2, QStringLiteral("8:3")}}) &&
         fixture_sysfs_disk(root, QStringLiteral("sdb"), true, t.sdb_sectors, 512, QStringLiteral("8:16"),
                            {{1, t.sdb1_start, t.sdb1_sectors, QStringLiteral("8:17")}}) &&
         fixture_sysfs_disk(root, QStringLiteral("sr0"), true, 4096, 2048, QStringLiteral("11:0"), {}) &&
         fixture_sysfs_disk(root, QStringLiteral("dm-0"), false, 4096, 512, QStringLiteral("254:0"), {}) &&
         fixture_sysfs_disk(root, QStringLiteral("loop0"), false, 0, 512, QStringLiteral("7:0"), {}) &&
         fixture_write(root, QStringLiteral("proc/self/mountinfo"),
                       "22 1 0:21 / / rw,relatime - tmpfs tmpfs rw\n"
                       "36 22 8:1 / /mnt/data rw,relatime shared:1 - vfat /dev/sda1 rw\n"
                       "37 22 8:17 / /media/usb\\040stick rw,nosuid - vfat /dev/sdb1 rw\n");
    return ok;
}
