// SQLite database: page size times the page count of the header (trusted only when the header
// says it is current).
#include "engines/carve/carve_format.h"

namespace {

class sqlite_format_c final : public carve_format_c {
public:
    const char *name() const override { return "sqlite"; }
    std::vector<carve_signature_s> signatures() const override
    {
        return {{0, std::string_view("SQLite format 3\0", 16)}};
    }
    uint64_t default_max_size() const override { return 4 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *h = cur.get(0, 100);
        if (!h)
            return {};
        uint64_t page = load_be16(h + 16);
        if (page == 1)
            page = 65536;
        if (page < 512 || (page & (page - 1)) || h[18] < 1 || h[18] > 2 || h[19] < 1 || h[19] > 2 ||
            h[21] != 64 || h[22] != 32 || h[23] != 32)
            return {};
        const uint32_t pages = load_be32(h + 28);
        if (pages == 0 || load_be32(h + 92) != load_be32(h + 24))
            return {};
        const uint64_t size = page * pages;
        return size <= cur.limit() ? carve_hit_s{"sqlite", size} : carve_hit_s{};
    }
};

} // namespace

const carve_format_c &format_sqlite()
{
    static const sqlite_format_c format;
    return format;
}
