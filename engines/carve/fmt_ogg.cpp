// Ogg: pages (27-byte header, segment table, payload) from the first page, which must begin a
// stream, until every stream that began has ended, or the pages stop.
#include "engines/carve/carve_format.h"

#include <set>

namespace {

class ogg_format_c final : public carve_format_c {
public:
    const char *name() const override { return "ogg"; }
    std::vector<carve_signature_s> signatures() const override
    {
        return {{0, std::string_view("OggS\0", 5)}};
    }
    uint64_t default_max_size() const override { return 2 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *first = cur.get(0, 27);
        if (!first || first[5] != 0x02)
            return {};
        const char *ext = kind(cur, first[26]);
        std::set<uint32_t> open;
        uint64_t pos = 0;
        uint64_t pages = 0;
        for (;;) {
            const uint8_t *h = cur.get(pos, 27);
            if (!h || std::memcmp(h, "OggS", 4) != 0 || h[4] != 0 || (h[5] & 0xF8))
                break;
            const uint8_t *table = cur.get(pos + 27, h[26] ? h[26] : 1);
            if (!table)
                break;
            uint64_t body = 0;
            for (int i = 0; i < h[26]; ++i)
                body += table[i];
            const uint64_t size = 27ull + h[26] + body;
            if (size > cur.limit() - pos)
                break;
            const uint32_t serial = load_le32(h + 14);
            if (h[5] & 0x02)
                open.insert(serial);
            else if (!open.count(serial))
                break;
            pos += size;
            ++pages;
            if (h[5] & 0x04) {
                open.erase(serial);
                if (open.empty())
                    break;
            }
        }
        return pages >= 2 ? carve_hit_s{ext, pos} : carve_hit_s{};
    }

private:
    static const char *kind(carve_cursor_c &cur, uint8_t segments)
    {
        const uint8_t *p = cur.get(27ull + segments, 8);
        if (!p)
            return "ogg";
        if (std::memcmp(p, "OpusHead", 8) == 0)
            return "opus";
        if (std::memcmp(p, "\x80theora", 7) == 0)
            return "ogv";
        if (std::memcmp(p, "Speex   ", 8) == 0)
            return "spx";
        return "ogg";
    }
};

} // namespace

const carve_format_c &format_ogg()
{
    static const ogg_format_c format;
    return format;
}
