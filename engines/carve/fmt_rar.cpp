// RAR 4 and RAR 5: blocks walked by their header and data sizes to the end-of-archive block.
#include "engines/carve/carve_format.h"

namespace {

// RAR 5 variable-length integer at pos; returns its length, or 0.
size_t vint(carve_cursor_c &cur, uint64_t pos, uint64_t &v)
{
    v = 0;
    for (size_t i = 0; i < 10; ++i) {
        uint8_t b = 0;
        if (!cur.u8(pos + i, b))
            return 0;
        if (i == 9 && b > 1)
            return 0;
        v |= uint64_t(b & 0x7F) << (7 * i);
        if (!(b & 0x80))
            return i + 1;
    }
    return 0;
}

class rar_format_c final : public carve_format_c {
public:
    const char *name() const override { return "rar"; }
    std::vector<carve_signature_s> signatures() const override
    {
        return {{0, std::string_view("Rar!\x1A\x07\x00", 7)}, {0, std::string_view("Rar!\x1A\x07\x01\x00", 8)}};
    }
    uint64_t default_max_size() const override { return 8 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        uint8_t v = 0;
        if (!cur.u8(6, v))
            return {};
        const uint64_t end = v == 0 ? walk4(cur) : walk5(cur);
        return end ? carve_hit_s{"rar", end} : carve_hit_s{};
    }

private:
    static uint64_t walk4(carve_cursor_c &cur)
    {
        uint64_t pos = 7;
        bool archive = false, files = false;
        for (;;) {
            const uint8_t *h = cur.get(pos, 7);
            if (!h || h[2] < 0x72 || h[2] > 0x7B)
                return archive && files ? pos : 0;
            const uint16_t flags = load_le16(h + 3);
            const uint16_t size = load_le16(h + 5);
            if (size < 7)
                return 0;
            uint64_t total = size;
            if (h[2] == 0x74) {
                const uint8_t *f = cur.get(pos, 36);
                if (!f)
                    return 0;
                total += load_le32(f + 7);
                if (flags & 0x100)
                    total += uint64_t(load_le32(f + 32)) << 32;
                files = true;
            } else if (flags & 0x8000) {
                uint32_t add = 0;
                if (!cur.le32(pos + 7, add))
                    return 0;
                total += add;
            }
            archive = archive || h[2] == 0x73;
            if (total > cur.limit() - pos)
                return 0;
            pos += total;
            if (h[2] == 0x7B)
                return pos;
        }
    }

    static uint64_t walk5(carve_cursor_c &cur)
    {
        uint64_t pos = 8;
        for (int blocks = 0; blocks < 1000000; ++blocks) {
            uint64_t header_size = 0, type = 0, flags = 0, extra = 0, data = 0;
            const size_t l1 = vint(cur, pos + 4, header_size);
            if (!l1 || header_size < 2 || header_size > 2 * carve_mib)
                return 0;
            const uint64_t body = pos + 4 + l1;
            size_t l = vint(cur, body, type);
            if (!l || type < 1 || type > 5)
                return 0;
            uint64_t q = body + l;
            l = vint(cur, q, flags);
            if (!l)
                return 0;
            q += l;
            if ((flags & 1) && !(l = vint(cur, q, extra)))
                return 0;
            if (flags & 1)
                q += l;
            if ((flags & 2) && !vint(cur, q, data))
                return 0;
            const uint64_t total = 4 + l1 + header_size;
            if (total > cur.limit() - pos || data > cur.limit() - pos - total)
                return 0;
            pos += total + data;
            if (type == 5)
                return pos;
        }
        return 0;
    }
};

} // namespace

const carve_format_c &format_rar()
{
    static const rar_format_c format;
    return format;
}
