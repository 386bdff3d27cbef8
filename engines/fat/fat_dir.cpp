// Directory walking: rewinding, advancing slot by slot, long-name assembly, f_readdir.

#include "engines/fat/fat_bytes.h"
#include "engines/fat/fat_names.h"
#include "engines/fat/fat_volume.h"

#include <algorithm>

namespace {

constexpr uint32_t entries_per_sector = fat_sector_bytes / 32;

int dir_end(fat_dir_s &dir, int result)
{
    dir.sector = 0;
    return result;
}

// To entry 0 of the directory that starts at dir.start_cluster. A failure leaves the directory
// at its end, so it yields nothing rather than another directory's entries.
int dir_rewind(fat_dir_s &dir)
{
    fat_volume_s &vol = *dir.vol;
    dir.index = 0;
    dir.lfn_start = 0xFFFF;
    dir.pending = fr_ok;
    dir.chain.clear();
    uint32_t clst = dir.start_cluster;
    if (clst == 1 || clst >= vol.fat_entries)
        return dir_end(dir, fr_int_err);
    if (clst == 0 && vol.fat_type == fat_32) {
        if (vol.root_start < 2 || vol.root_start >= vol.fat_entries)
            return dir_end(dir, fr_int_err);
        clst = static_cast<uint32_t>(vol.root_start);
    }
    if (clst == 0) {
        if (vol.root_entries == 0)
            return dir_end(dir, fr_int_err);
        dir.cluster = 0;
        dir.sector = vol.root_start;
    } else {
        dir.cluster = clst;
        dir.sector = fat_cluster_sector(vol, clst);
    }
    if (dir.cluster)
        dir.chain.push_back(dir.cluster);
    return fr_ok;
}

// To the next 32-byte slot, following the cluster chain. A chain that comes back to a cluster
// it has visited ends the directory like a broken one. At most 65535 slots make a directory, so
// the chain stays short enough to search.
int dir_next(fat_dir_s &dir)
{
    fat_volume_s &vol = *dir.vol;
    if (dir.index == 0xFFFF || dir.sector == 0)
        return fr_no_file;
    const uint32_t i = dir.index + 1u;
    if (i % entries_per_sector == 0) {
        ++dir.sector;
        if (dir.cluster == 0) {
            if (i >= vol.root_entries)
                return fr_no_file;
        } else if ((i / entries_per_sector) % vol.cluster_size == 0) {
            const uint32_t next = fat_get_entry(vol, dir.cluster);
            if (next == 0xFFFFFFFF)
                return fr_disk_err;
            if (next < 2)
                return fr_int_err; // a deleted directory ends after its first cluster
            if (next >= vol.fat_entries)
                return fr_no_file;
            if (std::find(dir.chain.begin(), dir.chain.end(), next) != dir.chain.end())
                return fr_int_err;
            dir.chain.push_back(next);
            dir.cluster = next;
            dir.sector = fat_cluster_sector(vol, next);
        }
    }
    dir.index = static_cast<uint16_t>(i);
    return fr_ok;
}

// Reads slots up to the next short entry, collecting its long name on the way.
int dir_read(fat_dir_s &dir)
{
    fat_volume_s &vol = *dir.vol;
    uint8_t ord = 0xFF;
    uint8_t sum = 0xFF;
    int res = fr_no_file;
    while (dir.sector) {
        res = fat_load_window(vol, dir.sector);
        if (res != fr_ok)
            break;
        const uint8_t *e = vol.window.data() + (dir.index % entries_per_sector) * 32;
        uint8_t c = e[0];
        if (c == 0) {
            res = fr_no_file;
            break;
        }
        const uint8_t a = e[11] & 0x7F;
        dir.deleted = c == 0xE5;
        if (c == '.' || ((a & fat_attr_volume) && a != fat_attr_long_name)) {
            ord = 0xFF;
        } else if (a == fat_attr_long_name) {
            if (c & 0x40) {
                sum = e[13];
                c &= 0xBF;
                ord = c;
                dir.lfn_start = dir.index;
            }
            ord = (c == ord && sum == e[13] && fat_take_lfn_piece(dir.lfn.data(), e))
                      ? static_cast<uint8_t>(ord - 1)
                      : 0xFF;
        } else {
            if (ord != 0 || sum != fat_short_name_checksum(e))
                dir.lfn_start = 0xFFFF;
            return fr_ok;
        }
        res = dir_next(dir);
        if (res != fr_ok)
            break;
    }
    return dir_end(dir, res);
}

void fill_info(const fat_dir_s &dir, fat_info_s &info)
{
    const fat_volume_s &vol = *dir.vol;
    const uint8_t *e = vol.window.data() + (dir.index % entries_per_sector) * 32;
    info.size = fat_le32(e + 28);
    info.first_cluster = fat_le16(e + 26);
    if (vol.fat_type == fat_32)
        info.first_cluster |= uint32_t(fat_le16(e + 20)) << 16;
    info.write_time = fat_le16(e + 22);
    info.write_date = fat_le16(e + 24);
    info.create_time = fat_le16(e + 14);
    info.create_date = fat_le16(e + 16);
    // The reserved bit 0x40 of the disk is dropped: here it means "deleted".
    info.attributes = static_cast<uint8_t>((e[11] & ~fat_attr_removed) | (dir.deleted ? fat_attr_removed : 0));
    fat_decode_short_name(e, info.short_name);
    info.long_name[0] = 0;
    if (dir.lfn_start != 0xFFFF) {
        int n = 0;
        while (n < fat_lfn_units - 1 && dir.lfn[n] != 0) {
            info.long_name[n] = dir.lfn[n];
            ++n;
        }
        info.long_name[n] = 0;
    }
}

} // namespace

int f_readdir(fat_dir_s &dir, fat_info_s *info)
{
    const int check = fat_check_object(dir.vol, dir.mount_id);
    if (check != fr_ok)
        return check;
    if (!info)
        return dir_rewind(dir);
    info->short_name[0] = 0;
    info->long_name[0] = 0;
    if (dir.pending != fr_ok) {
        const int r = dir.pending;
        dir.pending = fr_ok;
        return r;
    }
    int res = dir_read(dir);
    if (res == fr_no_file)
        return fr_ok; // end of the directory: empty name
    if (res != fr_ok)
        return res;
    fill_info(dir, *info);
    res = dir_next(dir);
    if (res != fr_ok) {
        // The entry just read is delivered; a failure past it is reported by the next call.
        dir.sector = 0;
        if (res != fr_no_file)
            dir.pending = res;
    }
    return fr_ok;
}

int f_opendir(fat_volume_s &vol, fat_dir_s &dir, const char16_t *path)
{
    int res = fat_mount_if_needed(vol);
    if (res != fr_ok)
        return res;
    dir.vol = &vol;
    while (path && (*path == u'/' || *path == u'\\'))
        ++path;
    if (path && *path)
        return fr_no_path; // only the root is opened by path
    dir.mount_id = vol.mount_id;
    dir.start_cluster = 0;
    res = dir_rewind(dir);
    return res == fr_no_file ? fr_no_path : res;
}

int fat_dir_open_cluster(fat_dir_s &dir, uint32_t cluster)
{
    dir.start_cluster = cluster;
    dir.cluster = cluster;
    return f_readdir(dir, nullptr);
}
