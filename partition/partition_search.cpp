// The search walk of partition_repair_c.
#include "partition/boot_sector.h"
#include "partition/partition_repair.h"
#include "platform/drives.h"

#include <vector>

namespace {

constexpr uint64_t window_bytes = partition_repair_c::window_sectors * partition_sector_size;

// True when sector starts at or beyond the drive's end; sector × 512 may not fit in 64 bits.
bool past_end(uint64_t sector, uint64_t size_bytes)
{
    const uint64_t sectors = size_bytes / partition_sector_size + (size_bytes % partition_sector_size ? 1 : 0);
    return sector >= sectors;
}

// A boot sector at window position j, or false. NTFS is tried first.
bool classify(const uint8_t *window, uint64_t j, partition_item_s &item, uint64_t &sectors)
{
    const uint8_t *sector = window + j * partition_sector_size;
    if (is_ntfs_boot_sector(sector)) {
        item.fs_name = QStringLiteral("NTFS");
        item.partition_type = 7;
        sectors = ntfs_partition_sectors(sector);
        return true;
    }
    if (is_fat32_boot_sector(sector)) {
        item.fs_name = QStringLiteral("FAT32");
        item.partition_type = 12;
        sectors = fat32_partition_sectors(sector);
        return true;
    }
    return false;
}

} // namespace

int partition_repair_c::search_partitions(const drive_item_s &drive)
{
    const std::unique_ptr<source_c> source = platform_open_drive(drive.device_path);
    if (!source) {
        result_ = search_open_failed;
        return -1;
    }
    return search_source(*source, drive.size_bytes);
}

int partition_repair_c::search_source(const source_c &source, uint64_t size_bytes)
{
    std::vector<uint8_t> window(window_bytes);
    uint64_t base = 0;
    progress_ = 0.0;
    for (;;) {
        if (stop_.load()) {
            result_ = search_stopped; // progress stays where the stop found it
            return 0;
        }
        // A short last window at the drive's end is never examined.
        if (!source.read_exact(base * partition_sector_size, window.data(), window.size()))
            break;
        partition_item_s item;
        uint64_t sectors = 0;
        uint64_t j = 0;
        while (j < window_advance && !classify(window.data(), j, item, sectors))
            ++j;
        if (j == window_advance) {
            base += window_advance;
        } else {
            if (past_end(base, size_bytes))
                break;
            item.start_sector = base + j;
            // A size of 0 gives end = start - 1 (0 sectors); a size running past 2^64 is clamped.
            const bool overflow = sectors > UINT64_MAX - item.start_sector;
            item.end_sector = overflow ? UINT64_MAX : item.start_sector + sectors - 1;
            append_partition(item);
            if (overflow)
                break;
            // Skip the partition's whole extent; a 0-sector one would be found again forever, so
            // the walk goes on one sector further.
            base = item.start_sector + (sectors ? sectors : 1);
        }
        if (past_end(base, size_bytes))
            break;
        progress_ = (static_cast<double>(base) * partition_sector_size) / static_cast<double>(size_bytes);
    }
    progress_ = 1.0;
    result_ = search_complete;
    return 0;
}
