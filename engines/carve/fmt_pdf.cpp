// PDF: ends at an %%EOF marker. After each one the walk looks at what follows: an incremental
// update (or the rest of a linearised file) starts with an object or a cross-reference section,
// in which case the walk goes on to the next %%EOF; anything else (old data, the next file) ends
// the document there.
#include "engines/carve/carve_format.h"

#include <cctype>

namespace {

bool is_space(uint8_t c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f'; }

// True when the bytes at pos continue the document: "N G obj", "xref" or an xref stream object.
bool continues(carve_cursor_c &cur, uint64_t pos)
{
    size_t avail = 0;
    const uint8_t *p = cur.span(pos, 64, avail);
    if (!p)
        return false;
    size_t i = 0;
    while (i < avail && is_space(p[i]))
        ++i;
    if (i + 4 <= avail && std::memcmp(p + i, "xref", 4) == 0)
        return true;
    // number, space, number, space, "obj"
    for (int field = 0; field < 2; ++field) {
        const size_t digits = i;
        while (i < avail && std::isdigit(p[i]))
            ++i;
        if (i == digits || i >= avail || p[i] != ' ')
            return false;
        while (i < avail && p[i] == ' ')
            ++i;
    }
    return i + 3 <= avail && std::memcmp(p + i, "obj", 3) == 0;
}

class pdf_format_c final : public carve_format_c {
public:
    const char *name() const override { return "pdf"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "%PDF-"}}; }
    uint64_t default_max_size() const override { return 512 * carve_mib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *v = cur.get(5, 3);
        if (!v || !(v[0] == '1' || v[0] == '2') || v[1] != '.' || !std::isdigit(v[2]))
            return {};
        uint64_t from = 8;
        for (;;) {
            const int64_t at = cur.find(from, cur.limit(), "%%EOF");
            if (at < 0)
                return {};
            uint64_t end = uint64_t(at) + 5;
            uint8_t c = 0;
            if (cur.u8(end, c) && c == '\r')
                ++end;
            if (cur.u8(end, c) && c == '\n')
                ++end;
            if (!continues(cur, end))
                return {"pdf", end};
            from = end;
        }
    }
};

} // namespace

const carve_format_c &format_pdf()
{
    static const pdf_format_c format;
    return format;
}
