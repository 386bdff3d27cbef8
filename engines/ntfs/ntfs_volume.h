#pragma once
// An opened NTFS volume: its geometry, the runs of the MFT, and reads of MFT records and
// clusters, all confined to the volume.

#include "engines/ntfs/attributes.h"
#include "engines/ntfs/boot_sector.h"
#include "engines/ntfs/ntfs_layout.h"
#include "engines/ntfs/runlist.h"
#include "platform/source.h"

#include <memory>
#include <vector>

namespace ntfs {

// An unnamed $DATA stream gathered from a base record and its extension records.
struct data_stream_s {
    bool found = false;
    bool resident = false;
    std::vector<uint8_t> value; // resident bytes
    uint16_t flags = 0;
    uint8_t compression_unit = 0;
    uint64_t data_size = 0;
    uint64_t initialized_size = 0;
    std::vector<run_s> runs;   // sorted by vcn
    bool runs_complete = true; // false when a piece of the runlist was unreadable or broken
};

class volume_c {
public:
    // Reads the boot sector and the $MFT runs. Returns 0 or a negative ntfs_scan_error_e.
    static int open(std::unique_ptr<source_c> source, std::unique_ptr<volume_c> &out);

    const geometry_s &geometry() const { return geo_; }
    uint64_t record_count() const { return record_count_; }
    const std::vector<run_s> &mft_runs() const { return mft_runs_; }

    // Reads len bytes of the MFT stream at offset; sparse or missing parts read as zeros.
    // Returns 0, or -1 on an I/O error.
    int read_mft(uint64_t offset, uint8_t *buffer, size_t length) const;
    // Reads and loads record number (fixups applied) into buffer; a record_result_e, or -4 for an
    // I/O error or a number beyond the MFT.
    int read_record(int64_t number, std::vector<uint8_t> &buffer, record_header_s &header) const;
    // Reads count clusters from lcn; returns bytes read (short at an error or the volume end).
    int64_t read_clusters(int64_t lcn, uint64_t count, uint8_t *buffer) const;

    // The record's unnamed $DATA, following its $ATTRIBUTE_LIST into extension records.
    void collect_data(int64_t number, const uint8_t *record, const record_header_s &header,
                      data_stream_s &out) const;
    // Entries of the record's $ATTRIBUTE_LIST (resident or not); empty when there is none.
    std::vector<list_entry_s> attribute_list(const uint8_t *record, const record_header_s &header) const;
    // Calls visit(attribute) for every attribute of the extension records that the list names
    // for base record number (each record once; records whose base is another are skipped).
    template <typename Visit>
    void visit_extensions(int64_t number, const std::vector<list_entry_s> &list, Visit visit) const;

private:
    explicit volume_c(std::unique_ptr<source_c> source) : source_(std::move(source)) {}
    int load_mft_runs();
    int read_stream(const std::vector<run_s> &runs, uint64_t size, std::vector<uint8_t> &out) const;

    std::unique_ptr<source_c> source_;
    geometry_s geo_;
    std::vector<run_s> mft_runs_;
    uint64_t record_count_ = 0;
};

template <typename Visit>
void volume_c::visit_extensions(int64_t number, const std::vector<list_entry_s> &list, Visit visit) const
{
    std::vector<int64_t> seen;
    std::vector<uint8_t> buffer;
    for (const list_entry_s &e : list) {
        const int64_t ext = reference_record_number(e.reference);
        if (ext == number || seen.size() >= 1024)
            continue;
        bool done = false;
        for (int64_t s : seen)
            done = done || s == ext;
        if (done)
            continue;
        seen.push_back(ext);
        record_header_s h;
        if (read_record(ext, buffer, h) != record_ok || reference_record_number(h.base_reference) != number)
            continue;
        attribute_walker_c walker(buffer.data(), h);
        attribute_s a;
        while (walker.next(a))
            visit(a);
    }
}

} // namespace ntfs
