// The four library calls over the context block. Our state lives in a C++ object whose pointer
// is stored in the block behind the fields the engine reads.

#include "engines/ntfs/ntfs_scan.h"

#include "disk/volume_item.h"
#include "engines/ntfs/extract.h"
#include "engines/ntfs/ntfs_volume.h"
#include "engines/ntfs/record_info.h"
#include "platform/drives.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

using namespace ntfs;

// The MFT is read in blocks of this size, not record by record.
constexpr uint64_t scan_block_bytes = 1024 * 1024;

struct scan_state_s {
    std::unique_ptr<volume_c> volume;
    std::vector<uint8_t> block;
    uint64_t block_first = 0;   // record number of the first record in block
    uint64_t block_records = 0; // records held
    uint64_t next = 0;          // next record to examine
};

template <typename T>
void put(ntfs_scan_context *ctx, int offset, T value)
{
    std::memcpy(ctx->bytes + offset, &value, sizeof value);
}

template <typename T>
T get(const ntfs_scan_context *ctx, int offset)
{
    T value;
    std::memcpy(&value, ctx->bytes + offset, sizeof value);
    return value;
}

scan_state_s *state_of(const ntfs_scan_context *ctx)
{
    if (!ctx || get<int32_t>(ctx, ntfs_ctx_open_offset) == 0)
        return nullptr;
    return get<scan_state_s *>(ctx, ntfs_ctx_state_offset);
}

void set_position(ntfs_scan_context *ctx, uint64_t position)
{
    put<int32_t>(ctx, ntfs_ctx_position_a_offset, int32_t(position / 8));
    put<int32_t>(ctx, ntfs_ctx_position_b_offset, 0);
    put<int32_t>(ctx, ntfs_ctx_position_c_offset, int32_t(position % 8));
}

// "/dev/hd<letter><number>" -> disk and partition number.
bool parse_device(const char *device, int &disk, int &partition)
{
    if (std::strncmp(device, "/dev/hd", 7) != 0)
        return false;
    const char letter = device[7];
    if (letter < 'a' || letter > 'z')
        return false;
    const char *digits = device + 8;
    if (*digits < '0' || *digits > '9')
        return false;
    long n = 0;
    for (const char *p = digits; *p; ++p) {
        if (*p < '0' || *p > '9' || n > 100000)
            return false;
        n = n * 10 + (*p - '0');
    }
    disk = letter - 'a';
    partition = int(n);
    return true;
}

// Loads the block that starts at state.next; a block that cannot be read whole is read record by
// record so that one bad sector costs only its own record.
void load_block(scan_state_s &s)
{
    const volume_c &v = *s.volume;
    const uint32_t rs = v.geometry().record_size;
    const uint64_t per_block = std::max<uint64_t>(1, scan_block_bytes / rs);
    s.block_first = s.next;
    s.block_records = std::min(per_block, v.record_count() - s.next);
    s.block.resize(size_t(per_block * rs));
    if (v.read_mft(s.block_first * rs, s.block.data(), size_t(s.block_records * rs)) == 0)
        return;
    for (uint64_t i = 0; i < s.block_records; ++i) {
        uint8_t *p = s.block.data() + i * rs;
        if (v.read_mft((s.block_first + i) * rs, p, rs) != 0)
            std::memset(p, 0, rs);
    }
}

} // namespace

int32_t ntfs_scan_startup(const char *device, ntfs_scan_context *ctx)
{
    if (!device || !ctx || get<int32_t>(ctx, ntfs_ctx_open_offset) != 0)
        return ntfs_err_argument;
    int disk = 0, partition = 0;
    if (!parse_device(device, disk, partition))
        return ntfs_err_device_name;
    QString volume_name;
    for (const volume_item_s &item : volume_list) {
        if (!item.volume_name.isEmpty() && item.disk_number == disk && item.partition_number == partition) {
            volume_name = item.volume_name;
            break;
        }
    }
    if (volume_name.isEmpty())
        return ntfs_err_no_volume;
    std::unique_ptr<source_c> source = platform_open_volume(volume_name);
    if (!source)
        return ntfs_err_open;
    std::unique_ptr<volume_c> volume;
    const int r = volume_c::open(std::move(source), volume);
    if (r != 0)
        return r;
    auto *state = new (std::nothrow) scan_state_s;
    if (!state)
        return ntfs_err_memory;
    state->volume = std::move(volume);
    put<int64_t>(ctx, ntfs_ctx_total_offset, int64_t(state->volume->record_count()));
    put<scan_state_s *>(ctx, ntfs_ctx_state_offset, state);
    set_position(ctx, 0);
    put<int32_t>(ctx, ntfs_ctx_open_offset, 1);
    return 0;
}

int32_t ntfs_scan_next(ntfs_scan_context *ctx, ntfs_record_s *record)
{
    scan_state_s *s = state_of(ctx);
    if (!s || !record)
        return 0;
    const volume_c &v = *s->volume;
    const uint32_t rs = v.geometry().record_size;
    while (s->next < v.record_count()) {
        if (s->next < s->block_first || s->next >= s->block_first + s->block_records)
            load_block(*s);
        const uint64_t number = s->next++;
        set_position(ctx, s->next);
        uint8_t *p = s->block.data() + (number - s->block_first) * rs;
        record_header_s h;
        if (load_record(p, rs, h) != record_ok || h.base_reference != 0)
            continue; // empty, damaged or an extension record
        if (describe_record(v, int64_t(number), p, h, *record))
            return 1;
    }
    return 0;
}

int32_t ntfs_scan_shutdown(ntfs_scan_context *ctx)
{
    scan_state_s *s = state_of(ctx);
    if (!s)
        return -1;
    delete s;
    put<scan_state_s *>(ctx, ntfs_ctx_state_offset, nullptr);
    put<int32_t>(ctx, ntfs_ctx_open_offset, 0);
    return 0;
}

int32_t ntfs_extract_file(ntfs_scan_context *ctx, int64_t record, const char *path, int32_t *scratch)
{
    if (scratch)
        *scratch = 0;
    const scan_state_s *s = state_of(ctx);
    if (!s || !path)
        return ntfs_x_failed;
    return extract_record(*s->volume, record, path);
}
