#pragma once
// Every volume of the drives in platform_drive_nodes(): partitions of real disks (from sysfs),
// whole disks that have no partitions, and the partitions or bare file systems of images.

#include "platform/drives.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

constexpr uint32_t drive_type_removable = 2;
constexpr uint32_t drive_type_fixed = 3;

struct platform_volume_s {
    QString device_name;      // node of the volume, or "<image>" / "<image>#<n>"
    QString volume_name;      // stable identity (by-partuuid / by-uuid path, image name)
    QString label;
    QString file_system;      // empty when no file system was recognised
    QStringList mount_points; // mount paths in table order; empty when not mounted
    uint32_t drive_type = 0;  // 2 removable (images count as removable), 3 fixed
    uint64_t total_bytes = 0; // statvfs of a mounted volume, else the volume's length
    uint64_t free_bytes = 0;  // statvfs of a mounted volume, else 0
    volume_location_s location;
};

// Volumes in drive-number order, then partition order.
QList<platform_volume_s> platform_list_volumes();

// Volumes of one image file; drive_number is given by the caller (-1 when it is not a drive).
QList<platform_volume_s> platform_image_volumes(const QString &image, int drive_number);
