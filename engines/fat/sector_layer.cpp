#include "engines/fat/sector_layer.h"

#include "platform/drives.h"

#include <QLoggingCategory>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

Q_LOGGING_CATEGORY(lc_sector, "vorn.sector", QtWarningMsg)

namespace {

using namespace std::chrono_literals;

struct drive_slot_s {
    std::atomic<uint8_t> status{drive_status_noinit};
    uint32_t sector_size = 0;
    uint64_t sector_count = 0;
    std::unique_ptr<source_c> source;
    QString node;
    bool attached = false; // placed by a test: no node to probe
};

struct sector_layer_s {
    std::array<drive_slot_s, sector_max_drives> drives;
    std::atomic<int> count{0};
    std::timed_mutex lock;
    uint8_t *buffer = nullptr;
    std::thread media_thread;
    std::atomic<bool> media_stop{false};

    ~sector_layer_s() { stop_media_thread(); std::free(buffer); }

    void stop_media_thread()
    {
        media_stop = true;
        if (media_thread.joinable())
            media_thread.join();
        media_stop = false;
    }
};

sector_layer_s &layer()
{
    static sector_layer_s instance;
    return instance;
}

// Re-checks one drive: medium present, 512-byte logical sectors, write protection.
// Called with the lock held.
bool check_drive(drive_slot_s &d)
{
    if (!d.source) {
        d.status = drive_status_noinit;
        return false;
    }
    uint32_t sector_size = 512;
    uint64_t bytes = d.source->size();
    bool read_only = true;
    if (!d.attached) {
        drive_probe_s probe;
        const auto *file = dynamic_cast<const file_source_c *>(d.source.get());
        if (!file || platform_probe_open_drive(d.node, file->fd(), probe) != 0 || !probe.present) {
            d.status = drive_status_noinit;
            return false;
        }
        sector_size = probe.logical_sector_size;
        bytes = probe.size_bytes;
        read_only = probe.read_only;
    } else {
        sector_size = d.sector_size;
        if (bytes == 0) {
            d.status = drive_status_noinit;
            return false;
        }
    }
    d.sector_size = sector_size;
    if (sector_size != 512) {
        d.status = drive_status_noinit;
        return false;
    }
    d.sector_count = bytes / 512;
    d.status = read_only ? drive_status_protect : 0;
    return true;
}

void open_drives_locked()
{
    sector_layer_s &l = layer();
    const QStringList nodes = platform_drive_nodes();
    int opened = 0;
    for (int n = 0; n < sector_max_drives; ++n) {
        drive_slot_s &d = l.drives[n];
        d.source.reset();
        d.attached = false;
        d.status = drive_status_noinit;
        d.node.clear();
        if (n >= nodes.size() || opened != n)
            continue;
        d.node = nodes[n];
        d.source = platform_open_drive(nodes[n]);
        if (!d.source) {
            d.node.clear();
            continue; // stop at the first drive that fails to open
        }
        ++opened;
        const bool ok = check_drive(d);
        if (ok)
            qCDebug(lc_sector, "Disk# %d <== %s (%lluMB, %u bytes * %llu sectors)", n,
                    qPrintable(d.node),
                    static_cast<unsigned long long>(d.sector_count * d.sector_size / 1024 / 1024),
                    d.sector_size, static_cast<unsigned long long>(d.sector_count));
        else
            qCDebug(lc_sector, "Disk# %d <== %s (Not Ready)", n, qPrintable(d.node));
    }
    l.count = opened;
}

void media_check_loop()
{
    sector_layer_s &l = layer();
    while (!l.media_stop) {
        // Drive 0 is the system disk and is never marked this way.
        for (int n = 1; n < l.count && !l.media_stop; ++n) {
            std::this_thread::sleep_for(1ms);
            drive_slot_s &d = l.drives[n];
            if (d.status & drive_status_noinit)
                continue;
            if (!l.lock.try_lock_for(100ms))
                continue;
            // The handle is looked at only under the lock: a reopen may be replacing it.
            const auto *file = dynamic_cast<const file_source_c *>(d.source.get());
            drive_probe_s probe;
            if (file && !d.attached && (platform_probe_fd(file->fd(), probe) != 0 || !probe.present))
                d.status = drive_status_noinit;
            l.lock.unlock();
        }
        std::this_thread::sleep_for(100ms);
    }
}

} // namespace

