#pragma once
// One partition found by the partition search, as the partition page lists it and the repair
// writes it into the partition table.

#include <QMetaType>
#include <QString>
#include <cstdint>

struct partition_item_s {
    QString fs_name;            // "NTFS" or "FAT32"; empty for a row that is not a partition
    int32_t partition_type = 0; // MBR type: 7 NTFS, 12 FAT32 (LBA)
    uint64_t start_sector = 0;  // absolute 512-byte sector of the boot sector
    uint64_t end_sector = 0;    // start_sector + size - 1
};
Q_DECLARE_METATYPE(partition_item_s)

// Registers partition_item_s with the meta-type system (done once at start; safe to repeat).
void register_partition_item();
