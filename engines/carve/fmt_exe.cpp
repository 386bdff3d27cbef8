// Windows PE executables (exe, dll): the end is the furthest of the headers, the section data,
// the certificate table and the COFF symbol and string tables.
#include "engines/carve/carve_format.h"

#include <algorithm>

namespace {

class exe_format_c final : public carve_format_c {
public:
    const char *name() const override { return "exe"; }
    std::vector<carve_signature_s> signatures() const override { return {{0, "MZ"}}; }
    uint64_t default_max_size() const override { return 1 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        uint32_t pe = 0;
        if (!cur.le32(0x3C, pe) || pe < 0x40 || pe > 64 * carve_kib || !cur.equals(pe, std::string_view("PE\0\0", 4)))
            return {};
        const uint8_t *coff = cur.get(pe + 4, 20);
        if (!coff)
            return {};
        const uint16_t sections = load_le16(coff + 2);
        const uint32_t symbols_at = load_le32(coff + 8), symbols = load_le32(coff + 12);
        const uint16_t opt_size = load_le16(coff + 16);
        const uint16_t characteristics = load_le16(coff + 18);
        if (sections == 0 || sections > 96 || opt_size < 96 || !(characteristics & 0x0002))
            return {};
        const uint64_t opt = uint64_t(pe) + 24;
        const uint8_t *o = cur.get(opt, opt_size);
        if (!o)
            return {};
        const uint16_t magic = load_le16(o);
        if (magic != 0x10B && magic != 0x20B)
            return {};
        uint64_t end = std::max<uint64_t>(load_le32(o + 60), opt + opt_size + 40ull * sections);
        const uint8_t *table = cur.get(opt + opt_size, 40ull * sections);
        if (!table)
            return {};
        for (uint16_t i = 0; i < sections; ++i) {
            const uint8_t *s = table + 40ull * i;
            const uint32_t raw_size = load_le32(s + 16), raw_at = load_le32(s + 20);
            if (raw_size)
                end = std::max(end, uint64_t(raw_at) + raw_size);
        }
        const size_t dirs = magic == 0x10B ? 96 : 112;
        if (opt_size >= dirs + 8 * 5) {
            const uint32_t cert_at = load_le32(o + dirs + 32), cert_size = load_le32(o + dirs + 36);
            if (cert_at && cert_size)
                end = std::max(end, uint64_t(cert_at) + cert_size);
        }
        if (symbols_at && symbols) {
            const uint64_t strings = uint64_t(symbols_at) + 18ull * symbols;
            uint32_t strings_size = 0;
            if (cur.le32(strings, strings_size) && strings_size >= 4 && strings_size <= cur.limit())
                end = std::max(end, strings + strings_size);
        }
        if (end > cur.limit())
            return {};
        return {(characteristics & 0x2000) ? "dll" : "exe", end};
    }
};

} // namespace

const carve_format_c &format_exe()
{
    static const exe_format_c format;
    return format;
}
