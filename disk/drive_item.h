#pragma once
// One physical drive (a whole block device or a disk image), as the drive page shows it.

#include <QList>
#include <QMetaType>
#include <QString>
#include <cstdint>
#include <memory>

struct disk_geometry_s {
    int64_t cylinders = 0;
    uint32_t media_type = 0; // 11 removable, 12 fixed
    uint32_t tracks_per_cylinder = 0;
    uint32_t sectors_per_track = 0;
    uint32_t bytes_per_sector = 0;
};

struct drive_item_s {
    QString device_path; // "/dev/sdb" or an image file's absolute path; empty in the header item
    uint64_t size_bytes = 0; // bytes per sector x sectors per track x heads x cylinders
    // Shared by every copy and never changed after enumeration, so a copy held by a page or a
    // worker stays valid after a refresh has replaced drive_list. Null in the header item.
    std::shared_ptr<const disk_geometry_s> geometry;
};
Q_DECLARE_METATYPE(drive_item_s)

// Element 0 is the header item; the drive numbered n is at position n + 1.
extern QList<drive_item_s> drive_list;
