// RTF: the outermost group, closed when the brace depth returns to zero (escaped braces and
// \binN payloads do not count). A NUL byte before that ends the candidate.
#include "engines/carve/carve_format.h"

#include <cctype>

namespace {

class rtf_format_c final : public carve_format_c {
public:
    const char *name() const override { return "rtf"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "{\\rtf"}}; }
    uint64_t default_max_size() const override { return 256 * carve_mib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        uint64_t depth = 0;
        uint64_t pos = 0;
        for (;;) {
            size_t avail = 0;
            const uint8_t *p = cur.span(pos, carve_cursor_c::cache_size, avail);
            if (!p)
                return {};
            for (size_t i = 0; i < avail; ++i) {
                const uint8_t c = p[i];
                if (c == 0)
                    return {};
                if (c == '{') {
                    ++depth;
                } else if (c == '}') {
                    if (depth == 0 || --depth == 0)
                        return {"rtf", trailing_newline(cur, pos + i + 1)};
                } else if (c == '\\') {
                    const uint64_t skip = control_length(cur, pos + i);
                    if (skip == 0)
                        return {};
                    // Continue behind the control word (may leave this chunk).
                    pos = pos + i + skip;
                    goto next_chunk;
                }
            }
            pos += avail;
        next_chunk:;
        }
    }

private:
    static uint64_t trailing_newline(carve_cursor_c &cur, uint64_t end)
    {
        uint8_t c = 0;
        if (cur.u8(end, c) && c == '\r')
            ++end;
        if (cur.u8(end, c) && c == '\n')
            ++end;
        return end;
    }

    // Bytes taken by the control sequence at pos (including a \binN payload); 0 when broken.
    static uint64_t control_length(carve_cursor_c &cur, uint64_t pos)
    {
        uint8_t c = 0;
        if (!cur.u8(pos + 1, c))
            return 0;
        if (!std::isalpha(c))
            return 2; // control symbol, \{ \} \\ included
        const uint8_t *p = cur.get(pos + 1, 4);
        if (p && std::memcmp(p, "bin", 3) == 0 && std::isdigit(p[3])) {
            uint64_t n = 0, i = 4;
            while (cur.u8(pos + i, c) && std::isdigit(c) && i < 16) {
                n = n * 10 + uint64_t(c - '0');
                ++i;
            }
            if (c == ' ')
                ++i;
            return i + n;
        }
        return 2;
    }
};

} // namespace

const carve_format_c &format_rtf()
{
    static const rtf_format_c format;
    return format;
}
