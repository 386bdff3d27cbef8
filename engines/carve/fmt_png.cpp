// PNG: chunks (length, type, data, CRC) from IHDR to IEND.
#include "engines/carve/carve_format.h"

namespace {

bool chunk_type_ok(const uint8_t *t)
{
    for (int i = 0; i < 4; ++i)
        if (!((t[i] >= 'A' && t[i] <= 'Z') || (t[i] >= 'a' && t[i] <= 'z')))
            return false;
    return true;
}

class png_format_c final : public carve_format_c {
public:
    const char *name() const override { return "png"; }
    std::vector<carve_signature_s> signatures() const override
    {
        return {{0, "\x89PNG\r\n\x1A\n"}};
    }
    uint64_t default_max_size() const override { return 256 * carve_mib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        if (!cur.equals(8, std::string_view("\0\0\0\x0DIHDR", 8)))
            return {};
        uint64_t pos = 8;
        for (;;) {
            const uint8_t *h = cur.get(pos, 8);
            if (!h || !chunk_type_ok(h + 4))
                return {};
            const uint32_t len = load_be32(h);
            if (len > 0x7FFFFFFFu)
                return {};
            const uint64_t next = pos + 12 + len;
            if (next > cur.limit())
                return {};
            if (std::memcmp(h + 4, "IEND", 4) == 0)
                return {"png", next};
            pos = next;
        }
    }
};

} // namespace

const carve_format_c &format_png()
{
    static const png_format_c format;
    return format;
}
