#include "engines/ntfs/runlist.h"

namespace ntfs {
namespace {

// Little-endian signed integer of n (1..8) bytes.
int64_t read_signed(const uint8_t *p, unsigned n)
{
    uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i)
        v |= uint64_t(p[i]) << (8 * i);
    if (n < 8 && (p[n - 1] & 0x80))
        v |= ~0ull << (8 * n);
    return int64_t(v);
}

constexpr int64_t max_clusters = int64_t(1) << 48;

} // namespace

int decode_runlist(const uint8_t *p, size_t length, int64_t vcn, std::vector<run_s> &out)
{
    size_t off = 0;
    int64_t lcn = 0;
    if (vcn < 0 || vcn >= max_clusters)
        return runlist_malformed;
    while (off < length) {
        const uint8_t header = p[off];
        if (header == 0)
            return runlist_ok;
        const unsigned len_bytes = header & 0x0F;
        const unsigned lcn_bytes = header >> 4;
        if (len_bytes == 0 || len_bytes > 8 || lcn_bytes > 8)
            return runlist_malformed;
        if (1 + len_bytes + lcn_bytes > length - off)
            return runlist_truncated;
        const int64_t count = read_signed(p + off + 1, len_bytes);
        if (count <= 0 || count >= max_clusters || vcn + count >= max_clusters)
            return runlist_malformed;
        run_s run;
        run.vcn = vcn;
        run.length = uint64_t(count);
        if (lcn_bytes) {
            const int64_t delta = read_signed(p + off + 1 + len_bytes, lcn_bytes);
            if (delta > max_clusters || delta < -max_clusters)
                return runlist_malformed;
            lcn += delta;
            if (lcn < 0 || lcn >= max_clusters)
                return runlist_malformed;
            run.lcn = lcn;
        }
        out.push_back(run);
        vcn += count;
        off += 1 + len_bytes + lcn_bytes;
    }
    return runlist_truncated; // no terminating zero byte inside the attribute
}

bool runs_inside(const std::vector<run_s> &runs, uint64_t total_clusters)
{
    for (const run_s &r : runs) {
        if (r.sparse())
            continue;
        if (uint64_t(r.lcn) >= total_clusters || r.length > total_clusters - uint64_t(r.lcn))
            return false;
    }
    return true;
}

} // namespace ntfs
