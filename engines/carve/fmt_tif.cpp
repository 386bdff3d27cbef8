// TIFF: the file ends at the furthest byte that any IFD, tag value, strip or tile points to.
// The IFD chain, SubIFDs and the EXIF and GPS IFDs are followed, each IFD at most once.
#include "engines/carve/carve_format.h"

#include <algorithm>
#include <set>

namespace {

class tiff_walk_c {
public:
    tiff_walk_c(carve_cursor_c &cur, bool big_endian) : cur_(cur), be_(big_endian) {}

    bool u16(uint64_t pos, uint16_t &v) { return be_ ? cur_.be16(pos, v) : cur_.le16(pos, v); }
    bool u32(uint64_t pos, uint32_t &v) { return be_ ? cur_.be32(pos, v) : cur_.le32(pos, v); }

    // Returns the end of the file, or 0 when the structure is broken.
    uint64_t walk(uint32_t first_ifd)
    {
        pending_.push_back(first_ifd);
        while (!pending_.empty()) {
            const uint32_t ifd = pending_.back();
            pending_.pop_back();
            if (ifd == 0 || visited_.count(ifd))
                continue;
            if (visited_.size() >= 256)
                break;
            // A broken first IFD means this is no TIFF; a broken later one is left out.
            if (!read_ifd(ifd) && visited_.size() == 1)
                return 0;
        }
        return images_ ? end_ : 0;
    }

private:
    static uint32_t type_size(uint16_t type)
    {
        static const uint8_t sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
        return type < sizeof(sizes) ? sizes[type] : 0;
    }

    void extend(uint64_t end) { end_ = std::max(end_, end); }

    // Value i of an entry's array of SHORT or LONG values.
    bool value(uint16_t type, uint64_t where, uint32_t i, uint32_t &v)
    {
        if (type == 3) {
            uint16_t s = 0;
            if (!u16(where + 2ull * i, s))
                return false;
            v = s;
            return true;
        }
        return type == 4 || type == 13 ? u32(where + 4ull * i, v) : false;
    }

    // Extends the end over the (offset, length) pairs of two parallel arrays.
    bool add_pieces(const uint8_t *offsets_entry, const uint8_t *counts_entry, uint64_t offsets_at,
                    uint64_t counts_at)
    {
        const uint16_t otype = be_ ? load_be16(offsets_entry + 2) : load_le16(offsets_entry + 2);
        const uint16_t ctype = be_ ? load_be16(counts_entry + 2) : load_le16(counts_entry + 2);
        const uint32_t n = be_ ? load_be32(offsets_entry + 4) : load_le32(offsets_entry + 4);
        const uint32_t m = be_ ? load_be32(counts_entry + 4) : load_le32(counts_entry + 4);
        if (n != m || n > 1000000)
            return false;
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t off = 0, len = 0;
            if (!value(otype, offsets_at, i, off) || !value(ctype, counts_at, i, len))
                return false;
            extend(uint64_t(off) + len);
        }
        images_ = images_ || n > 0;
        return true;
    }

    bool read_ifd(uint32_t ifd)
    {
        visited_.insert(ifd);
        uint16_t count = 0;
        if (!u16(ifd, count) || count == 0 || count > 4096)
            return false;
        const uint64_t table_end = uint64_t(ifd) + 2 + 12ull * count + 4;
        const uint8_t *table = cur_.get(ifd + 2, 12ull * count);
        if (!table)
            return false;
        std::vector<uint8_t> entries(table, table + 12ull * count);
        extend(table_end);
        const uint8_t *pieces[4] = {}; // strip offsets, strip counts, tile offsets, tile counts
        uint64_t piece_at[4] = {};
        for (uint16_t i = 0; i < count; ++i) {
            const uint8_t *e = entries.data() + 12ull * i;
            const uint16_t tag = be_ ? load_be16(e) : load_le16(e);
            const uint16_t type = be_ ? load_be16(e + 2) : load_le16(e + 2);
            const uint32_t n = be_ ? load_be32(e + 4) : load_le32(e + 4);
            const uint32_t size = type_size(type);
            const uint64_t bytes = uint64_t(size) * n;
            const uint64_t entry_pos = uint64_t(ifd) + 2 + 12ull * i;
            const uint64_t where = bytes <= 4 ? entry_pos + 8 : (be_ ? load_be32(e + 8) : load_le32(e + 8));
            if (bytes > 4)
                extend(where + bytes);
            const int slot = tag == 273 ? 0 : tag == 279 ? 1 : tag == 324 ? 2 : tag == 325 ? 3 : -1;
            if (slot >= 0) {
                pieces[slot] = e;
                piece_at[slot] = where;
            }
            if (tag == 330 || tag == 34665 || tag == 34853) {
                for (uint32_t k = 0; k < std::min<uint32_t>(n, 64); ++k) {
                    uint32_t sub = 0;
                    if (value(type == 13 ? 4 : type, where, k, sub))
                        pending_.push_back(sub);
                }
            }
        }
        if (pieces[0] && pieces[1] && !add_pieces(pieces[0], pieces[1], piece_at[0], piece_at[1]))
            return false;
        if (pieces[2] && pieces[3] && !add_pieces(pieces[2], pieces[3], piece_at[2], piece_at[3]))
            return false;
        uint32_t next = 0;
        if (!u32(ifd + 2 + 12ull * count, next))
            return false;
        pending_.push_back(next);
        return true;
    }

    carve_cursor_c &cur_;
    bool be_;
    bool images_ = false;
    uint64_t end_ = 0;
    std::set<uint32_t> visited_;
    std::vector<uint32_t> pending_;
};

class tif_format_c final : public carve_format_c {
public:
    const char *name() const override { return "tif"; }
    std::vector<carve_signature_s> signatures() const override
    {
        return {{0, std::string_view("II*\0", 4)}, {0, std::string_view("MM\0*", 4)}};
    }
    uint64_t default_max_size() const override { return 1 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        uint8_t order = 0;
        if (!cur.u8(0, order))
            return {};
        tiff_walk_c walk(cur, order == 'M');
        uint32_t first = 0;
        if (!walk.u32(4, first) || first < 8)
            return {};
        const uint64_t end = walk.walk(first);
        if (end == 0 || end > cur.limit())
            return {};
        return {"tif", end};
    }
};

} // namespace

const carve_format_c &format_tif()
{
    static const tif_format_c format;
    return format;
}
