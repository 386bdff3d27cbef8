#include "engines/ntfs/extract.h"

#include "engines/ntfs/lznt1.h"
#include "engines/ntfs/ntfs_layout.h"
#include "engines/ntfs/ntfs_scan.h"
#include "engines/recovery_base.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace ntfs {
namespace {

constexpr uint64_t block_bytes = 1024 * 1024;
constexpr uint16_t compression_lznt1 = 0x0001;

// The run that holds vcn, or null for a part the runlist does not cover.
const run_s *run_at(const std::vector<run_s> &runs, uint64_t vcn)
{
    auto it = std::upper_bound(runs.begin(), runs.end(), vcn,
                               [](uint64_t v, const run_s &r) { return v < uint64_t(r.vcn); });
    if (it == runs.begin())
        return nullptr;
    --it;
    return vcn < uint64_t(it->vcn) + it->length ? &*it : nullptr;
}

class writer_c {
public:
    explicit writer_c(QFile &file) : file_(file) {}
    bool write(const uint8_t *data, uint64_t n)
    {
        return file_.write(reinterpret_cast<const char *>(data), qint64(n)) == qint64(n);
    }
    bool zeros(uint64_t n)
    {
        static const uint8_t zero[65536] = {};
        while (n) {
            const uint64_t k = std::min<uint64_t>(n, sizeof zero);
            if (!write(zero, k))
                return false;
            n -= k;
        }
        return true;
    }

private:
    QFile &file_;
};

// Plain runs: allocated runs read cluster range by cluster range, sparse runs as zeros, bytes
// beyond the initialized size as zeros.
int write_plain(const volume_c &v, const data_stream_s &d, writer_c &out)
{
    const uint64_t cs = v.geometry().cluster_size;
    std::vector<uint8_t> buffer(block_bytes);
    uint64_t pos = 0;
    while (pos < d.data_size) {
        const uint64_t vcn = pos / cs;
        const run_s *r = run_at(d.runs, vcn);
        if (!r)
            return recover_partial;
        const uint64_t run_end = (uint64_t(r->vcn) + r->length) * cs;
        uint64_t n = std::min({run_end - pos, d.data_size - pos, block_bytes});
        if (r->sparse() || pos >= d.initialized_size) {
            if (pos < d.initialized_size)
                n = std::min(n, d.initialized_size - pos);
            if (!out.zeros(n))
                return recover_partial;
            pos += n;
            continue;
        }
        n = std::min(n, d.initialized_size - pos);
        // pos is cluster aligned here except after a short initialized tail, handled above.
        const uint64_t first = uint64_t(r->lcn) + (vcn - uint64_t(r->vcn));
        const uint64_t skip = pos % cs;
        const uint64_t clusters = (skip + n + cs - 1) / cs;
        const int64_t got = v.read_clusters(int64_t(first), clusters, buffer.data());
        if (got < int64_t(skip + n)) {
            if (got > int64_t(skip))
                out.write(buffer.data() + skip, uint64_t(got) - skip);
            return recover_partial;
        }
        if (!out.write(buffer.data() + skip, n))
            return recover_partial;
        pos += n;
    }
    return 0;
}

// LZNT1: each compression unit is stored raw (all clusters allocated), absent (all sparse) or
// compressed into its leading allocated clusters.
int write_compressed(const volume_c &v, const data_stream_s &d, writer_c &out)
{
    const uint64_t cs = v.geometry().cluster_size;
    if (d.compression_unit > 8 || (uint64_t(1) << d.compression_unit) * cs > 4 * block_bytes)
        return ntfs_x_unsupported;
    const uint64_t unit_clusters = uint64_t(1) << d.compression_unit;
    const uint64_t unit_bytes = unit_clusters * cs;
    std::vector<uint8_t> packed(unit_bytes), unpacked(unit_bytes);
    for (uint64_t pos = 0; pos < d.data_size; pos += unit_bytes) {
        const uint64_t first_vcn = pos / cs;
        uint64_t allocated = 0;
        for (uint64_t vcn = first_vcn; vcn < first_vcn + unit_clusters;) {
            const run_s *r = run_at(d.runs, vcn);
            if (!r) {
                // A unit whose start is not mapped is missing; a unit cut short after its
                // compressed clusters only lacks its sparse tail.
                if (vcn == first_vcn)
                    return recover_partial;
                break;
            }
            const uint64_t n = std::min(uint64_t(r->vcn) + r->length, first_vcn + unit_clusters) - vcn;
            if (!r->sparse()) {
                const uint64_t lcn = uint64_t(r->lcn) + (vcn - uint64_t(r->vcn));
                if (v.read_clusters(int64_t(lcn), n, packed.data() + allocated * cs) != int64_t(n * cs))
                    return recover_partial;
                allocated += n;
            }
            vcn += n;
        }
        const uint64_t n = std::min(unit_bytes, d.data_size - pos);
        const uint8_t *src = packed.data();
        if (allocated < unit_clusters) {
            std::memset(unpacked.data(), 0, unit_bytes);
            if (allocated && lznt1_decompress(packed.data(), allocated * cs, unpacked.data(), unit_bytes) < 0)
                return recover_partial;
            src = unpacked.data();
        }
        if (!out.write(src, n))
            return recover_partial;
    }
    return 0;
}

} // namespace

int extract_record(const volume_c &v, int64_t number, const char *path)
{
    std::vector<uint8_t> record;
    record_header_s header;
    if (v.read_record(number, record, header) != record_ok || header.base_reference != 0)
        return ntfs_x_failed;
    data_stream_s data;
    v.collect_data(number, record.data(), header, data);
    if (!data.found)
        return ntfs_x_failed;
    const bool compressed = !data.resident && (data.flags & attr_flag_compressed_mask) && data.compression_unit;
    if (!data.resident) {
        if (data.flags & attr_flag_encrypted)
            return ntfs_x_encrypted;
        if (compressed && (data.flags & attr_flag_compressed_mask) != compression_lznt1)
            return ntfs_x_unsupported;
        if (!runs_inside(data.runs, v.geometry().total_clusters))
            return ntfs_x_outside;
        data.initialized_size = std::min(data.initialized_size, data.data_size);
    }

    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return ntfs_x_create;
    writer_c out(file);
    int result = 0;
    if (data.resident)
        result = out.write(data.value.data(), data.value.size()) ? 0 : recover_partial;
    else if (compressed)
        result = write_compressed(v, data, out);
    else
        result = write_plain(v, data, out);
    if (!file.flush() && result == 0)
        result = recover_partial;
    if (result == 0 && !data.runs_complete)
        result = recover_partial;
    return result;
}

} // namespace ntfs
