// BMP: the file header states the size; the DIB header is checked so that random "BM" is not
// taken for a picture.
#include "engines/carve/carve_format.h"

namespace {

class bmp_format_c final : public carve_format_c {
public:
    const char *name() const override { return "bmp"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "BM"}}; }
    uint64_t default_max_size() const override { return 512 * carve_mib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *h = cur.get(0, 30);
        if (!h)
            return {};
        const uint32_t size = load_le32(h + 2);
        const uint32_t data = load_le32(h + 10);
        const uint32_t dib = load_le32(h + 14);
        if (load_le32(h + 6) != 0 || !(dib == 12 || dib == 40 || dib == 52 || dib == 56 || dib == 64 ||
                                       dib == 108 || dib == 124))
            return {};
        uint16_t planes = 0, bpp = 0;
        if (dib == 12) {
            planes = load_le16(h + 22);
            bpp = load_le16(h + 24);
        } else {
            planes = load_le16(h + 26);
            bpp = load_le16(h + 28);
        }
        if (planes != 1 || !(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32))
            return {};
        if (data < 14 + dib || size <= data || size > cur.limit())
            return {};
        return {"bmp", size};
    }
};

} // namespace

const carve_format_c &format_bmp()
{
    static const bmp_format_c format;
    return format;
}
