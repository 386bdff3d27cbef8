#pragma once
// Partition tables and file-system signatures of drives and images, read with libblkid.

#include <QList>
#include <QString>
#include <cstdint>

struct partition_entry_s {
    int number = 0;       // partition number in the table (1..)
    uint64_t offset = 0;  // byte offset on the drive
    uint64_t length = 0;  // bytes, clipped to the drive's end
    QString uuid;         // PARTUUID (GPT entry GUID, or "<disk id>-<nn>" for MBR); may be empty
};

// Reads the MBR or GPT of an open drive of size bytes (sector_size: its logical sector size).
// Extended-partition containers are left out; an entry that starts at or past the drive's end is
// dropped and one that runs past it is clipped. Returns the number of entries (0 when the drive
// has no partition table), or -1 when the drive cannot be probed.
// extended, when given, receives the numbers of the extended containers.
int platform_read_partitions(int fd, uint64_t size, uint32_t sector_size,
                             QList<partition_entry_s> &out, QList<int> *extended = nullptr);

struct filesystem_info_s {
    QString file_system; // "FAT12", "FAT16", "FAT32", "NTFS", "exFAT" or blkid's name
    QString label;
    QString uuid;        // file-system UUID or serial as blkid spells it
};

// Probes the byte range [offset, offset + length) of an open drive for a file system.
// 0 when one was recognised, 1 when none was, -1 when the range cannot be probed.
int platform_probe_filesystem(int fd, uint64_t offset, uint64_t length, filesystem_info_s &out);

// blkid's type and version as the volume list names them ("vfat"/"FAT32" -> "FAT32").
QString platform_file_system_name(const QString &type, const QString &version);
