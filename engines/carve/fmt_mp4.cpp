// ISO base media files (mp4, mov, m4a, 3gp, heic): top-level boxes walked by their sizes from
// "ftyp" while the box types are ones that occur at the top level. The brand names the kind.
#include "engines/carve/carve_format.h"

#include <string_view>

namespace {

bool top_level_box(std::string_view t)
{
    static const std::string_view known[] = {"moov", "mdat", "free", "skip", "wide", "uuid", "meta",
                                             "moof", "mfra", "sidx", "pdin", "styp", "emsg", "prft",
                                             "udta", "junk", "pnot", "PICT", "ssix", "ftyp", "iinf",
                                             "idat", "iloc", "iprp", "iref", "pitm", "hdlr", "dinf"};
    for (std::string_view k : known)
        if (t == k)
            return true;
    return false;
}

const char *brand_extension(std::string_view brand)
{
    if (brand == "qt  ")
        return "mov";
    if (brand == "M4A " || brand == "M4B " || brand == "M4P ")
        return "m4a";
    if (brand.substr(0, 3) == "3gp" || brand.substr(0, 3) == "3g2")
        return "3gp";
    if (brand == "heic" || brand == "heix" || brand == "mif1" || brand == "msf1")
        return "heic";
    if (brand == "avif")
        return "avif";
    if (brand == "crx ")
        return "cr3";
    return "mp4";
}

class mp4_format_c final : public carve_format_c {
public:
    const char *name() const override { return "mp4"; }
    std::vector<carve_signature_s> signatures() const override { return {{4, "ftyp"}}; }
    uint64_t default_max_size() const override { return 8 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *h = cur.get(0, 12);
        if (!h)
            return {};
        const uint32_t ftyp = load_be32(h);
        if (ftyp < 16 || ftyp > 4096)
            return {};
        const char *ext = brand_extension({reinterpret_cast<const char *>(h + 8), 4});
        uint64_t pos = 0;
        bool movie = false;
        for (int boxes = 0; boxes < 100000; ++boxes) {
            const uint8_t *b = cur.get(pos, 8);
            if (!b || !top_level_box({reinterpret_cast<const char *>(b + 4), 4}))
                break;
            uint64_t size = load_be32(b);
            if (size == 1) {
                if (!cur.be64(pos + 8, size) || size < 16)
                    break;
            } else if (size < 8) {
                break; // size 0 ("to the end") cannot be told on a raw disk
            }
            if (size > cur.limit() - pos)
                break;
            const std::string_view type(reinterpret_cast<const char *>(b + 4), 4);
            movie = movie || type == "moov" || type == "moof" || type == "meta";
            pos += size;
        }
        if (!movie)
            return {};
        return {ext, pos};
    }
};

} // namespace

const carve_format_c &format_mp4()
{
    static const mp4_format_c format;
    return format;
}
