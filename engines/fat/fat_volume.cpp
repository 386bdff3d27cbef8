// Mounting a FAT volume, reading its FAT entries and bounded sector reads.

#include "engines/fat/fat_volume.h"

#include "engines/fat/fat_bytes.h"
#include "engines/fat/sector_layer.h"

#include <atomic>
#include <cstring>

namespace {

std::atomic<uint16_t> mount_counter{0};

uint16_t next_mount_id()
{
    uint16_t id = ++mount_counter;
    if (id == 0) // 0 marks an object that was never opened
        id = ++mount_counter;
    return id;
}

int sector_to_fat_result(int r)
{
    if (r == sector_ok)
        return fr_ok;
    return r == sector_not_ready ? fr_not_ready : fr_disk_err;
}

enum boot_kind_e { boot_disk_error, boot_not_record, boot_fat, boot_other };

// Classifies a raw drive sector as read failure, no boot record, FAT boot sector or another
// boot record (a partition table, an NTFS boot sector...).
boot_kind_e classify_sector(uint8_t drive, uint64_t sector, uint8_t *buf)
{
    if (read_drive_sectors(drive, buf, sector, 1) != sector_ok)
        return boot_disk_error;
    if (buf[510] != 0x55 || buf[511] != 0xAA)
        return boot_not_record;
    if (std::memcmp(buf + 54, "FAT", 3) == 0 || std::memcmp(buf + 82, "FAT", 3) == 0)
        return boot_fat;
    return boot_other;
}

bool power_of_two(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// Reads the geometry from the boot sector at boot; fr_no_filesystem for any inconsistency.
int parse_boot_sector(fat_volume_s &vol, const uint8_t *bs, uint64_t boot)
{
    if (fat_le16(bs + 11) != fat_sector_bytes)
        return fr_no_filesystem;
    uint32_t fat_size = fat_le16(bs + 22);
    if (fat_size == 0)
        fat_size = fat_le32(bs + 36);
    const uint8_t fat_count = bs[16];
    const uint8_t cluster_size = bs[13];
    const uint16_t root_entries = fat_le16(bs + 17);
    uint32_t total = fat_le16(bs + 19);
    if (total == 0)
        total = fat_le32(bs + 32);
    const uint16_t reserved = fat_le16(bs + 14);
    if ((fat_count != 1 && fat_count != 2) || !power_of_two(cluster_size) || root_entries % 16 != 0 ||
        reserved == 0)
        return fr_no_filesystem;

    const uint64_t system = reserved + uint64_t(fat_size) * fat_count + root_entries / 16;
    if (total < system)
        return fr_no_filesystem;
    const uint64_t clusters = (total - system) / cluster_size;
    if (clusters == 0 || clusters > 0x0FFFFFF5)
        return fr_no_filesystem;
    const uint8_t type = clusters < 4086 ? fat_12 : clusters < 65526 ? fat_16 : fat_32;
    const uint32_t entries = static_cast<uint32_t>(clusters + 2);

    uint64_t needed = 0;
    if (type == fat_32) {
        if (root_entries != 0)
            return fr_no_filesystem;
        vol.root_start = fat_le32(bs + 44);
        needed = uint64_t(entries) * 4;
    } else {
        if (root_entries == 0)
            return fr_no_filesystem;
        vol.root_start = boot + reserved + uint64_t(fat_size) * fat_count;
        needed = type == fat_16 ? uint64_t(entries) * 2 : uint64_t(entries) * 3 / 2 + (entries & 1);
    }
    if (fat_size < (needed + fat_sector_bytes - 1) / fat_sector_bytes)
        return fr_no_filesystem;

    vol.cluster_size = cluster_size;
    vol.fat_count = fat_count;
    vol.root_entries = root_entries;
    vol.fat_entries = entries;
    vol.fat_size = fat_size;
    vol.fat_start = boot + reserved;
    vol.data_start = boot + system;
    vol.boot_sector = boot;
    vol.end_sector = boot + total;
    const fat_binding_s &b = vol.binding;
    if (b.sector_limit != 0 && b.start_sector + b.sector_limit < vol.end_sector)
        vol.end_sector = b.start_sector + b.sector_limit; // never read past the volume's range
    vol.fat_type = type;
    return fr_ok;
}

} // namespace

int f_mount(fat_volume_s &vol, const fat_binding_s &binding)
{
    vol.binding = binding;
    vol.registered = true;
    vol.fat_type = fat_none;
    vol.window_valid = false;
    return fr_ok;
}

int fat_mount_if_needed(fat_volume_s &vol)
{
    if (!vol.registered)
        return fr_not_enabled;
    if (vol.fat_type != fat_none && !(sector_drive_status_cached(vol.drive) & drive_status_noinit))
        return fr_ok;
    vol.fat_type = fat_none;
    vol.window_valid = false;
    vol.drive = vol.binding.drive;
    if (sector_drive_status(vol.drive) & drive_status_noinit)
        return fr_not_ready;

    uint8_t *buf = vol.window.data();
    uint64_t boot = 0;
    boot_kind_e kind = classify_sector(vol.drive, 0, buf);
    // A partition table (or another boot record) in sector 0, or a known partition number, sends
    // us to the binding's start sector. So does a sector 0 that is unreadable or wiped while the
    // binding knows where the volume starts: a damaged partition table must not hide it.
    const uint64_t start = vol.binding.start_sector;
    if ((vol.binding.partition_number != 0 && kind == boot_fat) || kind == boot_other ||
        (start != 0 && kind != boot_fat)) {
        boot = start;
        kind = classify_sector(vol.drive, boot, buf);
    }
    if (kind == boot_disk_error)
        return fr_disk_err;
    if (kind != boot_fat)
        return fr_no_filesystem;
    const int r = parse_boot_sector(vol, buf, boot);
    if (r != fr_ok)
        return r;
    vol.mount_id = next_mount_id();
    return fr_ok;
}

int fat_check_object(const fat_volume_s *vol, uint16_t mount_id)
{
    if (!vol || !vol->registered || vol->fat_type == fat_none || mount_id == 0 ||
        vol->mount_id != mount_id)
        return fr_invalid_object;
    if (sector_drive_status_cached(vol->drive) & drive_status_noinit)
        return fr_not_ready;
    return fr_ok;
}

int fat_read_sectors(fat_volume_s &vol, uint8_t *dest, uint64_t sector, uint32_t count)
{
    if (count == 0 || sector < vol.boot_sector || sector >= vol.end_sector ||
        count > vol.end_sector - sector)
        return fr_disk_err;
    return sector_to_fat_result(read_drive_sectors(vol.drive, dest, sector, count));
}

int fat_load_window(fat_volume_s &vol, uint64_t sector)
{
    if (vol.window_valid && vol.window_sector == sector)
        return fr_ok;
    vol.window_valid = false;
    const int r = fat_read_sectors(vol, vol.window.data(), sector, 1);
    if (r != fr_ok)
        return r;
    vol.window_sector = sector;
    vol.window_valid = true;
    return fr_ok;
}

uint32_t fat_get_entry(fat_volume_s &vol, uint32_t c)
{
    if (c < 2 || c >= vol.fat_entries)
        return 1;
    auto byte_at = [&vol](uint64_t offset, uint8_t &out) {
        if (fat_load_window(vol, vol.fat_start + offset / fat_sector_bytes) != fr_ok)
            return false;
        out = vol.window[offset % fat_sector_bytes];
        return true;
    };
    switch (vol.fat_type) {
    case fat_12: {
        const uint64_t b = c + c / 2;
        uint8_t lo = 0, hi = 0;
        if (!byte_at(b, lo) || !byte_at(b + 1, hi))
            return 0xFFFFFFFF;
        const uint32_t v = lo | uint32_t(hi) << 8;
        return (c & 1) ? v >> 4 : v & 0xFFF;
    }
    case fat_16: {
        const uint64_t b = uint64_t(c) * 2;
        if (fat_load_window(vol, vol.fat_start + b / fat_sector_bytes) != fr_ok)
            return 0xFFFFFFFF;
        return fat_le16(vol.window.data() + b % fat_sector_bytes);
    }
    case fat_32: {
        const uint64_t b = uint64_t(c) * 4;
        if (fat_load_window(vol, vol.fat_start + b / fat_sector_bytes) != fr_ok)
            return 0xFFFFFFFF;
        return fat_le32(vol.window.data() + b % fat_sector_bytes) & 0x0FFFFFFF;
    }
    default:
        return 1;
    }
}

uint64_t fat_cluster_sector(const fat_volume_s &vol, uint32_t c)
{
    if (c < 2 || c >= vol.fat_entries)
        return 0;
    return uint64_t(c - 2) * vol.cluster_size + vol.data_start;
}
