// ZIP and the formats built on it: local entries, the central directory and the end record are
// walked by their lengths (entries with a data descriptor are measured by finding a descriptor
// whose size matches). The kind comes from the content: the "mimetype" entry of OpenDocument and
// EPUB, the folders of Office Open XML, the manifests of Android and Java archives.
#include "engines/carve/carve_format.h"

#include <string>

namespace {

constexpr uint32_t local_sig = 0x04034b50, central_sig = 0x02014b50, end_sig = 0x06054b50,
                   zip64_end_sig = 0x06064b50, zip64_locator_sig = 0x07064b50,
                   descriptor_sig = 0x08074b50, signature_sig = 0x05054b50;

struct zip_kind_s {
    const char *mimetype = nullptr;
    bool word = false, xl = false, ppt = false, android = false, java = false;

    void note_name(std::string_view name)
    {
        word = word || name.substr(0, 5) == "word/";
        xl = xl || name.substr(0, 3) == "xl/";
        ppt = ppt || name.substr(0, 4) == "ppt/";
        android = android || name == "AndroidManifest.xml" || name == "classes.dex";
        java = java || name == "META-INF/MANIFEST.MF";
    }
    void note_mimetype(std::string_view content)
    {
        static const std::pair<std::string_view, const char *> kinds[] = {
            {"application/vnd.oasis.opendocument.text", "odt"},
            {"application/vnd.oasis.opendocument.spreadsheet", "ods"},
            {"application/vnd.oasis.opendocument.presentation", "odp"},
            {"application/vnd.oasis.opendocument.graphics", "odg"},
            {"application/epub+zip", "epub"},
        };
        for (const auto &[text, ext] : kinds)
            if (content == text)
                mimetype = ext;
    }
    const char *extension() const
    {
        if (mimetype)
            return mimetype;
        if (word)
            return "docx";
        if (xl)
            return "xlsx";
        if (ppt)
            return "pptx";
        if (android)
            return "apk";
        return java ? "jar" : "zip";
    }
};

// End of the data of an entry written with a data descriptor (sizes unknown in its header):
// the position after the descriptor whose compressed size equals the distance from data.
uint64_t find_descriptor_end(carve_cursor_c &cur, uint64_t data)
{
    for (uint64_t from = data;;) {
        const int64_t at = cur.find(from, cur.limit(), "PK");
        if (at < 0)
            return 0;
        const uint64_t p = uint64_t(at);
        uint32_t sig = 0, csize = 0;
        if (!cur.le32(p, sig))
            return 0;
        if (sig == descriptor_sig && cur.le32(p + 8, csize) && uint64_t(csize) == p - data)
            return p + 16;
        uint64_t csize64 = 0;
        if (sig == descriptor_sig && cur.le64(p + 8, csize64) && csize64 == p - data)
            return p + 24;
        // A descriptor without its signature, followed by the next header.
        if ((sig == local_sig || sig == central_sig) && p >= data + 12 && cur.le32(p - 8, csize) &&
            uint64_t(csize) == p - 12 - data)
            return p;
        from = p + 1;
    }
}

class zip_format_c final : public carve_format_c {
public:
    const char *name() const override { return "zip"; }
    std::vector<carve_signature_s> signatures() const override
    {
        return {{0, std::string_view("PK\x03\x04", 4)}};
    }
    uint64_t default_max_size() const override { return 4 * carve_gib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        zip_kind_s kind;
        uint64_t pos = 0;
        bool first = true, central = false;
        for (;;) {
            uint32_t sig = 0;
            if (!cur.le32(pos, sig))
                return {};
            if (sig == local_sig) {
                if (central)
                    return {};
                pos = local_entry(cur, pos, first, kind);
                first = false;
            } else if (sig == central_sig) {
                const uint8_t *h = cur.get(pos, 46);
                if (!h)
                    return {};
                const uint16_t n = load_le16(h + 28);
                if (const uint8_t *name = cur.get(pos + 46, n))
                    kind.note_name({reinterpret_cast<const char *>(name), n});
                pos += 46ull + n + load_le16(h + 30) + load_le16(h + 32);
                central = true;
            } else if (sig == zip64_end_sig) {
                uint64_t size = 0;
                if (!cur.le64(pos + 4, size) || size > cur.limit())
                    return {};
                pos += 12 + size;
            } else if (sig == zip64_locator_sig) {
                pos += 20;
            } else if (sig == signature_sig) {
                uint16_t n = 0;
                if (!cur.le16(pos + 4, n))
                    return {};
                pos += 6ull + n;
            } else if (sig == end_sig) {
                uint16_t comment = 0;
                if (!central || !cur.le16(pos + 20, comment))
                    return {};
                const uint64_t end = pos + 22 + comment;
                return end <= cur.limit() ? carve_hit_s{kind.extension(), end} : carve_hit_s{};
            } else {
                return {};
            }
            if (pos == 0 || pos > cur.limit())
                return {};
        }
    }

private:
    // Returns the position after the entry, or 0.
    static uint64_t local_entry(carve_cursor_c &cur, uint64_t pos, bool first, zip_kind_s &kind)
    {
        const uint8_t *h = cur.get(pos, 30);
        if (!h)
            return 0;
        const uint16_t flags = load_le16(h + 6);
        const uint16_t method = load_le16(h + 8);
        uint64_t csize = load_le32(h + 18);
        const uint16_t n = load_le16(h + 26);
        const uint16_t x = load_le16(h + 28);
        const uint8_t *name = cur.get(pos + 30, n);
        if (!name || n == 0)
            return 0;
        const std::string_view name_text(reinterpret_cast<const char *>(name), n);
        kind.note_name(name_text);
        const uint64_t data = pos + 30 + n + x;
        if (csize == 0xFFFFFFFFu)
            csize = zip64_size(cur, pos + 30 + n, x);
        if (first && name_text == "mimetype" && method == 0 && csize > 0 && csize < 128) {
            if (const uint8_t *m = cur.get(data, size_t(csize)))
                kind.note_mimetype({reinterpret_cast<const char *>(m), size_t(csize)});
        }
        if (data > cur.limit())
            return 0;
        if ((flags & 8) && csize == 0)
            return find_descriptor_end(cur, data);
        if (csize > cur.limit() - data)
            return 0;
        uint64_t end = data + csize;
        if (flags & 8) {
            uint32_t sig = 0;
            end += cur.le32(end, sig) && sig == descriptor_sig ? 16 : 12;
        }
        return end;
    }

    // Compressed size from the zip64 extra field; UINT64_MAX when absent.
    static uint64_t zip64_size(carve_cursor_c &cur, uint64_t extra, uint16_t len)
    {
        for (uint64_t p = extra; p + 4 <= extra + len;) {
            uint16_t id = 0, size = 0;
            if (!cur.le16(p, id) || !cur.le16(p + 2, size))
                break;
            uint64_t value = 0;
            if (id == 1 && size >= 16 && cur.le64(p + 12, value))
                return value;
            p += 4ull + size;
        }
        return UINT64_MAX;
    }
};

} // namespace

const carve_format_c &format_zip()
{
    static const zip_format_c format;
    return format;
}
