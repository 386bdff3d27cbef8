#include "engines/carve/block_reader.h"

#include "platform/source.h"

#include <algorithm>
#include <cstring>

block_reader_c::block_reader_c(const source_c &source, size_t block_size, int count)
    : source_(source), block_size_(block_size), blocks_(size_t(std::max(count, 2)))
{
    for (read_block_s &b : blocks_) {
        b.data.resize(block_size_);
        free_.push_back(&b);
    }
    thread_ = std::thread([this] { read_loop(); });
}

block_reader_c::~block_reader_c()
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void block_reader_c::fill(read_block_s &block)
{
    const int64_t got = source_.read_at(block.pos, block.data.data(), block.len);
    if (got == int64_t(block.len))
        return;
    // A damaged area: read it in small pieces and zero what cannot be read.
    constexpr size_t piece = 64 * 1024;
    for (size_t off = 0; off < block.len; off += piece) {
        const size_t n = std::min(piece, block.len - off);
        const int64_t r = source_.read_at(block.pos + off, block.data.data() + off, n);
        const size_t good = r > 0 ? size_t(r) : 0;
        if (good < n)
            std::memset(block.data.data() + off + good, 0, n - good);
    }
}

void block_reader_c::read_loop()
{
    const uint64_t size = source_.size();
    for (;;) {
        read_block_s *block = nullptr;
        {
            std::unique_lock<std::mutex> guard(lock_);
            changed_.wait(guard, [this] { return quit_ || !free_.empty(); });
            if (quit_)
                return;
            const uint64_t pos = std::max(read_pos_, skip_to_);
            if (pos >= size) {
                done_ = true;
                changed_.notify_all();
                return;
            }
            block = free_.front();
            free_.pop_front();
            block->pos = pos;
            block->len = size_t(std::min<uint64_t>(block_size_, size - pos));
            read_pos_ = pos + block->len;
        }
        fill(*block);
        {
            std::lock_guard<std::mutex> guard(lock_);
            ready_.push_back(block);
        }
        changed_.notify_all();
    }
}

read_block_s *block_reader_c::next(uint64_t from)
{
    std::unique_lock<std::mutex> guard(lock_);
    skip_to_ = std::max(skip_to_, from);
    for (;;) {
        changed_.wait(guard, [this] { return !ready_.empty() || done_; });
        if (ready_.empty())
            return nullptr;
        read_block_s *block = ready_.front();
        ready_.pop_front();
        if (block->pos + block->len > from)
            return block;
        free_.push_back(block);
        changed_.notify_all();
    }
}

void block_reader_c::release(read_block_s *block)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        free_.push_back(block);
    }
    changed_.notify_all();
}
