// Matroska and WebM (EBML): the EBML header names the document type; the Segment's size gives
// the end, or, when it is written as unknown (live recordings), its children are walked while
// their IDs are Segment (or Cluster) children.
#include "engines/carve/carve_format.h"

namespace {

constexpr uint64_t unknown_size = UINT64_MAX;

// Reads an element ID (marker bits kept) and its size at pos; returns the header length, or 0.
size_t element(carve_cursor_c &cur, uint64_t pos, uint32_t &id, uint64_t &size)
{
    uint8_t b = 0;
    if (!cur.u8(pos, b) || b == 0)
        return 0;
    size_t id_len = 1;
    while (!(b & (0x80 >> (id_len - 1))))
        ++id_len;
    if (id_len > 4)
        return 0;
    const uint8_t *p = cur.get(pos, id_len + 8 > cur.limit() - pos ? id_len + 1 : id_len + 8);
    if (!p)
        return 0;
    id = 0;
    for (size_t i = 0; i < id_len; ++i)
        id = id << 8 | p[i];
    const uint8_t s = p[id_len];
    if (s == 0)
        return 0;
    size_t len = 1;
    while (!(s & (0x80 >> (len - 1))))
        ++len;
    if (id_len + len > cur.limit() - pos || !cur.get(pos, id_len + len))
        return 0;
    p = cur.get(pos, id_len + len);
    uint64_t v = s & (0xFF >> len);
    bool all_ones = v == (0xFFu >> len);
    for (size_t i = 1; i < len; ++i) {
        v = v << 8 | p[id_len + i];
        all_ones = all_ones && p[id_len + i] == 0xFF;
    }
    size = all_ones ? unknown_size : v;
    return id_len + len;
}

bool segment_child(uint32_t id)
{
    switch (id) {
    case 0x114D9B74: case 0x1549A966: case 0x1654AE6B: case 0x1F43B675: case 0x1C53BB6B:
    case 0x1941A469: case 0x1043A770: case 0x1254C367: case 0xEC: case 0xBF:
        return true;
    default:
        return false;
    }
}

bool cluster_child(uint32_t id)
{
    switch (id) {
    case 0xE7: case 0x5854: case 0xA7: case 0xAB: case 0xA3: case 0xA0: case 0xAF: case 0xEC: case 0xBF:
        return true;
    default:
        return false;
    }
}

class mkv_format_c final : public carve_format_c {
public:
    const char *name() const override { return "mkv"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "\x1A\x45\xDF\xA3"}}; }
    uint64_t default_max_size() const override { return 8 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        uint32_t id = 0;
        uint64_t size = 0;
        const size_t hl = element(cur, 0, id, size);
        if (!hl || size == unknown_size || size > 4096)
            return {};
        const char *ext = doc_type(cur, hl, hl + size);
        if (!ext)
            return {};
        uint64_t pos = hl + size;
        const size_t sl = element(cur, pos, id, size);
        if (!sl || id != 0x18538067)
            return {};
        pos += sl;
        if (size != unknown_size)
            return size <= cur.limit() - pos ? carve_hit_s{ext, pos + size} : carve_hit_s{};
        pos = walk_unknown(cur, pos);
        return pos ? carve_hit_s{ext, pos} : carve_hit_s{};
    }

private:
    static const char *doc_type(carve_cursor_c &cur, uint64_t pos, uint64_t end)
    {
        while (pos < end) {
            uint32_t id = 0;
            uint64_t size = 0;
            const size_t l = element(cur, pos, id, size);
            if (!l || size == unknown_size || size > end - pos - l)
                return nullptr;
            if (id == 0x4282) {
                if (size == 8 && cur.equals(pos + l, "matroska"))
                    return "mkv";
                if (size == 4 && cur.equals(pos + l, "webm"))
                    return "webm";
                return nullptr;
            }
            pos += l + size;
        }
        return nullptr;
    }

    // End of a Segment of unknown size: where its children stop.
    static uint64_t walk_unknown(carve_cursor_c &cur, uint64_t pos)
    {
        bool in_cluster = false;
        for (;;) {
            uint32_t id = 0;
            uint64_t size = 0;
            const size_t l = element(cur, pos, id, size);
            if (!l)
                return pos;
            if (!segment_child(id) && !(in_cluster && cluster_child(id)))
                return pos;
            if (id == 0x1F43B675 && size == unknown_size) {
                in_cluster = true;
                pos += l;
                continue;
            }
            if (size == unknown_size || size > cur.limit() - pos - l)
                return pos;
            if (segment_child(id) && id != 0xEC && id != 0xBF)
                in_cluster = false;
            pos += l + size;
        }
    }
};

} // namespace

const carve_format_c &format_mkv()
{
    static const mkv_format_c format;
    return format;
}
