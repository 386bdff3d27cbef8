// The partition search over a drive made of the input, repeated to fill a few windows so that
// boot sectors land at every position of a window.

#include "partition/partition_repair.h"
#include "platform/source.h"

#include <QByteArray>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArray drive(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    while (drive.size() < 600 * 512)
        drive.append(drive.left(600 * 512 - drive.size()));
    memory_source_c source(drive);
    partition_repair_c worker;
    // The first 8 bytes, when present, stand for the size the drive record claims.
    uint64_t claimed = static_cast<uint64_t>(drive.size());
    if (size >= 8) {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v |= static_cast<uint64_t>(data[i]) << (8 * i);
        if (v & 1)
            claimed = v >> 1;
    }
    worker.search_source(source, claimed);
    (void)worker.snapshot();
    return 0;
}
