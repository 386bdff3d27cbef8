// MP3: an optional ID3v2 tag, then MPEG audio frames walked by their computed lengths while they
// keep the first frame's version, layer and sample rate; then optional APE and ID3v1 tags.
// Without an ID3v2 tag a run of frames is needed before the candidate counts.
#include "engines/carve/carve_format.h"

namespace {

struct frame_s {
    uint32_t length = 0;
    uint8_t key = 0; // version, layer and sample rate bits, which stay the same within a file
};

bool parse_frame(const uint8_t *h, frame_s &out)
{
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return false;
    const int version = (h[1] >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
    const int layer = (h[1] >> 1) & 3;   // 1: III, 2: II, 3: I
    const int rate_index = h[2] >> 4;
    const int freq_index = (h[2] >> 2) & 3;
    if (version == 1 || layer == 0 || rate_index == 0 || rate_index == 15 || freq_index == 3)
        return false;
    static const uint16_t rates[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // V1 L1
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // V1 L2
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // V1 L3
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // V2 L1
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // V2 L2, L3
    };
    static const uint32_t freqs[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    const bool v1 = version == 3;
    const int row = v1 ? 3 - layer : (layer == 3 ? 3 : 4);
    const uint32_t bitrate = rates[row][rate_index] * 1000u;
    const uint32_t freq = freqs[version][freq_index];
    const uint32_t pad = (h[2] >> 1) & 1;
    if (layer == 3)
        out.length = (12 * bitrate / freq + pad) * 4;
    else if (layer == 1 && !v1)
        out.length = 72 * bitrate / freq + pad;
    else
        out.length = 144 * bitrate / freq + pad;
    out.key = uint8_t((h[1] & 0x1E) << 2 | freq_index);
    return out.length >= 24;
}

class mp3_format_c final : public carve_format_c {
public:
    const char *name() const override { return "mp3"; }
    std::vector<carve_signature_s> signatures() const override
    {
        std::vector<carve_signature_s> sigs{{0, "ID3"}};
        static const char syncs[] = "\xFF\xFB\xFF\xFA\xFF\xF3\xFF\xF2\xFF\xE3\xFF\xE2";
        for (int i = 0; i < 6; ++i)
            sigs.push_back({0, std::string_view(syncs + 2 * i, 2)});
        return sigs;
    }
    uint64_t default_max_size() const override { return 512 * carve_mib; }

    carve_hit_s carve(carve_cursor_c &cur) const override
    {
        uint64_t pos = 0;
        const uint8_t *h = cur.get(0, 10);
        if (!h)
            return {};
        const bool tagged = h[0] == 'I';
        if (tagged) {
            if (h[3] < 2 || h[3] > 4 || (h[6] | h[7] | h[8] | h[9]) & 0x80)
                return {};
            pos = 10 + (uint64_t(h[6]) << 21 | uint64_t(h[7]) << 14 | uint64_t(h[8]) << 7 | h[9]);
            if (h[5] & 0x10)
                pos += 10;
            // Some taggers pad beyond the declared size with zeros.
            uint8_t z = 0;
            for (int i = 0; i < 65536 && cur.u8(pos, z) && z == 0; ++i)
                ++pos;
        }
        uint64_t frames = 0;
        uint8_t key = 0;
        for (;;) {
            const uint8_t *f = cur.get(pos, 4);
            frame_s frame;
            if (!f || !parse_frame(f, frame) || (frames && frame.key != key) || frame.length > cur.limit() - pos)
                break;
            key = frame.key;
            pos += frame.length;
            ++frames;
        }
        if (frames < (tagged ? 2u : 16u))
            return {};
        pos = skip_tags(cur, pos);
        return {"mp3", pos};
    }

private:
    static uint64_t skip_tags(carve_cursor_c &cur, uint64_t pos)
    {
        if (cur.equals(pos, "APETAGEX")) {
            uint32_t size = 0, flags = 0;
            if (cur.le32(pos + 12, size) && cur.le32(pos + 20, flags) && size >= 32 &&
                size <= cur.limit() - pos - ((flags & 0x80000000u) ? 32 : 0))
                pos += size + ((flags & 0x80000000u) ? 32 : 0);
        }
        if (cur.equals(pos, "TAG") && pos + 128 <= cur.limit())
            pos += 128;
        return pos;
    }
};

} // namespace

const carve_format_c &format_mp3()
{
    static const mp3_format_c format;
    return format;
}
