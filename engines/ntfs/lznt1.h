#pragma once
// LZNT1 decompression of one NTFS compression unit.

#include <cstddef>
#include <cstdint>

namespace ntfs {

// Decompresses in (a sequence of chunks, each with a 2-byte header, ended by a zero header or by
// the input) into out, which the caller zeroes first: chunk i fills out[4096 i, 4096 (i + 1)).
// Returns the number of bytes of out covered, or -1 for a malformed chunk (a back reference
// before the chunk start, a chunk beyond the input).
int64_t lznt1_decompress(const uint8_t *in, size_t in_length, uint8_t *out, size_t out_length);

} // namespace ntfs
