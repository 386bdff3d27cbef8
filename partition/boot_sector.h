#pragma once
// Recognising the boot sectors of NTFS and FAT32 partitions by the few fields the search trusts.

#include <cstddef>
#include <cstdint>

constexpr size_t partition_sector_size = 512;

// Signature 0x55 0xAA and the OEM name "NTFS    ". sector holds 512 bytes.
bool is_ntfs_boot_sector(const uint8_t *sector);
// Signature 0x55 0xAA in this sector and the one after it (the FSInfo sector), and an OEM name
// beginning with "MSWIN" or "MSDOS". sector holds 1024 bytes: this sector and its follower.
bool is_fat32_boot_sector(const uint8_t *sector);

// Partition size in sectors: NTFS total sectors + 1 (the backup boot sector at the end is not
// counted by the field), wrapping to 0 for an all-ones field.
uint64_t ntfs_partition_sectors(const uint8_t *sector);
// Partition size in sectors from the FAT 32-bit total-sectors field.
uint64_t fat32_partition_sectors(const uint8_t *sector);
