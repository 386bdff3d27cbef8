#pragma once
// The NTFS boot sector: geometry and where the MFT lies.

#include <cstdint>

namespace ntfs {

struct geometry_s {
    uint32_t bytes_per_sector = 0;
    uint32_t sectors_per_cluster = 0;
    uint32_t cluster_size = 0;
    uint64_t total_sectors = 0;
    uint64_t total_clusters = 0;
    uint64_t mft_cluster = 0;
    uint64_t mftmirr_cluster = 0;
    uint32_t record_size = 0;
};

enum boot_result_e : int {
    boot_ok = 0,
    boot_not_ntfs = -1,  // no "NTFS    " signature or 0x55AA
    boot_geometry = -2,  // sector, cluster or record size out of range
    boot_location = -3,  // MFT or mirror cluster beyond the volume
};

// Parses the first 512 bytes of the volume. volume_bytes bounds the geometry (0: not checked).
int parse_boot_sector(const uint8_t *sector, uint64_t volume_bytes, geometry_s &out);

} // namespace ntfs
