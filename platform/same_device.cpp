#include "platform/same_device.h"

#include "platform/drives.h"

#include <sys/stat.h>

namespace {

bool stat_path(const QString &path, struct stat &st)
{
    return !path.isEmpty() && ::stat(path.toUtf8().constData(), &st) == 0;
}

// The device number a block-device node stands for; 0 when path is not a block device.
dev_t block_device_of(const QString &path)
{
    struct stat st {};
    if (!stat_path(path, st) || !S_ISBLK(st.st_mode))
        return 0;
    return st.st_rdev;
}

} // namespace

int platform_same_device(const QString &folder, const volume_item_s &volume)
{
    struct stat dest {};
    if (!stat_path(folder, dest))
        return -1;

    // A mounted volume (or a mounted image): the file system at its mount point.
    struct stat mount {};
    if (stat_path(volume.mount_point, mount) && S_ISDIR(mount.st_mode) && mount.st_dev == dest.st_dev)
        return 1;

    // The block devices behind the volume: its own node, the listed device name, the whole drive.
    QStringList nodes{volume.device_name};
    volume_location_s loc;
    if (platform_locate_volume(volume.volume_name, loc) == 0)
        nodes << loc.volume_node << loc.drive_node;
    for (const QString &node : nodes) {
        const dev_t rdev = block_device_of(node);
        if (rdev != 0 && rdev == dest.st_dev)
            return 1;
    }
    return 0;
}
