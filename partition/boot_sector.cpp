#include "partition/boot_sector.h"

#include <cstring>

namespace {

bool has_signature(const uint8_t *sector)
{
    return sector[510] == 0x55 && sector[511] == 0xAA;
}

uint64_t read_le(const uint8_t *p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

} // namespace

bool is_ntfs_boot_sector(const uint8_t *sector)
{
    return has_signature(sector) && std::memcmp(sector + 3, "NTFS    ", 8) == 0;
}

bool is_fat32_boot_sector(const uint8_t *sector)
{
    if (!has_signature(sector) || !has_signature(sector + partition_sector_size))
        return false;
    if (std::memcmp(sector + 3, "MSWIN", 5) == 0 || std::memcmp(sector + 3, "MSDOS", 5) == 0)
        return true;
    // dosfstools (mkfs.fat, older mkdosfs) writes its own OEM name; such a sector counts when it
    // also declares itself FAT32, so partitions formatted on Linux are found too.
    const bool linux_oem = std::memcmp(sector + 3, "mkfs.fat", 8) == 0 || std::memcmp(sector + 3, "mkdosfs", 7) == 0;
    return linux_oem && std::memcmp(sector + 82, "FAT32   ", 8) == 0;
}

uint64_t ntfs_partition_sectors(const uint8_t *sector)
{
    return read_le(sector + 0x28, 8) + 1;
}

uint64_t fat32_partition_sectors(const uint8_t *sector)
{
    return read_le(sector + 0x20, 4);
}
