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

// True when the CRC-16 over len bytes at pos (its footer included) comes out zero.
bool crc_zero(carve_cursor_c &cur, uint64_t pos, uint64_t len, const std::array<uint16_t, 256> &table)
{
    uint16_t crc = 0;
    for (uint64_t done = 0; done < len;) {
        size_t avail = 0;
        const uint8_t *d = cur.span(pos + done, size_t(std::min<uint64_t>(len - done, carve_cursor_c::cache_size)), avail);
        if (!d)
            return false;
        for (size_t k = 0; k < avail; ++k)
            crc = uint16_t(crc << 8) ^ table[uint8_t(crc >> 8) ^ d[k]];
        done += avail;
    }
    return crc == 0;
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

// Reads bits MSB first through the cursor.
class bit_reader_c {
public:
    bit_reader_c(carve_cursor_c &cur, uint64_t pos) : cur_(cur), bit_(pos * 8) {}
    bool bits(unsigned n, uint64_t &v)
    {
        v = 0;
        for (unsigned i = 0; i < n; ++i) {
            uint8_t b = 0;
            if (!cur_.u8(bit_ >> 3, b))
                return false;
            v = v << 1 | ((b >> (7 - (bit_ & 7))) & 1);
            ++bit_;
        }
        return true;
    }
    bool skip(uint64_t n)
    {
        bit_ += n;
        return (bit_ + 7) / 8 <= cur_.limit();
    }
    // Zeros before the next 1 bit.
    bool unary(uint64_t &zeros)
    {
        zeros = 0;
        for (;;) {
            uint8_t b = 0;
            if (!cur_.u8(bit_ >> 3, b))
                return false;
            const unsigned shift = unsigned(bit_ & 7);
            const uint8_t rest = uint8_t(b << shift);
            if (rest) {
                const int lead = __builtin_clz(unsigned(rest)) - 24;
                zeros += uint64_t(lead);
                bit_ += uint64_t(lead) + 1;
                return true;
            }
            zeros += 8 - shift;
            bit_ += 8 - shift;
            if (zeros > 1u << 20)
                return false;
        }
    }
    uint64_t byte_end() const { return (bit_ + 7) / 8; }

private:
    carve_cursor_c &cur_;
    uint64_t bit_;
};

bool residual(bit_reader_c &br, uint32_t block, uint32_t order)
{
    uint64_t method = 0, porder = 0;
    if (!br.bits(2, method) || method > 1 || !br.bits(4, porder))
        return false;
    const unsigned pbits = method == 0 ? 4 : 5;
    const uint64_t escape = method == 0 ? 15 : 31;
    const uint64_t parts = 1ull << porder;
    if ((block >> porder) < order || (block & (parts - 1)))
        return false;
    for (uint64_t p = 0; p < parts; ++p) {
        const uint64_t n = (block >> porder) - (p == 0 ? order : 0);
        uint64_t param = 0;
        if (!br.bits(pbits, param))
            return false;
        if (param == escape) {
            uint64_t width = 0;
            if (!br.bits(5, width) || !br.skip(n * width))
                return false;
            continue;
        }
        for (uint64_t i = 0; i < n; ++i) {
            uint64_t zeros = 0;
            if (!br.unary(zeros) || !br.skip(param))
                return false;
        }
    }
    return true;
}

// Exact length of the frame at pos, from its subframes; 0 when it cannot be walked.
uint64_t frame_length(carve_cursor_c &cur, uint64_t pos, size_t header, uint32_t block, uint32_t stream_bps)
{
    const uint8_t *h = cur.get(pos, 4);
    if (!h)
        return 0;
    const unsigned assignment = h[3] >> 4;
    static const uint32_t sizes[8] = {0, 8, 12, 0, 16, 20, 24, 32};
    const uint32_t bps = ((h[3] >> 1) & 7) ? sizes[(h[3] >> 1) & 7] : stream_bps;
    if (bps == 0 || assignment > 10)
        return 0;
    const unsigned channels = assignment < 8 ? assignment + 1 : 2;
    bit_reader_c br(cur, pos + header);
    for (unsigned ch = 0; ch < channels; ++ch) {
        uint32_t width = bps;
        if ((assignment == 8 && ch == 1) || (assignment == 9 && ch == 0) || (assignment == 10 && ch == 1))
            ++width; // side channel
        uint64_t zero = 0, type = 0, wasted = 0;
        if (!br.bits(1, zero) || zero || !br.bits(6, type) || !br.bits(1, wasted))
            return 0;
        if (wasted) {
            uint64_t k = 0;
            if (!br.unary(k) || k + 1 >= width)
                return 0;
            width -= uint32_t(k + 1);
        }
        if (type == 0) {
            if (!br.skip(width))
                return 0;
        } else if (type == 1) {
            if (!br.skip(uint64_t(block) * width))
                return 0;
        } else if (type >= 8 && type <= 12) {
            const uint32_t order = uint32_t(type - 8);
            if (!br.skip(uint64_t(order) * width) || !residual(br, block, order))
                return 0;
        } else if (type >= 32) {
            const uint32_t order = uint32_t(type - 31);
            uint64_t precision = 0;
            if (!br.skip(uint64_t(order) * width) || !br.bits(4, precision) || precision == 15 ||
                !br.skip(5 + order * (precision + 1)) || !residual(br, block, order))
                return 0;
        } else {
            return 0;
        }
    }
    return br.byte_end() + 2 - pos;
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
        const uint32_t stream_bps = ((uint32_t(si[16] & 1) << 4) | (si[17] >> 4)) + 1;
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
            // The last frame has no next header to confirm a CRC match: walk its subframes.
            if (done + samples >= total) {
                const uint64_t len = frame_length(cur, start, hl, samples, stream_bps);
                if (len && len <= cur.limit() - start && crc_zero(cur, start, len, table))
                    return {"flac", start + len};
            }
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
