// Times the partition search over a sparse multi-GiB image next to a plain sequential read of the
// same image in windows of the same size, and prints both throughputs and their ratio.
//
//   bench_partition_search [GIB] [FOLDER]    (default 8 GiB in the temporary folder)
//
// Build without sanitizers for meaningful figures.
#include "partition/partition_repair.h"
#include "platform/drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr qint64 MiB = 1024 * 1024;

QByteArray ntfs_boot(uint64_t total_sectors)
{
    QByteArray s(512, '\0');
    std::memcpy(s.data() + 3, "NTFS    ", 8);
    for (int i = 0; i < 8; ++i)
        s[0x28 + i] = static_cast<char>(total_sectors >> (8 * i));
    s[510] = char(0x55);
    s[511] = char(0xAA);
    return s;
}

// A sparse image with small NTFS boot sectors spread over it, so the search finds and skips.
bool make_image(const QString &path, qint64 size, int *placed)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || !f.resize(size))
        return false;
    *placed = 0;
    for (qint64 at = 100 * MiB; at + MiB < size; at += 1024 * MiB) {
        if (!f.seek(at) || f.write(ntfs_boot(2047)) != 512)
            return false;
        ++*placed;
    }
    return true;
}

double sequential_read(const QString &path, uint64_t *bytes)
{
    const auto source = platform_open_drive(path);
    std::vector<uint8_t> buf(partition_repair_c::window_sectors * 512);
    QElapsedTimer t;
    t.start();
    uint64_t pos = 0;
    while (source && source->read_exact(pos, buf.data(), buf.size()))
        pos += buf.size();
    *bytes = pos;
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

double search(const QString &path, uint64_t size, qsizetype *found)
{
    drive_item_s drive;
    drive.device_path = path;
    drive.size_bytes = size;
    partition_repair_c worker;
    QElapsedTimer t;
    t.start();
    worker.start_search(drive);
    worker.wait();
    const double secs = static_cast<double>(t.nsecsElapsed()) / 1e9;
    *found = worker.partition_count();
    return secs;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 gib = args.size() > 1 ? args[1].toLongLong() : 8;
    QTemporaryDir dir(args.size() > 2 ? QDir(args[2]).filePath(QStringLiteral("bench-XXXXXX")) : QString());
    if (gib <= 0 || !dir.isValid()) {
        std::fprintf(stderr, "usage: bench_partition_search [GIB] [FOLDER]\n");
        return 2;
    }
#if defined(__SANITIZE_ADDRESS__)
    std::fprintf(stderr, "note: built with AddressSanitizer; figures are not representative\n");
#endif
    const QString image = dir.filePath(QStringLiteral("sparse.img"));
    const qint64 size = gib * 1024 * MiB;
    int placed = 0;
    if (!make_image(image, size, &placed)) {
        std::fprintf(stderr, "cannot create %s\n", qUtf8Printable(image));
        return 1;
    }
    // Best of two runs each, alternating, so both see the same cache and machine load.
    double read_s = 1e30, search_s = 1e30;
    uint64_t read_bytes = 0;
    qsizetype found = 0;
    for (int run = 0; run < 2; ++run) {
        read_s = std::min(read_s, sequential_read(image, &read_bytes));
        search_s = std::min(search_s, search(image, static_cast<uint64_t>(size), &found));
    }
    const double mib = static_cast<double>(size) / MiB;
    std::printf("image: %lld GiB sparse, %d boot sectors placed, %lld found\n", static_cast<long long>(gib), placed,
                static_cast<long long>(found));
    std::printf("sequential read : %8.3f s  %9.1f MiB/s\n", read_s, static_cast<double>(read_bytes) / MiB / read_s);
    std::printf("partition search: %8.3f s  %9.1f MiB/s\n", search_s, mib / search_s);
    std::printf("search / read throughput ratio: %.2f\n", (mib / search_s) / (static_cast<double>(read_bytes) / MiB / read_s));
    return found == placed ? 0 : 1;
}
