// OLE2 compound files (doc, xls, ppt, msg): the size comes from the sector allocation table, up
// to its last allocated sector. The kind comes from the stream names in the directory.
#include "engines/carve/carve_format.h"

#include <string>

namespace {

constexpr uint32_t free_sect = 0xFFFFFFFFu;
constexpr uint32_t max_regular = 0xFFFFFFFAu;

class ole_format_c final : public carve_format_c {
public:
    const char *name() const override { return "ole"; }
    std::vector<carve_signature_s> signatures() const override
    {
        return {{0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"}};
    }
    uint64_t default_max_size() const override { return 1 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        const uint8_t *h = cur.get(0, 512);
        if (!h)
            return {};
        const uint16_t major = load_le16(h + 26), order = load_le16(h + 28), shift = load_le16(h + 30);
        if (order != 0xFFFE || !((major == 3 && shift == 9) || (major == 4 && shift == 12)))
            return {};
        const uint64_t ssz = 1ull << shift;
        const uint32_t fat_sectors = load_le32(h + 44);
        const uint32_t first_dir = load_le32(h + 48);
        uint32_t difat_next = load_le32(h + 68);
        const uint32_t difat_count = load_le32(h + 72);
        const uint64_t max_sectors = cur.limit() / ssz;
        // A FAT larger than needed to describe max_sectors sectors cannot belong to a file that fits.
        if (fat_sectors == 0 || fat_sectors > max_sectors / (ssz / 4) + 1 || difat_count > fat_sectors)
            return {};
        // Locations of the FAT sectors: 109 in the header, the rest in the DIFAT chain.
        std::vector<uint32_t> fat_at;
        for (uint32_t i = 0; i < 109 && fat_at.size() < fat_sectors; ++i)
            fat_at.push_back(load_le32(h + 76 + 4 * i));
        for (uint32_t d = 0; d < difat_count && fat_at.size() < fat_sectors; ++d) {
            if (difat_next > max_regular || difat_next >= max_sectors)
                return {};
            const uint8_t *s = cur.get((uint64_t(difat_next) + 1) * ssz, size_t(ssz));
            if (!s)
                return {};
            const uint32_t per = uint32_t(ssz / 4) - 1;
            for (uint32_t i = 0; i < per && fat_at.size() < fat_sectors; ++i)
                fat_at.push_back(load_le32(s + 4 * i));
            difat_next = load_le32(s + 4 * per);
        }
        if (fat_at.size() < fat_sectors)
            return {};
        // Read the FAT; the file ends after its last allocated sector.
        std::vector<uint32_t> fat;
        fat.reserve(fat_at.size() * (ssz / 4));
        for (uint32_t at : fat_at) {
            if (at > max_regular || at >= max_sectors)
                return {};
            const uint8_t *s = cur.get((uint64_t(at) + 1) * ssz, size_t(ssz));
            if (!s)
                return {};
            for (uint64_t i = 0; i < ssz / 4; ++i)
                fat.push_back(load_le32(s + 4 * i));
        }
        uint64_t last = fat.size();
        while (last > 0 && fat[last - 1] == free_sect)
            --last;
        if (last == 0)
            return {};
        const uint64_t end = (last + 1) * ssz;
        if (end > cur.limit())
            return {};
        return {kind(cur, fat, first_dir, ssz), end};
    }

private:
    // Extension from the stream names of the directory chain.
    static const char *kind(carve_cursor_c &cur, const std::vector<uint32_t> &fat, uint32_t sector, uint64_t ssz)
    {
        for (int steps = 0; steps < 256 && sector < fat.size(); ++steps) {
            const uint8_t *s = cur.get((uint64_t(sector) + 1) * ssz, size_t(ssz));
            if (!s)
                break;
            for (uint64_t e = 0; e < ssz / 128; ++e) {
                const uint8_t *entry = s + 128 * e;
                std::string name;
                const uint16_t bytes = std::min<uint16_t>(load_le16(entry + 64), 64);
                for (uint16_t i = 0; i + 1 < bytes; i += 2)
                    if (entry[i] || entry[i + 1])
                        name.push_back(entry[i + 1] ? '?' : char(entry[i]));
                if (name == "WordDocument")
                    return "doc";
                if (name == "Workbook" || name == "Book")
                    return "xls";
                if (name == "PowerPoint Document")
                    return "ppt";
                if (name.rfind("__substg1.0_", 0) == 0)
                    return "msg";
                if (name == "VisioDocument")
                    return "vsd";
            }
            sector = fat[sector];
        }
        return "ole";
    }
};

} // namespace

const carve_format_c &format_ole()
{
    static const ole_format_c format;
    return format;
}
