#pragma once
// One listed volume, as the volume page shows it and a scan engine receives it.

#include <QList>
#include <QMetaType>
#include <QString>
#include <cstdint>

struct volume_item_s {
    QString device_name; // device node ("/dev/sdb1"); empty only in the header item
    QString volume_name; // stable identity the engines open and the scan file stores
    QString label;
    QString file_system; // "FAT12", "FAT16", "FAT32", "NTFS", "exFAT", other blkid names, or empty
    QString mount_point; // first mount path, or the device node of an unmounted volume
    uint64_t total_bytes = 0;
    uint64_t free_bytes = 0;
    int32_t partition_number = 0; // kernel or image partition number; 0 for a whole-drive volume
    int32_t disk_number = 0;      // number of the drive that holds the volume
};
Q_DECLARE_METATYPE(volume_item_s)

// Element 0 is the header item (all empty) standing for the painted title row.
extern QList<volume_item_s> volume_list;
