#pragma once
// Disk images and fake sys/, proc/, dev/ trees for the platform and disk tests, built with
// truncate/sfdisk/mkfs.fat/mkntfs on plain files.

#include <QList>
#include <QString>

// Partitions a sparse file of size_mib MiB with an sfdisk script. False on failure.
bool fixture_partition(const QString &disk, int size_mib, const QString &sfdisk_script);
// Formats [start_sector, start_sector + sectors) of file as FAT of the given width (12/16/32).
bool fixture_mkfs_fat(const QString &file, int bits, qint64 start_sector, qint64 sectors,
                      const QString &label);
// Formats an NTFS of sectors in a scratch file and copies it into file at start_sector.
bool fixture_mkntfs(const QString &file, qint64 start_sector, qint64 sectors, const QString &label);

struct fixture_part_s {
    int number;
    qint64 start_sector;
    qint64 size_sectors;
    QString dev; // "8:1"
};

// Writes sys/block/<name>/... below root as the kernel would for a disk of size_sectors 512-byte
// units whose node is root/dev/<name>, an existing image file.
bool fixture_sysfs_disk(const QString &root, const QString &name, bool removable, qint64 size_sectors,
                        int logical_block_size, const QString &dev, const QList<fixture_part_s> &parts);
// Writes one attribute file below root (for garbage and other odd values).
bool fixture_write(const QString &root, const QString &relative, const QByteArray &content);

// The two-disk tree most tests share, built below root:
//   sda  fixed, 100 MiB, MBR id 0x1234abcd: 1 FAT32 "SYSFAT" (mounted on /mnt/data), 2 NTFS "DATANTFS",
//        3 an empty extended partition (the kernel shows it as 2 sectors)
//   sdb  removable, 32 MiB, GPT: 1 FAT16 "STICK" (mounted on "/media/usb stick")
//   sr0  optical with a FAT12 medium, dm-0, an unattached loop0: never drives
// and root/images/bare.img, a 4 MiB bare FAT12 "BAREIMG" image (not part of the tree).
struct fixture_tree_s {
    QString root;
    QString sda, sdb, image;    // node and image paths
    QString sdb1_partuuid = QStringLiteral("0f6f2a55-2c1e-4b8a-9d2a-6b7e1c3d4e5f");
    qint64 sda1_start = 2048, sda1_sectors = 81920;   // 40 MiB
    qint64 sda2_start = 83968, sda2_sectors = 40960;  // 20 MiB
    qint64 sdb1_start = 2048, sdb1_sectors = 32768;   // 16 MiB
    qint64 sda_sectors = 204800, sdb_sectors = 65536, image_bytes = 4 << 20;
};
bool fixture_build_tree(const QString &root, fixture_tree_s &out);