int init_sector_layer()
{
    sector_layer_s &l = layer();
    {
        std::lock_guard<std::timed_mutex> guard(l.lock);
        if (!l.buffer)
            l.buffer = static_cast<uint8_t *>(std::aligned_alloc(4096, sector_transfer_bytes));
        if (!l.buffer)
            return 0;
        open_drives_locked();
    }
    if (!l.media_thread.joinable())
        l.media_thread = std::thread(media_check_loop);
    return l.count;
}

void reopen_sector_drives()
{
    std::lock_guard<std::timed_mutex> guard(layer().lock);
    open_drives_locked();
}

void shutdown_sector_layer()
{
    sector_layer_s &l = layer();
    l.stop_media_thread();
    std::lock_guard<std::timed_mutex> guard(l.lock);
    for (drive_slot_s &d : l.drives) {
        d.source.reset();
        d.attached = false;
        d.status = drive_status_noinit;
    }
    l.count = 0;
}

int sector_drive_count() { return layer().count; }

uint8_t sector_drive_status(uint8_t drive)
{
    sector_layer_s &l = layer();
    if (drive >= l.count)
        return drive_status_noinit;
    std::unique_lock<std::timed_mutex> guard(l.lock, 5000ms);
    if (!guard.owns_lock())
        return drive_status_noinit;
    check_drive(l.drives[drive]);
    return l.drives[drive].status;
}

uint8_t sector_drive_status_cached(uint8_t drive)
{
    sector_layer_s &l = layer();
    if (drive >= l.count)
        return drive_status_noinit;
    return l.drives[drive].status;
}

int read_drive_sectors(uint8_t drive, uint8_t *dest, uint64_t sector, uint32_t count)
{
    sector_layer_s &l = layer();
    if (drive >= l.count || (l.drives[drive].status & drive_status_noinit))
        return sector_not_ready;
    std::unique_lock<std::timed_mutex> guard(l.lock, 3000ms);
    if (!guard.owns_lock())
        return sector_not_ready;
    drive_slot_s &d = l.drives[drive];
    if (!d.source || d.sector_size == 0 || !l.buffer)
        return sector_not_ready;
    const uint64_t bytes = static_cast<uint64_t>(count) * d.sector_size;
    if (count == 0 || bytes > sector_transfer_bytes)
        return sector_bad_param;
    if (sector > UINT64_MAX / d.sector_size)
        return sector_error;
    if (!d.source->read_exact(sector * d.sector_size, l.buffer, bytes))
        return sector_error;
    std::memcpy(dest, l.buffer, bytes);
    return sector_ok;
}

int bind_volume(const QString &volume_name, uint8_t &drive, int32_t &partition_number,
                uint64_t &start_sector)
{
    volume_location_s loc;
    if (platform_locate_volume(volume_name, loc) != 0 || loc.drive_node.isEmpty())
        return -1;
    // Drives may have come or gone since the table was opened, shifting the numbers: bind to the
    // slot that holds this volume's drive, never to whatever now has its number.
    sector_layer_s &l = layer();
    std::unique_lock<std::timed_mutex> guard(l.lock, 5000ms);
    if (!guard.owns_lock())
        return -1;
    int found = -1;
    for (int n = 0; n < l.count && found < 0; ++n)
        if (l.drives[n].source && l.drives[n].node == loc.drive_node)
            found = n;
    if (found < 0)
        return -1;
    drive = static_cast<uint8_t>(found);
    partition_number = loc.partition_number;
    start_sector = loc.offset / 512;
    return 0;
}

void sector_layer_attach(int n, std::unique_ptr<source_c> source, uint32_t sector_size)
{
    sector_layer_s &l = layer();
    if (n < 0 || n >= sector_max_drives)
        return;
    std::lock_guard<std::timed_mutex> guard(l.lock);
    if (!l.buffer)
        l.buffer = static_cast<uint8_t *>(std::aligned_alloc(4096, sector_transfer_bytes));
    drive_slot_s &d = l.drives[n];
    d.source = std::move(source);
    d.attached = true;
    d.sector_size = sector_size;
    d.node = d.source ? d.source->description() : QString();
    check_drive(d);
    if (l.count <= n)
        l.count = n + 1;
}
