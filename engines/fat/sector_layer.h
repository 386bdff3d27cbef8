#pragma once
// Raw 512-byte sector reads from whole drives (block devices or disk images), shared by the FAT
// reader. One mutex serialises all device access; a media-check thread notices removed media.
// Nothing here writes.

#include "platform/source.h"

#include <QString>
#include <cstdint>
#include <memory>

enum sector_result_e : int {
    sector_ok = 0,
    sector_error = 1,
    sector_not_ready = 3,
    sector_bad_param = 4,
};

constexpr uint8_t drive_status_noinit = 0x01;  // absent, failing or unsupported
constexpr uint8_t drive_status_protect = 0x04; // write-protected
constexpr int sector_max_drives = 10;
constexpr uint32_t sector_transfer_bytes = 65536;

// Opens the drives (platform_drive_nodes()) and starts the media-check thread. Returns the number
// of drives opened. Safe to call again: it then reopens like reopen_sector_drives().
int init_sector_layer();
// Closes and reopens every drive (after a refresh of the volume list).
void reopen_sector_drives();
// Stops the media-check thread and closes the drives (tests, process exit).
void shutdown_sector_layer();

// Status with a fresh check (mount) and the stored status bits (every operation).
uint8_t sector_drive_status(uint8_t drive);
uint8_t sector_drive_status_cached(uint8_t drive);

// Reads count (1..) sectors of 512 bytes starting at sector into dest. More than 64 KiB per
// request gives sector_bad_param.
int read_drive_sectors(uint8_t drive, uint8_t *dest, uint64_t sector, uint32_t count);

// Number of drives opened.
int sector_drive_count();

// Binds a volume to its drive, partition number and start sector (512-byte units). The drive is
// the table slot that holds the volume's drive node, even when drives came or went since the table
// was opened; -1 when no slot holds it (reopen first) or the volume is unknown.
int bind_volume(const QString &volume_name, uint8_t &drive, int32_t &partition_number,
                uint64_t &start_sector);

// Test and fuzz seam: places a source as drive n (replacing what was there); the drive count
// grows to cover it. sector_size is what its geometry reports.
void sector_layer_attach(int n, std::unique_ptr<source_c> source, uint32_t sector_size = 512);
