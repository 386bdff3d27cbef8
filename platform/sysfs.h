#pragma once
// Whole disks and their partitions as sysfs describes them, read below platform_root().
// Every attribute is checked: a file that is missing or holds garbage counts as unknown.

#include <QList>
#include <QString>
#include <cstdint>
#include <sys/types.h>

struct sysfs_partition_s {
    QString name;              // "sdb1"
    QString node;              // <root>/dev/sdb1
    int number = 0;            // kernel partition number
    uint64_t start_sector = 0; // 512-byte units from the disk's start
    uint64_t size_sectors = 0; // 512-byte units, clipped to the disk's end
    dev_t devno = 0;           // 0 when unknown
};

struct sysfs_disk_s {
    QString name;                    // "sdb"
    QString node;                    // <root>/dev/sdb
    bool removable = false;
    uint64_t size_sectors = 0;       // 512-byte units; 0 when no medium (or unknown)
    bool size_known = false;         // the size attribute held a number
    uint32_t logical_block_size = 0; // 0 when unknown
    dev_t devno = 0;
    QList<sysfs_partition_s> partitions; // in partition-number order
};

// Joins a path relative to the root folder ("dev/sdb" -> "/dev/sdb" for the real root).
QString platform_root_path(const QString &relative);

// Whole disks of the kinds the program reads (sd, nvme, mmcblk, vd, hd, xvd, and loop devices
// with a backing file), in a stable order: fixed before removable, then by kind, then by name
// with numbers compared as numbers.
// Optical drives and virtual devices (dm, md, zram, ram) are not among them.
QList<sysfs_disk_s> platform_sysfs_disks();

// The disk whose device node is node, when it is one of platform_sysfs_disks(). 0 or -1.
int platform_sysfs_disk_for_node(const QString &node, sysfs_disk_s &out);

// Parses "major:minor" as sysfs writes it; 0 for anything else.
dev_t platform_parse_devno(const QByteArray &text);
