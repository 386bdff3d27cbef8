// Minimal enumeration over the registered images until discovery of real devices lands.
#include "disk/drive_enum.h"
#include "disk/drive_item.h"
#include "disk/volume_enum.h"
#include "disk/volume_item.h"
#include "platform/drives.h"

#include <QFileInfo>

void enumerate_volumes()
{
    publish_volume_list();
}

void publish_volume_list()
{
    volume_list.clear();
    volume_list.append(volume_item_s{});
    const QStringList images = platform_images();
    for (int i = 0; i < images.size(); ++i) {
        volume_item_s v;
        v.device_name = images[i];
        v.volume_name = images[i];
        v.mount_point = images[i];
        v.total_bytes = static_cast<uint64_t>(QFileInfo(images[i]).size());
        v.disk_number = i;
        volume_list.append(v);
    }
}

int enumerate_drives()
{
    drive_list.clear();
    drive_list.append(drive_item_s{});
    return 0;
}
