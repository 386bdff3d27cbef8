#include "partition/mbr_table.h"

#include "partition/boot/mbr_boot_code.h"

#include <cstring>

static_assert(sizeof(mbr_boot_code_bytes) == mbr_boot_code_size, "boot program must be 440 bytes");

namespace {

void put_le32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool fits_entry(const partition_item_s &r)
{
    // Sizes wrap in unsigned arithmetic, so a record of 0 sectors (end = start - 1) counts as 0.
    const uint64_t sectors = r.end_sector - r.start_sector + 1;
    return r.start_sector <= UINT32_MAX && sectors <= UINT32_MAX;
}

void write_entry(uint8_t *e, const partition_item_s &r, bool active, uint32_t heads, uint32_t spt)
{
    // Entries 2-4 are not active. Keeping an old flag could leave two active entries or a value
    // other than 0 and 0x80, and either makes the whole table invalid to boot programs and kernels.
    e[0] = active ? 0x80 : 0x00;
    const auto start = lba_to_chs(r.start_sector, heads, spt);
    const auto end = lba_to_chs(r.end_sector, heads, spt);
    std::memcpy(e + 1, start.data(), 3);
    e[4] = static_cast<uint8_t>(r.partition_type);
    std::memcpy(e + 5, end.data(), 3);
    const auto first = static_cast<uint32_t>(r.start_sector);
    put_le32(e + 8, first);
    put_le32(e + 12, static_cast<uint32_t>(r.end_sector) - first + 1);
}

} // namespace

std::array<uint8_t, 3> lba_to_chs(uint64_t sector, uint32_t heads, uint32_t sectors_per_track)
{
    if (heads == 0 || sectors_per_track == 0) {
        heads = 255;
        sectors_per_track = 63;
    }
    // Unsigned: a sector number above 2^31 still gives in-range head and sector values.
    const auto lba = static_cast<uint32_t>(sector);
    const uint32_t s = lba % sectors_per_track;
    const uint32_t t = lba / sectors_per_track;
    const uint32_t head = t % heads;
    const uint32_t cylinder = t / heads;
    return {static_cast<uint8_t>(head), static_cast<uint8_t>((s + 1) | ((cylinder >> 2) & 0xC0)),
            static_cast<uint8_t>(cylinder)};
}

int build_mbr(uint8_t *sector, const QList<partition_item_s> &records, uint32_t heads,
              uint32_t sectors_per_track)
{
    if (records.isEmpty())
        return mbr_no_partitions;
    const qsizetype used = records.size() < mbr_entry_count ? records.size() : mbr_entry_count;
    for (qsizetype i = 0; i < used; ++i)
        if (!fits_entry(records[i]))
            return mbr_beyond_32_bits;

    std::memcpy(sector, mbr_boot_code_bytes, mbr_boot_code_size);
    for (int i = 0; i < mbr_entry_count; ++i) {
        uint8_t *e = sector + mbr_entry_offset + i * mbr_entry_size;
        std::memset(e, 0, mbr_entry_size);
        if (i < used)
            write_entry(e, records[i], i == 0, heads, sectors_per_track);
    }
    sector[510] = 0x55;
    sector[511] = 0xAA;
    return mbr_ok;
}

const uint8_t *mbr_boot_code() { return mbr_boot_code_bytes; }
