#include "engines/ntfs/boot_sector.h"

#include "engines/ntfs/ntfs_layout.h"

#include <cstring>

namespace ntfs {
namespace {

bool power_of_two(uint64_t v) { return v && !(v & (v - 1)); }

} // namespace

int parse_boot_sector(const uint8_t *s, uint64_t volume_bytes, geometry_s &out)
{
    out = geometry_s{};
    if (std::memcmp(s + 3, "NTFS    ", 8) != 0 || s[510] != 0x55 || s[511] != 0xAA)
        return boot_not_ntfs;

    const uint32_t bps = le16(s + 0x0B);
    if (bps < 256 || bps > 4096 || !power_of_two(bps))
        return boot_geometry;
    // Sectors per cluster: up to 128 directly, larger values as a negative power of two.
    const uint8_t spc_raw = s[0x0D];
    uint32_t spc = spc_raw;
    if (spc_raw > 0x80) {
        const unsigned shift = 256u - spc_raw;
        if (shift > 12)
            return boot_geometry;
        spc = 1u << shift;
    }
    if (!power_of_two(spc))
        return boot_geometry; // also rejects 0
    const uint64_t cluster = uint64_t(bps) * spc;
    if (cluster > 2u * 1024 * 1024)
        return boot_geometry;

    // Record size: positive = clusters per record, negative = 2^-n bytes.
    const int8_t cpr = int8_t(s[0x40]);
    uint64_t record = 0;
    if (cpr > 0)
        record = uint64_t(cpr) * cluster;
    else if (cpr < 0 && cpr >= -31)
        record = 1ull << unsigned(-cpr);
    if (record < 256 || record > 65536 || !power_of_two(record) || record % fixup_stride)
        return boot_geometry;

    const uint64_t total_sectors = le64(s + 0x28);
    if (total_sectors == 0)
        return boot_geometry;
    const uint64_t total_clusters = total_sectors / spc;
    const uint64_t mft = le64(s + 0x30);
    const uint64_t mirr = le64(s + 0x38);
    if (mft >= total_clusters || mirr >= total_clusters)
        return boot_location;
    if (volume_bytes && (mft + 1) * cluster > volume_bytes)
        return boot_location;

    out.bytes_per_sector = bps;
    out.sectors_per_cluster = spc;
    out.cluster_size = uint32_t(cluster);
    out.total_sectors = total_sectors;
    out.total_clusters = total_clusters;
    out.mft_cluster = mft;
    out.mftmirr_cluster = mirr;
    out.record_size = uint32_t(record);
    return boot_ok;
}

} // namespace ntfs
