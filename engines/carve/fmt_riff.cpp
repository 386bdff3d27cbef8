// RIFF (wav, avi, webp): the size in the RIFF header; an AVI continues with any RIFF AVIX
// chunks that follow it (files over 1 GiB).
#include "engines/carve/carve_format.h"

namespace {

bool fourcc_ok(const uint8_t *p)
{
    for (int i = 0; i < 4; ++i)
        if (p[i] < 0x20 || p[i] > 0x7E)
            return false;
    return true;
}

class riff_format_c final : public carve_format_c {
public:
    const char *name() const override { return "riff"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "RIFF"}}; }
    uint64_t default_max_size() const override { return 4 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *h = cur.get(0, 20);
        if (!h || !fourcc_ok(h + 12))
            return {};
        const uint64_t size = uint64_t(load_le32(h + 4)) + 8;
        const char *ext = nullptr;
        if (std::memcmp(h + 8, "WAVE", 4) == 0)
            ext = "wav";
        else if (std::memcmp(h + 8, "AVI ", 4) == 0 && std::memcmp(h + 12, "LIST", 4) == 0)
            ext = "avi";
        else if (std::memcmp(h + 8, "WEBP", 4) == 0 && std::memcmp(h + 12, "VP8", 3) == 0)
            ext = "webp";
        if (!ext || size < 20 || size > cur.limit())
            return {};
        uint64_t end = size;
        if (ext[0] == 'a') {
            for (int i = 0; i < 1024; ++i) {
                const uint8_t *x = cur.get(end, 12);
                if (!x || std::memcmp(x, "RIFF", 4) != 0 || std::memcmp(x + 8, "AVIX", 4) != 0)
                    break;
                const uint64_t more = uint64_t(load_le32(x + 4)) + 8;
                if (more > cur.limit() - end)
                    break;
                end += more;
            }
        }
        return {ext, end};
    }
};

} // namespace

const carve_format_c &format_riff()
{
    static const riff_format_c format;
    return format;
}
