#include "disk/drive_enum.h"

#include "disk/drive_item.h"
#include "platform/drives.h"

int enumerate_drives()
{
    drive_list.clear();
    drive_list.append(drive_item_s{});
    const QStringList nodes = platform_drive_nodes();
    for (int n = 0; n < nodes.size() && n < 10; ++n) {
        drive_probe_s probe;
        // Like a drive whose geometry cannot be read, a failing drive ends the list.
        if (platform_probe_drive(nodes[n], probe) != 0 || !probe.present ||
            probe.logical_sector_size == 0 || probe.heads == 0 || probe.sectors_per_track == 0)
            break;
        auto geo = std::make_shared<disk_geometry_s>();
        geo->bytes_per_sector = probe.logical_sector_size;
        geo->tracks_per_cylinder = probe.heads;
        geo->sectors_per_track = probe.sectors_per_track;
        geo->media_type = probe.removable ? 11 : 12;
        // The ioctl's own cylinder count is 16 bits wide and wraps; derive it from the size.
        const uint64_t per_cylinder = uint64_t(geo->bytes_per_sector) * geo->sectors_per_track *
                                      geo->tracks_per_cylinder;
        geo->cylinders = static_cast<int64_t>(probe.size_bytes / per_cylinder);
        drive_item_s d;
        d.device_path = nodes[n];
        d.size_bytes = uint64_t(geo->bytes_per_sector) * geo->sectors_per_track *
                       geo->tracks_per_cylinder * static_cast<uint64_t>(geo->cylinders);
        d.geometry = geo;
        drive_list.append(d);
    }
    return 0;
}
