#pragma once
// Our NTFS library: a sequential MFT scan that delivers one 576-byte record per MFT record, and
// extraction of a record's unnamed data stream. The engine talks to it only through these four
// calls and the context block.

#include "engines/found_entries.h"

#include <cstdint>

// The context the engine owns (8248 bytes, zeroed before startup). Fields read from outside:
// offset 0, int32, nonzero while open; offset 8, int64, number of MFT records; offsets 8224,
// 8228, 8232, three int32 A, B, C with (A + B) * 8 + C the current record position. The library
// keeps its own state behind a pointer stored in the block.
struct ntfs_scan_context {
    alignas(8) unsigned char bytes[8248];
};
static_assert(sizeof(ntfs_scan_context) == 8248, "the scan context is 8248 bytes");

constexpr int ntfs_ctx_open_offset = 0;
constexpr int ntfs_ctx_total_offset = 8;
constexpr int ntfs_ctx_state_offset = 16;
constexpr int ntfs_ctx_position_a_offset = 8224;
constexpr int ntfs_ctx_position_b_offset = 8228;
constexpr int ntfs_ctx_position_c_offset = 8232;

// Startup failures, one per cause.
enum ntfs_scan_error_e : int32_t {
    ntfs_err_argument = -1,      // null pointer, or the context is already open
    ntfs_err_device_name = -2,   // not of the form /dev/hd<letter><number>
    ntfs_err_no_volume = -3,     // no listed volume has that disk and partition number
    ntfs_err_open = -4,          // the volume could not be opened
    ntfs_err_read_boot = -5,     // the boot sector could not be read
    ntfs_err_not_ntfs = -6,      // no NTFS signature
    ntfs_err_geometry = -7,      // bytes per sector, cluster or record size out of range
    ntfs_err_mft_location = -8,  // $MFT cluster beyond the volume
    ntfs_err_read_mft = -9,      // record 0 could not be read
    ntfs_err_mft_record = -10,   // record 0 is not a valid $MFT record
    ntfs_err_mft_runlist = -11,  // $MFT's data runs are missing, broken or outside the volume
    ntfs_err_memory = -12,
};

// Extraction failures (besides recover_partial, -2: partial file kept).
enum ntfs_extract_error_e : int32_t {
    ntfs_x_failed = -1,       // bad arguments, closed context, unreadable record, no data
    ntfs_x_encrypted = -3,    // encrypted data cannot be recovered
    ntfs_x_outside = -4,      // the runs point outside the volume
    ntfs_x_create = -5,       // the destination could not be created
    ntfs_x_unsupported = -6,  // a compression format other than LZNT1
};

// Opens the volume named by device ("/dev/hd%c%d": 'a' + disk number, partition number) from
// volume_list and prepares the MFT scan. 0, or a negative ntfs_scan_error_e.
int32_t ntfs_scan_startup(const char *device, ntfs_scan_context *ctx);
// Fills *record with the next MFT record worth delivering; 0 when there are no more.
int32_t ntfs_scan_next(ntfs_scan_context *ctx, ntfs_record_s *record);
// Closes what startup opened and marks the context closed.
int32_t ntfs_scan_shutdown(ntfs_scan_context *ctx);
// Writes the unnamed data stream of record to path (UTF-8). 0; recover_partial when cut short
// (the partial file is kept); another negative value when nothing useful was written.
int32_t ntfs_extract_file(ntfs_scan_context *ctx, int64_t record, const char *path, int32_t *scratch);
