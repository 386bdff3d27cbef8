#include "platform/partitions.h"

#include <blkid/blkid.h>

namespace {

// A probe bound to [offset, offset + length) of fd, released on scope exit.
struct probe_guard_s {
    blkid_probe pr = nullptr;
    probe_guard_s(int fd, uint64_t offset, uint64_t length)
    {
        if (offset > INT64_MAX || length > INT64_MAX)
            return;
        pr = blkid_new_probe();
        if (pr && blkid_probe_set_device(pr, fd, static_cast<blkid_loff_t>(offset),
                                         static_cast<blkid_loff_t>(length)) != 0) {
            blkid_free_probe(pr);
            pr = nullptr;
        }
    }
    ~probe_guard_s()
    {
        if (pr)
            blkid_free_probe(pr);
    }
    probe_guard_s(const probe_guard_s &) = delete;
    probe_guard_s &operator=(const probe_guard_s &) = delete;

    QString value(const char *name) const
    {
        const char *data = nullptr;
        size_t len = 0;
        if (blkid_probe_lookup_value(pr, name, &data, &len) != 0 || !data)
            return {};
        // len counts the terminating NUL.
        return QString::fromUtf8(data, len > 0 ? static_cast<qsizetype>(len - 1) : 0);
    }
};

} // namespace

QString platform_file_system_name(const QString &type, const QString &version)
{
    if (type == QLatin1String("vfat")) {
        if (version == QLatin1String("FAT12") || version == QLatin1String("FAT16") ||
            version == QLatin1String("FAT32"))
            return version;
        return type;
    }
    if (type == QLatin1String("ntfs"))
        return QStringLiteral("NTFS");
    if (type == QLatin1String("exfat"))
        return QStringLiteral("exFAT");
    return type;
}

int platform_read_partitions(int fd, uint64_t size, uint32_t sector_size,
                             QList<partition_entry_s> &out, QList<int> *extended)
{
    out.clear();
    if (extended)
        extended->clear();
    probe_guard_s probe(fd, 0, size);
    if (!probe.pr)
        return -1;
    if (sector_size >= 512)
        blkid_probe_set_sectorsize(probe.pr, sector_size);
    blkid_partlist list = blkid_probe_get_partitions(probe.pr);
    if (!list)
        return 0;
    const int count = blkid_partlist_numof_partitions(list);
    const uint64_t drive_sectors = size / 512;
    for (int i = 0; i < count; ++i) {
        blkid_partition part = blkid_partlist_get_partition(list, i);
        if (!part)
            continue;
        if (blkid_partition_is_extended(part)) {
            if (extended)
                extended->append(blkid_partition_get_partno(part));
            continue;
        }
        // libblkid reports start and size in 512-byte units whatever the sector size.
        const blkid_loff_t start = blkid_partition_get_start(part);
        const blkid_loff_t sectors = blkid_partition_get_size(part);
        const int number = blkid_partition_get_partno(part);
        if (start < 0 || sectors <= 0 || number <= 0)
            continue;
        const uint64_t first = static_cast<uint64_t>(start);
        if (first >= drive_sectors)
            continue; // starts past the end of the drive: not trusted
        uint64_t count_sectors = static_cast<uint64_t>(sectors);
        if (count_sectors > drive_sectors - first)
            count_sectors = drive_sectors - first;
        partition_entry_s e;
        e.number = number;
        e.offset = first * 512;
        e.length = count_sectors * 512;
        if (const char *uuid = blkid_partition_get_uuid(part))
            e.uuid = QString::fromUtf8(uuid);
        out.append(e);
    }
    return static_cast<int>(out.size());
}

int platform_probe_filesystem(int fd, uint64_t offset, uint64_t length, filesystem_info_s &out)
{
    out = filesystem_info_s{};
    probe_guard_s probe(fd, offset, length);
    if (!probe.pr)
        return -1;
    blkid_probe_enable_superblocks(probe.pr, 1);
    blkid_probe_set_superblocks_flags(probe.pr, BLKID_SUBLKS_TYPE | BLKID_SUBLKS_LABEL |
                                                    BLKID_SUBLKS_UUID | BLKID_SUBLKS_VERSION);
    blkid_probe_enable_partitions(probe.pr, 0);
    int r = blkid_do_safeprobe(probe.pr);
    if (r == -2) {
        // Several signatures (leftovers of an earlier format): take the first one found, as a
        // mount attempt would.
        blkid_reset_probe(probe.pr);
        r = blkid_do_probe(probe.pr);
    }
    if (r < 0)
        return -1;
    if (r == 1)
        return 1;
    const QString type = probe.value("TYPE");
    if (type.isEmpty())
        return 1;
    out.file_system = platform_file_system_name(type, probe.value("VERSION"));
    out.label = probe.value("LABEL");
    out.uuid = probe.value("UUID");
    return 0;
}
