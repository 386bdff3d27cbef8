#include "engines/carve/carve_user.h"

#include <cctype>

namespace {

bool pattern_at(const std::vector<int16_t> &pattern, bool case_sensitive, const uint8_t *p)
{
    for (size_t i = 0; i < pattern.size(); ++i) {
        const int16_t want = pattern[i];
        if (want < 0)
            continue;
        if (case_sensitive ? p[i] != want : std::tolower(p[i]) != std::tolower(want))
            return false;
    }
    return true;
}

} // namespace

carve_hit_s carve_user_signature(const carve_user_signature_s &sig, carve_cursor_c &cur)
{
    const uint64_t header = sig.header.size();
    if (sig.footer.empty()) {
        if (cur.limit() < header)
            return {};
        return {sig.extension.c_str(), cur.limit()};
    }
    const size_t n = sig.footer.size();
    for (uint64_t pos = header; pos + n <= cur.limit();) {
        size_t avail = 0;
        const uint8_t *chunk = cur.span(pos, carve_cursor_c::cache_size, avail);
        if (!chunk)
            return {};
        // Positions whose whole footer lies in this chunk are tested here; the rest on the next turn.
        if (avail < n) {
            const uint8_t *p = cur.get(pos, n);
            if (!p)
                return {};
            if (pattern_at(sig.footer, sig.case_sensitive, p))
                return {sig.extension.c_str(), pos + n};
            ++pos;
            continue;
        }
        for (size_t i = 0; i + n <= avail; ++i)
            if (pattern_at(sig.footer, sig.case_sensitive, chunk + i))
                return {sig.extension.c_str(), pos + i + n};
        pos += avail - n + 1;
    }
    return {};
}
