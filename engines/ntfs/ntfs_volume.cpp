#include "engines/ntfs/ntfs_volume.h"

#include "engines/ntfs/ntfs_scan.h"

#include <algorithm>
#include <cstring>

namespace ntfs {
namespace {

// Largest attribute list or other metadata stream read whole into memory.
constexpr uint64_t max_metadata_stream = 16u * 1024 * 1024;

bool unnamed_data(const attribute_s &a) { return a.type == attr_data && a.name_length == 0; }

// Appends the runs of a non-resident piece, or marks the stream incomplete.
void add_piece(const attribute_s &a, data_stream_s &out)
{
    if (a.lowest_vcn == 0) {
        out.flags = a.flags;
        out.compression_unit = a.compression_unit;
        out.data_size = a.data_size;
        out.initialized_size = a.initialized_size;
    }
    if (decode_runlist(a.mapping_pairs, a.mapping_pairs_length, a.lowest_vcn, out.runs) != runlist_ok)
        out.runs_complete = false;
}

} // namespace

int volume_c::open(std::unique_ptr<source_c> source, std::unique_ptr<volume_c> &out)
{
    if (!source)
        return ntfs_err_open;
    std::unique_ptr<volume_c> v(new (std::nothrow) volume_c(std::move(source)));
    if (!v)
        return ntfs_err_memory;
    uint8_t boot[512];
    if (!v->source_->read_exact(0, boot, sizeof boot))
        return ntfs_err_read_boot;
    switch (parse_boot_sector(boot, v->source_->size(), v->geo_)) {
    case boot_ok:
        break;
    case boot_not_ntfs:
        return ntfs_err_not_ntfs;
    case boot_geometry:
        return ntfs_err_geometry;
    default:
        return ntfs_err_mft_location;
    }
    const int r = v->load_mft_runs();
    if (r != 0)
        return r;
    out = std::move(v);
    return 0;
}

// Reads record 0 at the boot sector's MFT cluster (or its copy in $MFTMirr) and gathers the
// runs of $MFT's unnamed $DATA, also from extension records when the MFT is very fragmented.
int volume_c::load_mft_runs()
{
    const uint32_t rs = geo_.record_size;
    std::vector<uint8_t> rec(rs);
    record_header_s h;
    int loaded = record_no_magic;
    bool read_any = false;
    for (uint64_t cluster : {geo_.mft_cluster, geo_.mftmirr_cluster}) {
        if (source_->read_exact(cluster * geo_.cluster_size, rec.data(), rs)) {
            read_any = true;
            loaded = load_record(rec.data(), rs, h);
            if (loaded == record_ok && (h.flags & record_in_use))
                break;
        }
    }
    if (!read_any)
        return ntfs_err_read_mft;
    if (loaded != record_ok || !(h.flags & record_in_use))
        return ntfs_err_mft_record;

    data_stream_s data;
    attribute_walker_c walker(rec.data(), h);
    attribute_s a;
    bool has_list = false;
    while (walker.next(a)) {
        if (unnamed_data(a) && a.non_resident) {
            data.found = true;
            add_piece(a, data);
        }
        has_list = has_list || a.type == attr_attribute_list;
    }
    if (!data.found || data.runs.empty() || data.runs.front().vcn != 0 || data.runs.front().sparse())
        return ntfs_err_mft_runlist;
    mft_runs_ = data.runs;
    record_count_ = data.data_size / rs;
    if (has_list) {
        // Extension records of $MFT lie in the part already mapped.
        const auto list = attribute_list(rec.data(), h);
        visit_extensions(0, list, [&](const attribute_s &x) {
            if (unnamed_data(x) && x.non_resident && x.lowest_vcn > 0)
                add_piece(x, data);
        });
        std::sort(data.runs.begin(), data.runs.end(),
                  [](const run_s &l, const run_s &r) { return l.vcn < r.vcn; });
    }
    if (!runs_inside(data.runs, geo_.total_clusters))
        return ntfs_err_mft_runlist;
    mft_runs_ = data.runs;
    // Count only records the runs actually cover.
    uint64_t covered = 0;
    for (const run_s &r : mft_runs_) {
        if (uint64_t(r.vcn) != covered)
            break;
        covered += r.length;
    }
    const uint64_t covered_bytes = covered * geo_.cluster_size;
    record_count_ = std::min(data.data_size, covered_bytes) / rs;
    if (record_count_ == 0)
        return ntfs_err_mft_runlist;
    return 0;
}

int volume_c::read_mft(uint64_t offset, uint8_t *buffer, size_t length) const
{
    const uint64_t cs = geo_.cluster_size;
    // First run that ends after offset.
    auto it = std::upper_bound(mft_runs_.begin(), mft_runs_.end(), offset / cs,
                               [](uint64_t v, const run_s &r) { return v < uint64_t(r.vcn); });
    if (it != mft_runs_.begin())
        --it;
    while (length > 0) {
        if (it == mft_runs_.end() || offset < uint64_t(it->vcn) * cs) {
            // Not mapped: zeros up to the next run (or the rest).
            size_t gap = length;
            if (it != mft_runs_.end() && uint64_t(it->vcn) * cs > offset)
                gap = size_t(std::min<uint64_t>(length, uint64_t(it->vcn) * cs - offset));
            std::memset(buffer, 0, gap);
            buffer += gap;
            offset += gap;
            length -= gap;
            continue;
        }
        const uint64_t run_start = uint64_t(it->vcn) * cs;
        const uint64_t run_end = run_start + it->length * cs;
        if (offset >= run_end) {
            ++it;
            continue;
        }
        const size_t n = size_t(std::min<uint64_t>(length, run_end - offset));
        if (it->sparse()) {
            std::memset(buffer, 0, n);
        } else {
            const uint64_t pos = uint64_t(it->lcn) * cs + (offset - run_start);
            if (!source_->read_exact(pos, buffer, n))
                return -1;
        }
        buffer += n;
        offset += n;
        length -= n;
    }
    return 0;
}

int volume_c::read_record(int64_t number, std::vector<uint8_t> &buffer, record_header_s &header) const
{
    if (number < 0 || uint64_t(number) >= record_count_)
        return -4;
    const uint32_t rs = geo_.record_size;
    buffer.resize(rs);
    if (read_mft(uint64_t(number) * rs, buffer.data(), rs) != 0)
        return -4;
    return load_record(buffer.data(), rs, header);
}

int64_t volume_c::read_clusters(int64_t lcn, uint64_t count, uint8_t *buffer) const
{
    if (lcn < 0 || uint64_t(lcn) >= geo_.total_clusters || count > geo_.total_clusters - uint64_t(lcn))
        return -1;
    const uint64_t bytes = count * geo_.cluster_size;
    return source_->read_at(uint64_t(lcn) * geo_.cluster_size, buffer, size_t(bytes));
}

int volume_c::read_stream(const std::vector<run_s> &runs, uint64_t size, std::vector<uint8_t> &out) const
{
    if (size > max_metadata_stream || !runs_inside(runs, geo_.total_clusters))
        return -1;
    out.assign(size_t(size), 0);
    const uint64_t cs = geo_.cluster_size;
    for (const run_s &r : runs) {
        const uint64_t start = uint64_t(r.vcn) * cs;
        if (start >= size)
            break;
        if (r.sparse())
            continue;
        const uint64_t n = std::min<uint64_t>(r.length * cs, size - start);
        if (!source_->read_exact(uint64_t(r.lcn) * cs, out.data() + start, size_t(n)))
            return -1;
    }
    return 0;
}

std::vector<list_entry_s> volume_c::attribute_list(const uint8_t *record, const record_header_s &header) const
{
    attribute_walker_c walker(record, header);
    attribute_s a;
    while (walker.next(a)) {
        if (a.type != attr_attribute_list)
            continue;
        if (!a.non_resident)
            return parse_attribute_list(a.value, a.value_length);
        std::vector<run_s> runs;
        std::vector<uint8_t> value;
        if (decode_runlist(a.mapping_pairs, a.mapping_pairs_length, 0, runs) != runlist_ok
            || read_stream(runs, a.data_size, value) != 0)
            return {};
        return parse_attribute_list(value.data(), value.size());
    }
    return {};
}

void volume_c::collect_data(int64_t number, const uint8_t *record, const record_header_s &header,
                            data_stream_s &out) const
{
    out = data_stream_s{};
    bool has_list = false;
    attribute_walker_c walker(record, header);
    attribute_s a;
    while (walker.next(a)) {
        has_list = has_list || a.type == attr_attribute_list;
        if (!unnamed_data(a) || (out.found && out.resident))
            continue;
        if (!a.non_resident) {
            if (out.found)
                continue;
            out.found = out.resident = true;
            out.flags = a.flags;
            out.value.assign(a.value, a.value + a.value_length);
            out.data_size = out.initialized_size = a.value_length;
            continue;
        }
        out.found = true;
        add_piece(a, out);
    }
    if (has_list && !out.resident) {
        visit_extensions(number, attribute_list(record, header), [&](const attribute_s &x) {
            if (!unnamed_data(x) || out.resident)
                return;
            if (!x.non_resident) {
                if (out.found)
                    return;
                out.found = out.resident = true;
                out.flags = x.flags;
                out.value.assign(x.value, x.value + x.value_length);
                out.data_size = out.initialized_size = x.value_length;
                return;
            }
            out.found = true;
            add_piece(x, out);
        });
    }
    std::sort(out.runs.begin(), out.runs.end(), [](const run_s &l, const run_s &r) { return l.vcn < r.vcn; });
    // Overlapping pieces mean a damaged runlist: keep the runs up to the first overlap.
    for (size_t i = 1; i < out.runs.size(); ++i) {
        if (uint64_t(out.runs[i].vcn) < uint64_t(out.runs[i - 1].vcn) + out.runs[i - 1].length) {
            out.runs.resize(i);
            out.runs_complete = false;
            break;
        }
    }
}

} // namespace ntfs
