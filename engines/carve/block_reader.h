#pragma once
// Reads a source front to back in large blocks on its own thread, a few blocks ahead of the
// checker, so that reading overlaps checking. The checker may skip ahead (past a carved file);
// blocks wholly before the skip target are dropped and the reader jumps there. Memory is fixed:
// count blocks of block_size bytes. Unreadable pieces are delivered as zeros.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class source_c;

struct read_block_s {
    uint64_t pos = 0;
    size_t len = 0;
    std::vector<uint8_t> data;
};

class block_reader_c {
public:
    block_reader_c(const source_c &source, size_t block_size, int count);
    ~block_reader_c();
    block_reader_c(const block_reader_c &) = delete;
    block_reader_c &operator=(const block_reader_c &) = delete;

    // The block that holds position from (or the first one after it); null at the end.
    read_block_s *next(uint64_t from);
    void release(read_block_s *block);

private:
    void read_loop();
    void fill(read_block_s &block);

    const source_c &source_;
    const size_t block_size_;
    std::vector<read_block_s> blocks_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<read_block_s *> free_;
    std::deque<read_block_s *> ready_;
    uint64_t read_pos_ = 0;
    uint64_t skip_to_ = 0;
    bool done_ = false;
    bool quit_ = false;
    std::thread thread_;
};
