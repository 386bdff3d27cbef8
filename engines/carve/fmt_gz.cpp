// gzip: the header, then the deflate stream decoded (output discarded) to find where it ends,
// then the trailer, whose length field must match; members that follow directly are included.
#include "engines/carve/carve_format.h"

#include <zlib.h>

namespace {

// End of the member at pos, or 0.
uint64_t member_end(carve_cursor_c &cur, uint64_t pos)
{
    const uint8_t *h = cur.get(pos, 10);
    if (!h || h[0] != 0x1F || h[1] != 0x8B || h[2] != 8 || (h[3] & 0xE0) || (h[9] > 13 && h[9] != 255))
        return 0;
    const uint8_t flags = h[3];
    uint64_t p = pos + 10;
    if (flags & 4) {
        uint16_t xlen = 0;
        if (!cur.le16(p, xlen))
            return 0;
        p += 2 + uint64_t(xlen);
    }
    for (uint8_t bit : {uint8_t(8), uint8_t(16)}) {
        if (!(flags & bit))
            continue;
        const int64_t z = cur.find(p, std::min<uint64_t>(cur.limit(), p + 65536), std::string_view("\0", 1));
        if (z < 0)
            return 0;
        p = uint64_t(z) + 1;
    }
    if (flags & 2)
        p += 2;
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK)
        return 0;
    static thread_local std::vector<uint8_t> out(64 * 1024);
    uint64_t in_pos = p;
    int rc = Z_OK;
    while (rc == Z_OK) {
        size_t avail = 0;
        const uint8_t *d = cur.span(in_pos, carve_cursor_c::cache_size, avail);
        if (!d)
            break;
        zs.next_in = const_cast<Bytef *>(d);
        zs.avail_in = uInt(avail);
        while (zs.avail_in > 0 && rc == Z_OK) {
            zs.next_out = out.data();
            zs.avail_out = uInt(out.size());
            rc = inflate(&zs, Z_NO_FLUSH);
        }
        in_pos += avail - zs.avail_in;
    }
    const uint64_t produced = zs.total_out;
    inflateEnd(&zs);
    if (rc != Z_STREAM_END)
        return 0;
    uint32_t isize = 0;
    if (!cur.le32(in_pos + 4, isize) || isize != uint32_t(produced))
        return 0;
    return in_pos + 8;
}

class gz_format_c final : public carve_format_c {
public:
    const char *name() const override { return "gz"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "\x1F\x8B\x08"}}; }
    uint64_t default_max_size() const override { return 4 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        uint64_t end = member_end(cur, 0);
        if (!end)
            return {};
        for (int members = 0; members < 4096; ++members) {
            const uint64_t next = member_end(cur, end);
            if (!next)
                break;
            end = next;
        }
        return {"gz", end};
    }
};

} // namespace

const carve_format_c &format_gz()
{
    static const gz_format_c format;
    return format;
}
