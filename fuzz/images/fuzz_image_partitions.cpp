// An image file's partition table and file-system probes, as the volume list reads them.

#include "platform/partitions.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const int fd = memfd_create("vorn-fuzz-image", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0)
        return 0;
    if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    QList<partition_entry_s> parts;
    QList<int> extended;
    platform_read_partitions(fd, size, 512, parts, &extended);
    for (const partition_entry_s &p : parts) {
        filesystem_info_s fs;
        platform_probe_filesystem(fd, p.offset, p.length, fs);
    }
    filesystem_info_s whole;
    platform_probe_filesystem(fd, 0, size, whole);
    return 0;
}
