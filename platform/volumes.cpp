#include "platform/volumes.h"

#include "platform/mounts.h"
#include "platform/partitions.h"
#include "platform/sysfs.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct fd_guard_s {
    int fd = -1;
    explicit fd_guard_s(const QString &path)
        : fd(::open(path.toUtf8().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~fd_guard_s()
    {
        if (fd >= 0)
            ::close(fd);
    }
    fd_guard_s(const fd_guard_s &) = delete;
    fd_guard_s &operator=(const fd_guard_s &) = delete;
};

// File system, label and sizes of a volume whose location and mount points are set. Returns the
// file system's UUID (empty when none).
QString fill_details(int fd, platform_volume_s &v)
{
    filesystem_info_s fs;
    if (fd >= 0 && platform_probe_filesystem(fd, v.location.offset, v.location.length, fs) == 0) {
        v.file_system = fs.file_system;
        v.label = fs.label;
    }
    if (v.mount_points.isEmpty()) {
        v.total_bytes = v.location.length;
        v.free_bytes = 0;
    } else if (platform_mounted_sizes(v.mount_points.first(), v.total_bytes, v.free_bytes) != 0) {
        v.total_bytes = 0;
        v.free_bytes = 0;
    }
    return fs.uuid;
}

QString stable_name(const QString &partuuid, const QString &fs_uuid, const QString &node)
{
    if (!partuuid.isEmpty())
        return platform_root_path(QStringLiteral("dev/disk/by-partuuid/") + partuuid);
    if (!fs_uuid.isEmpty())
        return platform_root_path(QStringLiteral("dev/disk/by-uuid/") + fs_uuid);
    return node;
}

QList<platform_volume_s> disk_volumes(const sysfs_disk_s &d, int number,
                                      const QList<mount_entry_s> &mounts)
{
    QList<platform_volume_s> out;
    fd_guard_s drive(d.node);
    drive_probe_s probe;
    if (drive.fd < 0 || platform_probe_open_drive(d.node, drive.fd, probe) != 0 || !probe.present)
        return out;
    // The table gives the PARTUUIDs; sysfs gives the partitions the kernel knows.
    QList<partition_entry_s> table;
    QList<int> extended;
    platform_read_partitions(drive.fd, probe.size_bytes, probe.logical_sector_size, table, &extended);
    QHash<int, QString> partuuid;
    for (const partition_entry_s &e : table)
        partuuid.insert(e.number, e.uuid);

    auto make = [&](const QString &node, int partition, uint64_t offset, uint64_t length, dev_t devno,
                    const QString &uuid) {
        platform_volume_s v;
        v.device_name = node;
        v.drive_type = d.removable ? drive_type_removable : drive_type_fixed;
        v.mount_points = platform_mount_points(mounts, devno, node);
        v.location.drive_node = d.node;
        v.location.volume_node = node;
        v.location.drive_number = number;
        v.location.partition_number = partition;
        v.location.offset = offset;
        v.location.length = length;
        v.location.devno = devno;
        const QString fs_uuid = fill_details(drive.fd, v);
        v.volume_name = stable_name(uuid, fs_uuid, node);
        out.append(v);
    };
    for (const sysfs_partition_s &p : d.partitions) {
        if (extended.contains(p.number))
            continue; // the kernel shows an extended container as a 1 KiB partition
        const uint64_t device_sectors = probe.size_bytes / 512;
        if (p.start_sector >= device_sectors)
            continue; // sysfs says more than the device holds
        const uint64_t offset = p.start_sector * 512;
        const uint64_t length = std::min(p.size_sectors, device_sectors - p.start_sector) * 512;
        make(p.node, p.number, offset, length, p.devno, partuuid.value(p.number));
    }
    if (d.partitions.isEmpty()) {
        // The kernel made no partition nodes (a loop device without partition scan): the table's
        // partitions are byte ranges of the disk, named as those of an image.
        for (const partition_entry_s &e : table)
            make(d.node + QStringLiteral("#%1").arg(e.number), e.number, e.offset, e.length, 0, e.uuid);
        if (table.isEmpty())
            make(d.node, 0, 0, probe.size_bytes, d.devno, QString());
    }
    return out;
}

// Volumes whose stable name is shared (cloned disks) fall back to their device node, so that a
// name never leads to the wrong disk.
void make_names_unique(QList<platform_volume_s> &vols)
{
    QHash<QString, int> uses;
    for (const platform_volume_s &v : vols)
        ++uses[v.volume_name];
    for (platform_volume_s &v : vols)
        if (uses.value(v.volume_name) > 1)
            v.volume_name = v.device_name;
}

} // namespace

