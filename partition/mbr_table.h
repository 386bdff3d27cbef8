#pragma once
// Building a master boot record from found partitions: the boot program, four primary entries
// and the boot signature; the disk signature and the two bytes after it are kept.

#include "partition/partition_item.h"

#include <QList>
#include <array>
#include <cstdint>

constexpr int mbr_boot_code_size = 440;
constexpr int mbr_entry_offset = 446;
constexpr int mbr_entry_size = 16;
constexpr int mbr_entry_count = 4;

// CHS address of a sector for a drive with the given heads and sectors per track: head, then
// sector (bits 0-5) with cylinder bits 8-9 (bits 6-7), then the cylinder's low 8 bits. The cylinder
// is stored modulo 1024. A geometry of 0 heads or 0 sectors is taken as 255 x 63.
std::array<uint8_t, 3> lba_to_chs(uint64_t sector, uint32_t heads, uint32_t sectors_per_track);

// Why build_mbr refused.
enum mbr_build_e : int {
    mbr_ok = 0,
    mbr_no_partitions = -1,    // nothing found: an empty table would be no repair
    mbr_beyond_32_bits = -2,   // a start or a sector count an MBR entry cannot hold
};

// Rewrites sector (512 bytes as read from the drive) in place from the first four records.
// Returns mbr_ok, or a negative mbr_build_e with sector unchanged.
int build_mbr(uint8_t *sector, const QList<partition_item_s> &records, uint32_t heads,
              uint32_t sectors_per_track);

// The 440-byte boot program placed at the start of every repaired sector 0.
const uint8_t *mbr_boot_code();
