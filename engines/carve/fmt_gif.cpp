// GIF: screen descriptor and colour table, then extension and image blocks (each a chain of
// sub-blocks) up to the trailer.
#include "engines/carve/carve_format.h"

namespace {

// Skips a chain of data sub-blocks; returns the position after its terminator, or 0.
uint64_t skip_sub_blocks(carve_cursor_c &cur, uint64_t pos)
{
    for (;;) {
        uint8_t n = 0;
        if (!cur.u8(pos, n))
            return 0;
        pos += 1 + uint64_t(n);
        if (n == 0)
            return pos;
    }
}

class gif_format_c final : public carve_format_c {
public:
    const char *name() const override { return "gif"; }
    std::vector<carve_signature_s> signatures() const override
    {
        return {{0, "GIF87a"}, {0, "GIF89a"}};
    }
    uint64_t default_max_size() const override { return 64 * carve_mib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *lsd = cur.get(6, 7);
        if (!lsd || (load_le16(lsd) == 0 && load_le16(lsd + 2) == 0))
            return {};
        uint64_t pos = 13;
        if (lsd[4] & 0x80)
            pos += 3ull << ((lsd[4] & 7) + 1);
        bool image = false;
        for (;;) {
            uint8_t kind = 0;
            if (!cur.u8(pos, kind))
                return {};
            if (kind == 0x3B)
                return image ? carve_hit_s{"gif", pos + 1} : carve_hit_s{};
            if (kind == 0x21) {
                pos = skip_sub_blocks(cur, pos + 2);
            } else if (kind == 0x2C) {
                const uint8_t *d = cur.get(pos, 10);
                if (!d)
                    return {};
                pos += 10;
                if (d[9] & 0x80)
                    pos += 3ull << ((d[9] & 7) + 1);
                uint8_t code_size = 0;
                if (!cur.u8(pos, code_size) || code_size < 1 || code_size > 12)
                    return {};
                pos = skip_sub_blocks(cur, pos + 1);
                image = true;
            } else {
                return {};
            }
            if (pos == 0)
                return {};
        }
    }
};

} // namespace

const carve_format_c &format_gif()
{
    static const gif_format_c format;
    return format;
}
