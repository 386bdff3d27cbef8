#pragma once
// The mount table (<root>/proc/self/mountinfo, read with libmount) and sizes of mounted volumes.

#include <QList>
#include <QString>
#include <cstdint>
#include <sys/types.h>

struct mount_entry_s {
    dev_t devno = 0;
    QString source; // "/dev/sdb1", or whatever the file system names as its source
    QString target; // mount path as the table gives it, unescaped
};

// Entries in table order; empty when the table cannot be read.
QList<mount_entry_s> platform_mount_table();

// Mount paths of the device devno, in table order. File systems that report a device number of
// their own (btrfs) are found by their source, the device path node ("/dev/sdb1").
QStringList platform_mount_points(const QList<mount_entry_s> &table, dev_t devno, const QString &node);

// Total and free bytes (all free blocks, not the caller's quota) of the file system mounted at
// target (a path of the mount table; looked up below the root folder). 0 or -1.
int platform_mounted_sizes(const QString &target, uint64_t &total, uint64_t &free_bytes);