QList<platform_volume_s> platform_image_volumes(const QString &image, int drive_number)
{
    QList<platform_volume_s> out;
    fd_guard_s drive(image);
    drive_probe_s probe;
    if (drive.fd < 0 || platform_probe_fd(drive.fd, probe) != 0 || !probe.present)
        return out;
    QList<partition_entry_s> table;
    platform_read_partitions(drive.fd, probe.size_bytes, 512, table);
    if (table.isEmpty())
        table.append({0, 0, probe.size_bytes, QString()}); // a bare file system, or nothing known
    for (const partition_entry_s &e : table) {
        platform_volume_s v;
        v.device_name = e.number ? image + QStringLiteral("#%1").arg(e.number) : image;
        v.volume_name = v.device_name;
        v.drive_type = drive_type_removable;
        v.location.drive_node = image;
        v.location.volume_node = v.device_name;
        v.location.drive_number = drive_number;
        v.location.partition_number = e.number;
        v.location.offset = e.offset;
        v.location.length = e.length;
        fill_details(drive.fd, v);
        out.append(v);
    }
    return out;
}

QList<platform_volume_s> platform_list_volumes()
{
    QList<platform_volume_s> out;
    const QStringList nodes = platform_drive_nodes();
    const QList<sysfs_disk_s> disks = platform_sysfs_disks();
    const QList<mount_entry_s> mounts = platform_mount_table();
    const QStringList images = platform_images();
    for (int n = 0; n < nodes.size(); ++n) {
        bool real = false;
        for (const sysfs_disk_s &d : disks) {
            if (d.node == nodes[n]) {
                out += disk_volumes(d, n, mounts);
                real = true;
                break;
            }
        }
        if (!real && images.contains(nodes[n]))
            out += platform_image_volumes(nodes[n], n);
    }
    make_names_unique(out);
    return out;
}

namespace {

// "<file>#<n>" or "<file>" naming an image that was not added as a drive.
int locate_unlisted_image(const QString &name, volume_location_s &out)
{
    QString file = QFileInfo(name).absoluteFilePath();
    int partition = 0;
    const int hash = file.lastIndexOf(QLatin1Char('#'));
    if (hash > 0 && !QFileInfo(file).isFile()) {
        bool ok = false;
        partition = file.mid(hash + 1).toInt(&ok);
        if (!ok || partition <= 0)
            return -1;
        file.truncate(hash);
    }
    if (!QFileInfo(file).isFile())
        return -1;
    for (const platform_volume_s &v : platform_image_volumes(file, -1)) {
        if (v.location.partition_number == partition) {
            out = v.location;
            return 0;
        }
    }
    if (partition != 0)
        return -1;
    // The image file itself names the whole file, also when it holds a partition table.
    out = volume_location_s{};
    out.drive_node = out.volume_node = file;
    out.length = uint64_t(QFileInfo(file).size());
    return 0;
}

} // namespace

int platform_locate_volume(const QString &volume_name, volume_location_s &out)
{
    if (volume_name.isEmpty())
        return -1;
    const QList<platform_volume_s> vols = platform_list_volumes();
    const QString abs = QFileInfo(volume_name).absoluteFilePath();
    const QString canonical = QFileInfo(volume_name).canonicalFilePath();
    const QString clean = QDir::cleanPath(volume_name);
    for (const QString &key : {volume_name, abs}) {
        for (const platform_volume_s &v : vols)
            if (v.volume_name == key || v.device_name == key) {
                out = v.location;
                return 0;
            }
    }
    for (const platform_volume_s &v : vols)
        if (v.mount_points.contains(volume_name) || v.mount_points.contains(clean) ||
            (!canonical.isEmpty() && (v.device_name == canonical || v.mount_points.contains(canonical)))) {
            out = v.location;
            return 0;
        }
    return locate_unlisted_image(volume_name, out);
}

std::unique_ptr<source_c> platform_open_volume(const QString &volume_name)
{
    volume_location_s loc;
    if (platform_locate_volume(volume_name, loc) != 0)
        return nullptr;
    struct stat st {};
    // A real partition node holds exactly the kernel's partition: read through it.
    if (loc.volume_node != loc.drive_node &&
        stat(loc.volume_node.toUtf8().constData(), &st) == 0 && S_ISBLK(st.st_mode))
        return file_source_c::open(loc.volume_node);
    return file_source_c::open(loc.drive_node, loc.offset, loc.length);
}
