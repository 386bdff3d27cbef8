// JPEG: the marker segments are walked by their lengths to EOI, so an EXIF thumbnail (inside
// APP1) never ends the file early; entropy-coded data is scanned for the next real marker.
#include "engines/carve/carve_format.h"

#include <cstring>

namespace {

class jpg_format_c final : public carve_format_c {
public:
    const char *name() const override { return "jpg"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "\xFF\xD8\xFF"}}; }
    uint64_t default_max_size() const override { return 256 * carve_mib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        uint8_t first = 0;
        if (!cur.u8(3, first) || !(first >= 0xC0 && first != 0xFF && first != 0xD8 && first != 0xD9))
            return {};
        uint64_t pos = 2;
        bool seen_frame = false;
        for (;;) {
            const uint8_t *m = cur.get(pos, 2);
            if (!m || m[0] != 0xFF)
                return {};
            uint8_t marker = m[1];
            if (marker == 0xFF) { // fill byte
                ++pos;
                continue;
            }
            if (marker == 0xD9)
                return seen_frame ? carve_hit_s{"jpg", pos + 2} : carve_hit_s{};
            if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
                pos += 2;
                continue;
            }
            if (marker == 0x00 || marker == 0xD8)
                return {};
            uint16_t len = 0;
            if (!cur.be16(pos + 2, len) || len < 2)
                return {};
            if ((marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC))
                seen_frame = true;
            pos += 2 + uint64_t(len);
            if (marker == 0xDA) {
                if (!seen_frame)
                    return {};
                pos = skip_entropy(cur, pos);
                if (pos == 0)
                    return {};
            }
        }
    }

private:
    // Position of the first marker after entropy-coded data (not a stuffed 00 or a restart), or 0.
    static uint64_t skip_entropy(carve_cursor_c &cur, uint64_t pos)
    {
        for (;;) {
            size_t avail = 0;
            const uint8_t *p = cur.span(pos, carve_cursor_c::cache_size, avail);
            if (!p)
                return 0;
            const uint8_t *ff = static_cast<const uint8_t *>(std::memchr(p, 0xFF, avail));
            if (!ff) {
                pos += avail;
                continue;
            }
            pos += uint64_t(ff - p);
            uint8_t next = 0;
            if (!cur.u8(pos + 1, next))
                return 0;
            if (next == 0x00 || next == 0xFF || (next >= 0xD0 && next <= 0xD7)) {
                pos += next == 0xFF ? 1 : 2;
                continue;
            }
            return pos;
        }
    }
};

} // namespace

const carve_format_c &format_jpg()
{
    static const jpg_format_c format;
    return format;
}
