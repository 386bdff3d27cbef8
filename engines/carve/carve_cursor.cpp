#include "engines/carve/carve_cursor.h"

#include "platform/source.h"

#include <algorithm>

carve_cursor_c::carve_cursor_c(const source_c &source, uint64_t start, uint64_t limit,
                               std::vector<uint8_t> &cache, const std::atomic<int32_t> *stop)
    : source_(source), start_(start), limit_(limit), cache_(cache), stop_(stop)
{
    if (cache_.size() < cache_size)
        cache_.resize(cache_size);
}

void carve_cursor_c::set_window(const uint8_t *data, uint64_t pos, size_t len)
{
    window_ = data;
    window_pos_ = pos;
    window_len_ = len;
}

const uint8_t *carve_cursor_c::get(uint64_t pos, size_t n)
{
    if (n == 0 || n > cache_size || pos >= limit_ || n > limit_ - pos)
        return nullptr;
    const uint64_t abs = start_ + pos;
    if (window_ && abs >= window_pos_ && abs - window_pos_ + n <= window_len_)
        return window_ + (abs - window_pos_);
    if (cache_len_ && abs >= cache_pos_ && abs - cache_pos_ + n <= cache_len_)
        return cache_.data() + (abs - cache_pos_);
    if (stop_ && stop_->load(std::memory_order_relaxed))
        return nullptr;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(cache_size, limit_ - pos));
    const int64_t got = source_.read_at(abs, cache_.data(), want);
    if (got < 0) {
        cache_len_ = 0;
        return nullptr;
    }
    cache_pos_ = abs;
    cache_len_ = static_cast<size_t>(got);
    return cache_len_ >= n ? cache_.data() : nullptr;
}

const uint8_t *carve_cursor_c::span(uint64_t pos, size_t max, size_t &avail)
{
    avail = 0;
    if (pos >= limit_ || max == 0)
        return nullptr;
    max = static_cast<size_t>(std::min<uint64_t>({max, limit_ - pos, cache_size}));
    const uint64_t abs = start_ + pos;
    if (window_ && abs >= window_pos_ && abs < window_pos_ + window_len_) {
        avail = std::min<size_t>(max, window_len_ - size_t(abs - window_pos_));
        return window_ + (abs - window_pos_);
    }
    if (cache_len_ && abs >= cache_pos_ && abs < cache_pos_ + cache_len_) {
        avail = std::min<size_t>(max, cache_len_ - size_t(abs - cache_pos_));
        return cache_.data() + (abs - cache_pos_);
    }
    const uint8_t *p = get(pos, 1);
    if (!p)
        return nullptr;
    return span(pos, max, avail);
}

bool carve_cursor_c::u8(uint64_t pos, uint8_t &v)
{
    const uint8_t *p = get(pos, 1);
    return p ? (v = *p, true) : false;
}
bool carve_cursor_c::le16(uint64_t pos, uint16_t &v)
{
    const uint8_t *p = get(pos, 2);
    return p ? (v = load_le16(p), true) : false;
}
bool carve_cursor_c::le32(uint64_t pos, uint32_t &v)
{
    const uint8_t *p = get(pos, 4);
    return p ? (v = load_le32(p), true) : false;
}
bool carve_cursor_c::le64(uint64_t pos, uint64_t &v)
{
    const uint8_t *p = get(pos, 8);
    return p ? (v = load_le64(p), true) : false;
}
bool carve_cursor_c::be16(uint64_t pos, uint16_t &v)
{
    const uint8_t *p = get(pos, 2);
    return p ? (v = load_be16(p), true) : false;
}
bool carve_cursor_c::be32(uint64_t pos, uint32_t &v)
{
    const uint8_t *p = get(pos, 4);
    return p ? (v = load_be32(p), true) : false;
}
bool carve_cursor_c::be64(uint64_t pos, uint64_t &v)
{
    const uint8_t *p = get(pos, 8);
    return p ? (v = load_be64(p), true) : false;
}

bool carve_cursor_c::equals(uint64_t pos, std::string_view bytes)
{
    const uint8_t *p = get(pos, bytes.size());
    return p && std::memcmp(p, bytes.data(), bytes.size()) == 0;
}

int64_t carve_cursor_c::find(uint64_t from, uint64_t to, std::string_view needle)
{
    const size_t n = needle.size();
    if (n == 0 || n > 4096)
        return -1;
    to = std::min(to, limit_);
    uint64_t pos = from;
    while (pos < to && to - pos >= n) {
        size_t avail = 0;
        // Ask for a chunk that overlaps the next one by n - 1 bytes so matches across chunks are seen.
        const uint8_t *p = span(pos, static_cast<size_t>(std::min<uint64_t>(to - pos, cache_size)), avail);
        if (!p)
            return -1;
        if (avail < n) {
            p = get(pos, n);
            if (!p)
                return -1;
            avail = n;
        }
        const uint8_t *end = p + avail;
        const uint8_t *hit = std::search(p, end, needle.begin(), needle.end(),
                                         [](uint8_t a, char b) { return a == uint8_t(b); });
        if (hit != end)
            return static_cast<int64_t>(pos + uint64_t(hit - p));
        pos += avail - (n - 1);
    }
    return -1;
}
