#include "engines/ntfs/lznt1.h"

#include <algorithm>
#include <cstring>

namespace ntfs {
namespace {

constexpr size_t chunk_size = 4096;

// Decodes one compressed chunk into dst[0, cap); returns the bytes written or -1.
int64_t decode_chunk(const uint8_t *src, size_t src_length, uint8_t *dst, size_t cap)
{
    size_t in = 0, out = 0;
    while (in < src_length && out < cap) {
        const uint8_t tags = src[in++];
        for (int bit = 0; bit < 8 && in < src_length && out < cap; ++bit) {
            if (!(tags & (1u << bit))) {
                dst[out++] = src[in++];
                continue;
            }
            if (in + 2 > src_length)
                return -1;
            const uint16_t token = uint16_t(src[in] | (src[in + 1] << 8));
            in += 2;
            if (out == 0)
                return -1;
            // The split between offset and length bits widens with the position in the chunk.
            unsigned offset_bits = 4;
            for (size_t p = out - 1; p >= 0x10; p >>= 1)
                ++offset_bits;
            const unsigned length_bits = 16 - offset_bits;
            const size_t offset = (token >> length_bits) + 1u;
            size_t length = (token & ((1u << length_bits) - 1)) + 3u;
            if (offset > out)
                return -1;
            length = std::min(length, cap - out);
            for (size_t i = 0; i < length; ++i, ++out)
                dst[out] = dst[out - offset]; // overlapping copies repeat the pattern
        }
    }
    return int64_t(out);
}

} // namespace

int64_t lznt1_decompress(const uint8_t *in, size_t in_length, uint8_t *out, size_t out_length)
{
    size_t pos = 0;
    size_t chunk = 0;
    int64_t covered = 0;
    while (pos + 2 <= in_length) {
        const uint16_t header = uint16_t(in[pos] | (in[pos + 1] << 8));
        if (header == 0)
            break;
        const size_t data_length = (header & 0x0FFFu) + 1u;
        pos += 2;
        if (data_length > in_length - pos)
            return -1;
        const size_t start = chunk * chunk_size;
        if (start >= out_length)
            break;
        const size_t cap = std::min(chunk_size, out_length - start);
        int64_t written;
        if (header & 0x8000) {
            written = decode_chunk(in + pos, data_length, out + start, cap);
            if (written < 0)
                return -1;
        } else {
            written = int64_t(std::min(data_length, cap));
            std::memcpy(out + start, in + pos, size_t(written));
        }
        covered = int64_t(start) + written;
        pos += data_length;
        ++chunk;
    }
    return covered;
}

} // namespace ntfs
