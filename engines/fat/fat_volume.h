#pragma once
// Read-only FAT12/16/32 reader over the drive sector layer. It mounts one volume at a known
// start sector, walks directories entry by entry (deleted entries too, flagged), assembles long
// names and reads file data by the FAT chain or, for deleted files, as contiguous clusters.
//
// State lives in plain objects owned by the caller. One volume object must not be used by two
// threads at once; device access itself is serialised by the sector layer.

#include <array>
#include <vector>
#include <cstdint>

enum fat_result_e : int {
    fr_ok = 0,
    fr_disk_err = 1,       // a sector read failed
    fr_int_err = 2,        // broken chain or cluster out of range
    fr_not_ready = 3,      // the drive is not usable
    fr_no_file = 4,        // no more entries
    fr_no_path = 5,
    fr_invalid_name = 6,
    fr_denied = 7,
    fr_invalid_object = 9, // object opened under another mount, or never opened
    fr_invalid_drive = 11,
    fr_not_enabled = 12,   // no volume registered
    fr_no_filesystem = 13,
    fr_not_enough_core = 17,
};

enum fat_type_e : uint8_t { fat_none = 0, fat_12 = 1, fat_16 = 2, fat_32 = 3 };

constexpr uint8_t fat_attr_read_only = 0x01;
constexpr uint8_t fat_attr_hidden = 0x02;
constexpr uint8_t fat_attr_system = 0x04;
constexpr uint8_t fat_attr_volume = 0x08;
constexpr uint8_t fat_attr_dir = 0x10;
constexpr uint8_t fat_attr_archive = 0x20;
constexpr uint8_t fat_attr_removed = 0x40; // added by the reader for a deleted entry
constexpr uint8_t fat_attr_long_name = 0x0F;

constexpr uint32_t fat_sector_bytes = 512;
constexpr int fat_lfn_units = 256;

// Where the volume lives: drive of the sector layer and start sector on it. A nonzero partition
// number means the start sector is used even when the drive's sector 0 is a FAT boot sector.
struct fat_binding_s {
    uint8_t drive = 0;
    int32_t partition_number = 0;
    uint64_t start_sector = 0;
    uint64_t sector_limit = 0; // sectors readable from start_sector; 0 = unknown (the drive's end)
};

struct fat_volume_s {
    uint8_t fat_type = fat_none;
    uint8_t drive = 0;
    uint8_t cluster_size = 0; // sectors per cluster
    uint8_t fat_count = 0;
    uint16_t mount_id = 0;
    uint16_t root_entries = 0; // FAT12/16 fixed root directory
    uint32_t fat_entries = 0;  // clusters + 2
    uint32_t fat_size = 0;     // sectors per FAT
    uint64_t fat_start = 0;    // absolute sectors on the drive
    uint64_t root_start = 0;   // FAT12/16: first root sector; FAT32: root cluster
    uint64_t data_start = 0;   // first sector of cluster 2
    uint64_t boot_sector = 0;
    uint64_t end_sector = 0;   // first sector past the readable volume
    bool registered = false;
    fat_binding_s binding;
    bool window_valid = false;
    uint64_t window_sector = 0;
    std::array<uint8_t, fat_sector_bytes> window{};
};

struct fat_dir_s {
    fat_volume_s *vol = nullptr;
    uint16_t mount_id = 0;
    uint16_t index = 0;         // current entry within the directory
    uint32_t start_cluster = 0; // 0 = FAT12/16 fixed root
    uint32_t cluster = 0;
    uint64_t sector = 0;        // 0 = end reached
    std::vector<uint32_t> chain; // clusters visited, so a looping chain ends the directory
    uint16_t lfn_start = 0xFFFF; // index at which the current long name began; 0xFFFF none
    bool deleted = false;        // the current entry's first byte is 0xE5
    int pending = fr_ok;         // failure met after the last entry was delivered
    std::array<char16_t, fat_lfn_units> lfn{};
};

struct fat_info_s {
    uint32_t size = 0;
    uint32_t first_cluster = 0;
    uint16_t write_date = 0;
    uint16_t write_time = 0;
    uint16_t create_date = 0;
    uint16_t create_time = 0;
    uint8_t attributes = 0;          // with fat_attr_removed for a deleted entry
    char16_t short_name[13] = {};    // "NAME.EXT", empty at the end of the directory
    char16_t long_name[fat_lfn_units] = {}; // empty when the entry has none
};

constexpr uint8_t fat_file_read = 0x01;
constexpr uint8_t fat_file_error = 0x80;

struct fat_file_s {
    fat_volume_s *vol = nullptr;
    uint16_t mount_id = 0;
    uint8_t flags = 0;
    uint32_t pos = 0;
    uint32_t size = 0;
    uint32_t first_cluster = 0;
    uint32_t cluster = 0;
    bool buf_valid = false;
    uint64_t buf_sector = 0;
    std::array<uint8_t, fat_sector_bytes> buf{};
};

// Registers the binding and marks the volume not mounted, so the next access mounts afresh.
int f_mount(fat_volume_s &vol, const fat_binding_s &binding);
// Mounts when needed and opens the directory named by path; only the root ("/" or "") is known.
int f_opendir(fat_volume_s &vol, fat_dir_s &dir, const char16_t *path);
// Reads the next entry into info; with info null, rewinds to the first entry.
int f_readdir(fat_dir_s &dir, fat_info_s *info);
// Opens the directory whose first cluster is cluster (after f_opendir of the root).
int fat_dir_open_cluster(fat_dir_s &dir, uint32_t cluster);
// Sets up a file object for reading without a path lookup.
void fat_file_setup(fat_file_s &file, fat_volume_s &vol, uint32_t first_cluster, uint32_t size);
// Reads up to count bytes from the file's position. With deleted, clusters after the first are
// taken as contiguous instead of following the FAT.
int f_read(fat_file_s &file, void *dest, uint32_t count, uint32_t &bytes_read, bool deleted);

// Internals shared by the reader's files.
int fat_mount_if_needed(fat_volume_s &vol);
int fat_check_object(const fat_volume_s *vol, uint16_t mount_id);
// FAT entry of cluster c: 1 for c out of range, 0xFFFFFFFF on a read failure.
uint32_t fat_get_entry(fat_volume_s &vol, uint32_t c);
// First sector of cluster c, 0 when c is out of range.
uint64_t fat_cluster_sector(const fat_volume_s &vol, uint32_t c);
// Reads sectors inside the volume; fr_disk_err outside it or on a failed read.
int fat_read_sectors(fat_volume_s &vol, uint8_t *dest, uint64_t sector, uint32_t count);
int fat_load_window(fat_volume_s &vol, uint64_t sector);
