// File data: by the FAT chain, or as contiguous clusters for deleted files. Whole sectors go
// straight into the caller's buffer; partial sectors through the file's own sector buffer.

#include "engines/fat/fat_volume.h"

#include <cstring>

void fat_file_setup(fat_file_s &file, fat_volume_s &vol, uint32_t first_cluster, uint32_t size)
{
    file.vol = &vol;
    file.mount_id = vol.mount_id;
    file.flags = fat_file_read;
    file.pos = 0;
    file.size = size;
    file.first_cluster = first_cluster;
    file.cluster = 0;
    file.buf_valid = false;
    file.buf_sector = 0;
}

namespace {

int file_fail(fat_file_s &file, int result)
{
    file.flags |= fat_file_error;
    return result;
}

// Cluster that holds the byte at file.pos, at a cluster boundary.
int next_cluster(fat_file_s &file, bool deleted)
{
    fat_volume_s &vol = *file.vol;
    uint32_t clst = 0;
    if (file.pos == 0)
        clst = file.first_cluster;
    else if (deleted)
        clst = file.cluster + 1; // the FAT of a deleted file was cleared: assume contiguity
    else
        clst = fat_get_entry(vol, file.cluster);
    if (clst == 0xFFFFFFFF)
        return file_fail(file, fr_disk_err);
    if (clst < 2 || clst >= vol.fat_entries)
        return file_fail(file, fr_int_err);
    file.cluster = clst;
    return fr_ok;
}

} // namespace

int f_read(fat_file_s &file, void *dest, uint32_t count, uint32_t &bytes_read, bool deleted)
{
    bytes_read = 0;
    const int check = fat_check_object(file.vol, file.mount_id);
    if (check != fr_ok)
        return check;
    if (file.flags & fat_file_error)
        return fr_int_err;
    if (!(file.flags & fat_file_read))
        return fr_denied;
    if (file.pos >= file.size)
        return fr_ok;
    if (count > file.size - file.pos)
        count = file.size - file.pos;

    fat_volume_s &vol = *file.vol;
    auto *out = static_cast<uint8_t *>(dest);
    while (count) {
        const uint32_t in_sector = file.pos % fat_sector_bytes;
        uint32_t chunk = 0;
        if (in_sector == 0) {
            const uint32_t csect = (file.pos / fat_sector_bytes) & (vol.cluster_size - 1u);
            if (csect == 0) {
                const int r = next_cluster(file, deleted);
                if (r != fr_ok)
                    return r;
            }
            const uint64_t first = fat_cluster_sector(vol, file.cluster);
            if (first == 0)
                return file_fail(file, fr_int_err);
            const uint64_t sector = first + csect;
            uint32_t whole = count / fat_sector_bytes;
            if (whole) {
                if (csect + whole > vol.cluster_size)
                    whole = vol.cluster_size - csect;
                if (fat_read_sectors(vol, out, sector, whole) != fr_ok)
                    return file_fail(file, fr_disk_err);
                chunk = whole * fat_sector_bytes;
            } else if (!file.buf_valid || file.buf_sector != sector) {
                file.buf_valid = false;
                if (fat_read_sectors(vol, file.buf.data(), sector, 1) != fr_ok)
                    return file_fail(file, fr_disk_err);
                file.buf_sector = sector;
                file.buf_valid = true;
            }
        }
        if (chunk == 0) {
            if (!file.buf_valid)
                return file_fail(file, fr_int_err);
            chunk = fat_sector_bytes - in_sector;
            if (chunk > count)
                chunk = count;
            std::memcpy(out, file.buf.data() + in_sector, chunk);
        }
        file.pos += chunk;
        out += chunk;
        bytes_read += chunk;
        count -= chunk;
    }
    return fr_ok;
}
