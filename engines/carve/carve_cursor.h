#pragma once
// Bounded reads through the source for the format walkers. Positions are relative to the start
// of the candidate file; nothing at or beyond limit() is ever returned, so a length read from
// the disk can never take a walker outside the volume or past its size cap. Reads that fall in
// the scanner's current block are served from memory.

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

class source_c;

class carve_cursor_c {
public:
    static constexpr size_t cache_size = 256 * 1024;

    carve_cursor_c(const source_c &source, uint64_t start, uint64_t limit,
                   std::vector<uint8_t> &cache, const std::atomic<int32_t> *stop = nullptr);
    // The scanner's block in memory: len bytes that sit at absolute position pos.
    void set_window(const uint8_t *data, uint64_t pos, size_t len);

    uint64_t start() const { return start_; }
    uint64_t limit() const { return limit_; }

    // n contiguous bytes at pos (n <= cache_size), or null when they do not all lie below limit()
    // or cannot be read (or the scan was stopped).
    const uint8_t *get(uint64_t pos, size_t n);
    // Up to max contiguous bytes at pos, at least one; avail receives the count. Null at the end.
    const uint8_t *span(uint64_t pos, size_t max, size_t &avail);

    bool u8(uint64_t pos, uint8_t &v);
    bool le16(uint64_t pos, uint16_t &v);
    bool le32(uint64_t pos, uint32_t &v);
    bool le64(uint64_t pos, uint64_t &v);
    bool be16(uint64_t pos, uint16_t &v);
    bool be32(uint64_t pos, uint32_t &v);
    bool be64(uint64_t pos, uint64_t &v);
    bool equals(uint64_t pos, std::string_view bytes);

    // First position in [from, to) where needle starts (entirely below to and limit()), or -1.
    int64_t find(uint64_t from, uint64_t to, std::string_view needle);

private:
    const source_c &source_;
    uint64_t start_;
    uint64_t limit_;
    std::vector<uint8_t> &cache_;
    const std::atomic<int32_t> *stop_;
    uint64_t cache_pos_ = 0; // absolute
    size_t cache_len_ = 0;
    const uint8_t *window_ = nullptr;
    uint64_t window_pos_ = 0;
    size_t window_len_ = 0;
};

// Big- and little-endian loads from memory that is known to be long enough.
inline uint16_t load_be16(const uint8_t *p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint32_t load_be32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
inline uint16_t load_le16(const uint8_t *p) { return uint16_t(p[1] << 8 | p[0]); }
inline uint32_t load_le32(const uint8_t *p)
{
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}
inline uint64_t load_le64(const uint8_t *p) { return uint64_t(load_le32(p + 4)) << 32 | load_le32(p); }
inline uint64_t load_be64(const uint8_t *p) { return uint64_t(load_be32(p)) << 32 | load_be32(p + 4); }
