#include "engines/carve/carve_scanner.h"

#include "engines/carve/block_reader.h"
#include "engines/carve/carve_dispatch.h"
#include "engines/carve/carve_user.h"
#include "platform/source.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr uint64_t sector = 512;
constexpr size_t block_size = 8 * 1024 * 1024;
constexpr uint64_t poll_sectors = 4096; // stop and pause are polled at least every 2 MiB

// Waits while paused; true when the scan must end.
bool wait_or_stop(sc_scan_params &params)
{
    while (params.pause.load() && !params.stop.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return params.stop.load() != 0;
}

} // namespace

void carve_scan(sc_scan_params &params, const source_c &source, const carve_config_s &config)
{
    const uint64_t size = source.size();
    const carve_dispatch_c dispatch(config);
    std::vector<uint8_t> cache;
    // Small sources (tests, fuzzing) do not need full-size blocks.
    const size_t block_len = size_t(std::min<uint64_t>(block_size, (size + sector - 1) / sector * sector));
    block_reader_c reader(source, block_len, 3);
    uint64_t pos = 0;
    uint64_t polled = 0;
    while (pos < size && !wait_or_stop(params)) {
        read_block_s *block = reader.next(pos);
        if (!block)
            break;
        pos = std::max(pos, block->pos);
        const uint64_t end = block->pos + block->len;
        while (pos < end) {
            if (++polled % poll_sectors == 0) {
                params.progress.store(double(pos) / double(size));
                if (wait_or_stop(params))
                    break;
            }
            const uint8_t *data = block->data.data() + (pos - block->pos);
            const size_t avail = size_t(std::min<uint64_t>(sector, end - pos));
            carve_hit_s hit;
            dispatch.match(data, avail, [&](const carve_candidate_s &c) {
                const uint64_t limit = std::min(c.max_size, size - pos);
                carve_cursor_c cur(source, pos, limit, cache, &params.stop);
                cur.set_window(block->data.data(), block->pos, block->len);
                hit = c.format ? c.format->carve(cur) : carve_user_signature(*c.user, cur);
                if (hit.size > limit)
                    hit.size = 0;
                return hit.size > 0;
            });
            if (hit.size > 0 && !params.stop.load()) {
                if (params.callback)
                    params.callback(params.user, hit.extension, int64_t(pos), int64_t(hit.size));
                // Continue behind the file, so pictures embedded in it are not reported again.
                pos += (hit.size + sector - 1) / sector * sector;
            } else {
                pos += sector;
            }
        }
        reader.release(block);
        params.progress.store(std::min(1.0, double(std::min(pos, size)) / double(size)));
        if (params.stop.load())
            break;
    }
    if (!params.stop.load())
        params.progress.store(1.0);
}
