// Photoshop PSD/PSB: header, then three length-prefixed sections, then the image data whose
// length follows from its compression (raw, or RLE with its table of row lengths).
#include "engines/carve/carve_format.h"

namespace {

class psd_format_c final : public carve_format_c {
public:
    const char *name() const override { return "psd"; }
    std::vector<carve_signature_s> signatures() const override
    {
        return {{0, std::string_view("8BPS\0\x01", 6)}, {0, std::string_view("8BPS\0\x02", 6)}};
    }
    uint64_t default_max_size() const override { return 2 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *h = cur.get(0, 26);
        if (!h)
            return {};
        const bool psb = h[5] == 2;
        const uint16_t channels = load_be16(h + 12);
        const uint32_t height = load_be32(h + 14);
        const uint32_t width = load_be32(h + 18);
        const uint16_t depth = load_be16(h + 22);
        for (int i = 6; i < 12; ++i)
            if (h[i] != 0)
                return {};
        if (channels < 1 || channels > 56 || height < 1 || width < 1 || height > 300000 ||
            width > 300000 || !(depth == 1 || depth == 8 || depth == 16 || depth == 32))
            return {};
        uint64_t pos = 26;
        for (int section = 0; section < 3; ++section) {
            uint64_t len = 0;
            if (section == 2 && psb) {
                if (!cur.be64(pos, len))
                    return {};
                pos += 8;
            } else {
                uint32_t l32 = 0;
                if (!cur.be32(pos, l32))
                    return {};
                len = l32;
                pos += 4;
            }
            if (len > cur.limit() - pos)
                return {};
            pos += len;
        }
        uint16_t compression = 0;
        if (!cur.be16(pos, compression))
            return {};
        pos += 2;
        const uint64_t rows = uint64_t(channels) * height;
        if (compression == 0) {
            pos += rows * ((uint64_t(width) * depth + 7) / 8);
        } else if (compression == 1) {
            const uint64_t entry = psb ? 4 : 2;
            if (rows * entry > cur.limit() - pos)
                return {};
            uint64_t data = 0;
            for (uint64_t r = 0; r < rows; ++r) {
                uint32_t n32 = 0;
                uint16_t n16 = 0;
                if (psb ? !cur.be32(pos + r * 4, n32) : !cur.be16(pos + r * 2, n16))
                    return {};
                data += psb ? n32 : n16;
            }
            pos += rows * entry + data;
        } else {
            return {};
        }
        if (pos > cur.limit())
            return {};
        return {"psd", pos};
    }
};

} // namespace

const carve_format_c &format_psd()
{
    static const psd_format_c format;
    return format;
}
