#include "disk/volume_enum.h"

#include "disk/volume_item.h"
#include "platform/volumes.h"

#include <algorithm>

namespace {

// Working record of one volume during an enumeration.
struct volume_record {
    QString device_name;
    QString volume_name;
    QString label;
    QString file_system;
    QString mount_point;
    QStringList mount_points;
    uint32_t file_system_flags = 0;
    uint32_t drive_type = 0;
    uint64_t total_bytes = 0;
    uint64_t free_bytes = 0;
    int32_t partition_number = -1;
    int32_t disk_number = -1;
};

constexpr uint32_t drive_type_remote = 4;
constexpr uint32_t drive_type_cdrom = 5;

QList<volume_record> working_list;

// Ascending by UTF-16 code unit, no case folding.
bool mount_path_less(const volume_record &a, const volume_record &b)
{
    return std::lexicographical_compare(a.mount_point.utf16(), a.mount_point.utf16() + a.mount_point.size(),
                                        b.mount_point.utf16(), b.mount_point.utf16() + b.mount_point.size());
}

} // namespace

void enumerate_volumes()
{
    working_list.clear();
    volume_list.clear();
    const QList<platform_volume_s> found = platform_list_volumes();
    if (found.isEmpty())
        return; // the system knows no volume at all: not even the header item
    const bool admin = platform_is_admin();
    for (const platform_volume_s &v : found) {
        volume_record r;
        r.device_name = v.device_name;
        r.volume_name = v.volume_name;
        r.mount_points = v.mount_points;
        // An unmounted volume is read through its node, which stands for its mount path.
        r.mount_point = v.mount_points.isEmpty() ? v.device_name : v.mount_points.first();
        r.drive_type = v.drive_type;
        r.label = v.label;
        r.file_system = v.file_system;
        r.total_bytes = v.total_bytes;
        r.free_bytes = v.free_bytes;
        if (r.drive_type == drive_type_fixed || r.drive_type == drive_type_removable) {
            r.partition_number = v.location.partition_number;
            r.disk_number = v.location.drive_number;
        }
        if (r.drive_type == drive_type_cdrom || r.drive_type == drive_type_remote)
            continue;
        if (!admin && r.drive_type == drive_type_fixed)
            continue;
        working_list.append(r);
    }
    std::stable_sort(working_list.begin(), working_list.end(), mount_path_less);
    publish_volume_list();
}

void publish_volume_list()
{
    volume_list.clear();
    volume_list.append(volume_item_s{});
    for (const volume_record &r : working_list) {
        if (r.partition_number < 0 || r.disk_number < 0)
            continue;
        volume_item_s v;
        v.device_name = r.device_name;
        v.volume_name = r.volume_name;
        v.label = r.label;
        v.file_system = r.file_system;
        v.mount_point = r.mount_point;
        v.total_bytes = r.total_bytes;
        v.free_bytes = r.free_bytes;
        v.partition_number = r.partition_number;
        v.disk_number = r.disk_number;
        volume_list.append(v);
    }
}
