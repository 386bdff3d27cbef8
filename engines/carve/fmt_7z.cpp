// 7-Zip: the start header (checked by its CRC) gives the offset and size of the end header.
#include "engines/carve/carve_format.h"

#include <zlib.h>

namespace {

class sevenzip_format_c final : public carve_format_c {
public:
    const char *name() const override { return "7z"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "7z\xBC\xAF\x27\x1C"}}; }
    uint64_t default_max_size() const override { return 8 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *h = cur.get(0, 32);
        if (!h || h[6] != 0 || crc32(0, h + 12, 20) != load_le32(h + 8))
            return {};
        const uint64_t offset = load_le64(h + 12), size = load_le64(h + 20);
        if (size == 0 || offset > cur.limit() || size > cur.limit() - offset || 32 > cur.limit() - offset - size)
            return {};
        return {"7z", 32 + offset + size};
    }
};

} // namespace

const carve_format_c &format_7z()
{
    static const sevenzip_format_c format;
    return format;
}
