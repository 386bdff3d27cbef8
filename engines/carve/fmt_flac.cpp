// FLAC: metadata blocks, then audio frames. A frame has no length field; its end is where the
// CRC-16 over the frame comes out zero and either the next frame header (checked by its CRC-8)
// follows or the stream's sample count is complete.
#include "engines/carve/carve_format.h"

#include <algorithm>
#include <array>

namespace {

const std::array<uint16_t, 256> &crc16_table()
{
    static const auto table = [] {
        std::array<uint16_t, 256> t{};
        for (int i = 0; i < 256; ++i) {
            uint16_t c = uint16_t(i << 8);
            for (int k = 0; k < 8; ++k)
                c = uint16_t(c & 0x8000 ? (c << 1) ^ 0x8005 : c << 1);
            t[size_t(i)] = c;
        }
        return t;
    }();
    return table;
}

uint8_t crc8(const uint8_t *p, size_t n)
{
    uint8_t c = 0;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = uint8_t(c & 0x80 ? (c << 1) ^ 0x07 : c << 1);
    }
    return c;
}

// Checks the frame header at pos; gives its block size in samples and its length.
bool frame_header(carve_cursor_c &cur, uint64_t pos, uint32_t &samples, size_t &length)
{
    const uint8_t *h = cur.get(pos, 16 <= cur.limit() - pos ? 16 : size_t(cur.limit() - pos));
    if (!h || cur.limit() - pos < 6 || h[0] != 0xFF || (h[1] & 0xFE) != 0xF8 || (h[3] & 1))
        return false;
    const uint8_t bs = h[2] >> 4, sr = h[2] & 15;
    if (bs == 0 || sr == 15 || (h[3] >> 4) > 10 || ((h[3] >> 1) & 7) == 3 || ((h[3] >> 1) & 7) == 7)
        return false;
    size_t i = 4;
    // UTF-8 style frame or sample number.
    uint8_t lead = h[i];
    int extra = 0;
    if (lead >= 0xFE) return false;
    for (uint8_t m = 0x80; lead & m; m >>= 1)
        ++extra;
    if (extra == 1)
        return false;
    i += extra ? size_t(extra) : 1;
    const size_t avail = std::min<uint64_t>(16, cur.limit() - pos);
    if (i + 3 > avail)
        return false;
    if (bs == 1) samples = 192;
    else if (bs <= 5) samples = 576u << (bs - 2);
    else if (bs == 6) samples = uint32_t(h[i++]) + 1;
    else if (bs == 7) { samples = (uint32_t(h[i]) << 8 | h[i + 1]) + 1; i += 2; }
    else samples = 256u << (bs - 8);
    if (sr == 12) i += 1;
    else if (sr == 13 || sr == 14) i += 2;
    if (i + 1 > avail || crc8(h, i) != h[i])
        return false;
    length = i + 1;
    return true;
}

class flac_format_c final : public carve_format_c {
public:
    const char *name() const override { return "flac"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "fLaC"}}; }
    uint64_t default_max_size() const override { return 2 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *si = cur.get(4, 38);
        if (!si || (si[0] & 0x7F) != 0 || load_be32(si) % 0x1000000 != 34)
            return {};
        const uint32_t max_block = load_be16(si + 6);
        const uint32_t max_frame = uint32_t(si[11]) << 16 | uint32_t(si[12]) << 8 | si[13];
        const uint64_t total = (uint64_t(si[17] & 15) << 32) | load_be32(si + 18);
        if (total == 0 || max_block < 16)
            return {};
        // Metadata blocks up to the one flagged last.
        uint64_t pos = 4;
        for (int blocks = 0;; ++blocks) {
            const uint8_t *b = cur.get(pos, 4);
            if (!b || blocks > 1024 || (b[0] & 0x7F) == 127)
                return {};
            pos += 4 + (load_be32(b) & 0xFFFFFF);
            if (b[0] & 0x80)
                break;
        }
        const auto &table = crc16_table();
        uint64_t done = 0;
        while (done < total) {
            uint32_t samples = 0;
            size_t hl = 0;
            if (!frame_header(cur, pos, samples, hl))
                return {};
            const uint64_t start = pos;
            const uint64_t cap = max_frame ? start + max_frame + 64 : cur.limit();
            uint16_t crc = 0;
            uint64_t p = start;
            bool found = false;
            std::vector<uint64_t> zeros;
            while (!found) {
                size_t avail = 0;
                const uint8_t *d = cur.span(p, carve_cursor_c::cache_size, avail);
                if (!d || p >= cap)
                    return {};
                // Positions where the CRC comes out zero are checked after the pass over the
                // chunk, because checking moves the cursor's cache.
                zeros.clear();
                for (size_t k = 0; k < avail; ++k) {
                    crc = uint16_t(crc << 8) ^ table[uint8_t(crc >> 8) ^ d[k]];
                    if (crc == 0 && p + k + 1 >= start + hl + 2)
                        zeros.push_back(p + k + 1);
                }
                for (uint64_t end : zeros) {
                    uint32_t ns = 0;
                    size_t nl = 0;
                    if (done + samples >= total || frame_header(cur, end, ns, nl)) {
                        pos = end;
                        found = true;
                        break;
                    }
                }
                p += avail;
            }
            done += samples;
        }
        return {"flac", pos};
    }
};

} // namespace

const carve_format_c &format_flac()
{
    static const flac_format_c format;
    return format;
}
