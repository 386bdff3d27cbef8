#include "engines/fat/fat_names.h"

#include "engines/fat/fat_bytes.h"
#include "engines/fat/fat_volume.h"

#include <iconv.h>

#include <array>
#include <memory>

namespace {

// Code page 936 to UTF-16 for every code from 0x80 up, built once from the C library's
// converter: index by the single byte or by lead << 8 | trail.
struct cp936_table_s {
    std::unique_ptr<std::array<char16_t, 65536>> map = std::make_unique<std::array<char16_t, 65536>>();

    cp936_table_s()
    {
        map->fill(0);
        iconv_t cd = iconv_open("UTF-16LE", "CP936");
        if (cd == reinterpret_cast<iconv_t>(-1))
            cd = iconv_open("UTF-16LE", "GBK");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return;
        for (uint32_t code = 0x80; code <= 0xFFFF; ++code) {
            if (code > 0xFF && (code >> 8) < 0x81)
                continue;
            char in[2];
            size_t in_len = 0;
            if (code <= 0xFF) {
                in[0] = static_cast<char>(code);
                in_len = 1;
            } else {
                in[0] = static_cast<char>(code >> 8);
                in[1] = static_cast<char>(code & 0xFF);
                in_len = 2;
            }
            char out[8];
            char *in_p = in;
            char *out_p = out;
            size_t out_left = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const size_t r = iconv(cd, &in_p, &in_len, &out_p, &out_left);
            if (r != size_t(-1) && in_len == 0 && sizeof out - out_left == 2)
                (*map)[code] = static_cast<char16_t>(uint8_t(out[0]) | uint8_t(out[1]) << 8);
        }
        iconv_close(cd);
    }
};

const cp936_table_s &cp936_table()
{
    static const cp936_table_s table;
    return table;
}

bool is_lead(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
bool is_trail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

// One part of the 8.3 name (8 name bytes or 3 extension bytes) up to its first space.
int decode_part(const uint8_t *bytes, int len, bool lower, bool name_part, char16_t *out)
{
    int n = 0;
    for (int i = 0; i < len; ++i) {
        uint8_t c = bytes[i];
        if (c == ' ')
            break;
        if (name_part && c == 0x05) // stands for a leading 0xE5 that is not a deletion mark
            c = 0xE5;
        if (lower && c >= 'A' && c <= 'Z')
            c = static_cast<uint8_t>(c + 0x20);
        uint16_t code = c;
        // A deleted entry's mark 0xE5 replaced the first byte. When an ASCII byte follows, the
        // name was most likely plain ASCII: the mark stands alone so that the second character
        // is kept ("#IC.PNG", not "#C.PNG" for a deleted PIC.PNG).
        const bool lone_mark = name_part && i == 0 && bytes[0] == 0xE5 && i + 1 < len && bytes[1] < 0x80;
        if (!lone_mark && is_lead(c) && i + 1 < len && is_trail(bytes[i + 1]))
            code = static_cast<uint16_t>(c << 8 | bytes[++i]);
        char16_t ch = static_cast<char16_t>(code);
        if (code >= 0x80) {
            ch = fat_cp936_char(code);
            if (ch == 0)
                ch = u'?';
        }
        out[n++] = ch;
    }
    return n;
}

} // namespace

char16_t fat_cp936_char(uint16_t code) { return (*cp936_table().map)[code]; }

int fat_decode_short_name(const uint8_t *entry, char16_t out[13])
{
    const uint8_t case_flags = entry[12];
    int n = decode_part(entry, 8, case_flags & 0x08, true, out);
    if (entry[8] != ' ') {
        out[n++] = u'.';
        n += decode_part(entry + 8, 3, case_flags & 0x10, false, out + n);
    }
    out[n] = 0;
    return n;
}

uint8_t fat_short_name_checksum(const uint8_t *name)
{
    uint8_t sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = static_cast<uint8_t>((sum >> 1) + (sum << 7) + name[i]);
    return sum;
}

bool fat_take_lfn_piece(char16_t *buf, const uint8_t *entry)
{
    static constexpr int offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    const int ord = entry[0] & 0x3F;
    if (ord == 0)
        return false;
    int i = (ord - 1) * 13;
    char16_t wc = 1;
    for (int offset : offsets) {
        const char16_t uc = fat_le16(entry + offset);
        if (wc) {
            if (i >= fat_lfn_units)
                return false;
            buf[i++] = wc = uc; // the terminating 0 is stored too
        } else if (uc != 0xFFFF) {
            return false;
        }
    }
    // The last piece of a name that fills it to the end carries no 0 of its own. A name of 255
    // characters still fits the 256 units with its terminator.
    if ((entry[0] & 0x40) && wc) {
        if (i >= fat_lfn_units)
            return false;
        buf[i] = 0;
    }
    return true;
}
