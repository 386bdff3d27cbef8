#include "engines/ntfs/mft_record.h"

#include "engines/ntfs/ntfs_layout.h"

#include <cstring>

namespace ntfs {

int load_record(uint8_t *r, uint32_t size, record_header_s &out)
{
    if (size < fixup_stride || std::memcmp(r, "FILE", 4) != 0)
        return record_no_magic;
    const uint32_t usa_offset = le16(r + 0x04);
    const uint32_t usa_count = le16(r + 0x06);
    // One sequence number plus one saved word per 512-byte stride.
    if (usa_count != size / fixup_stride + 1 || usa_offset < 0x28 || (usa_offset & 1)
        || usa_offset + 2 * usa_count > size)
        return record_bad_header;
    const uint8_t *usa = r + usa_offset;
    for (uint32_t i = 1; i < usa_count; ++i) {
        uint8_t *end = r + i * fixup_stride - 2;
        if (end[0] != usa[0] || end[1] != usa[1])
            return record_bad_fixup;
    }
    for (uint32_t i = 1; i < usa_count; ++i)
        std::memcpy(r + i * fixup_stride - 2, usa + 2 * i, 2);

    out.attrs_offset = le16(r + 0x14);
    out.flags = le16(r + 0x16);
    out.bytes_in_use = le32(r + 0x18);
    out.base_reference = le64(r + 0x20);
    out.sequence = le16(r + 0x10);
    if (out.bytes_in_use > size || out.attrs_offset < usa_offset + 2 * usa_count
        || out.attrs_offset + 8u > out.bytes_in_use)
        return record_bad_header;
    return record_ok;
}

} // namespace ntfs
