#include "fake_engines.h"

#include "engines/found_index.h"

#include <QFile>
#include <cstring>

void fake_engine_c::reset()
{
    progress = 0.0;
    stop = 0;
    pause = 0;
    scanned = 0;
    found = 0;
    ++resets;
    if (clear)
        clear();
}

void fake_engine_c::run()
{
    ++runs;
    while (hold && !stop) {
        msleep(2);
        if (!pause)
            ++scanned;
    }
    if (publish)
        publish();
}

int32_t fake_engine_c::recover_file(int64_t id, QString destination)
{
    if (!contents.contains(id))
        return -1;
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray bytes = contents.value(id);
    if (partial_ids.contains(id)) {
        out.write(bytes.left(bytes.size() / 2));
        return recover_partial;
    }
    out.write(bytes);
    return 0;
}

int32_t fake_engine_c::get_file_path(int64_t id, QString &path)
{
    if (!live_paths.contains(id))
        return -1;
    path = live_paths.value(id);
    return 0;
}

fake_engine_set_c::fake_engine_set_c()
{
    fat.publish = [this] {
        fat_index = fat_result;
        finish_fat(fat_index);
        fat.found = fat_index.size() - 1;
    };
    fat.clear = [this] { fat_index.clear(); };
    ntfs.publish = [this] {
        ntfs_index = ntfs_result;
        finish_ntfs(ntfs_index);
        ntfs.found = ntfs_index.size();
    };
    ntfs.clear = [this] { ntfs_index.clear(); };
    raw.publish = [this] {
        records = raw_result;
        by_extension.clear();
        for (const raw_entry_s &r : std::as_const(records))
            by_extension[QByteArray(r.extension, qsizetype(qstrnlen(r.extension, 8)))].append(r.index);
    };
    raw.clear = [this] {
        records.clear();
        by_extension.clear();
    };
}

recovery_base_c *fake_engine_set_c::engine(engine_kind_e kind)
{
    switch (kind) {
    case engine_fat: return &fat;
    case engine_ntfs: return &ntfs;
    case engine_deep: return &raw;
    default: return nullptr;
    }
}

const fat_entry_s *fake_engine_set_c::fat_root()
{
    auto it = fat_index.find(0);
    return it == fat_index.end() ? nullptr : &it.value();
}

const ntfs_entry_s *fake_engine_set_c::ntfs_root()
{
    auto it = ntfs_index.find(ntfs_root_record);
    return it == ntfs_index.end() ? nullptr : &it.value();
}

QList<raw_category_s> fake_engine_set_c::raw_categories()
{
    QList<raw_category_s> out;
    for (const auto &[ext, ids] : by_extension)
        out.append({ext, &ids});
    return out;
}

const raw_entry_s *fake_engine_set_c::raw_record(int64_t position)
{
    return position >= 0 && position < records.size() ? &records[position] : nullptr;
}

std::span<const int64_t> fake_engine_set_c::category_ids(const void *ids)
{
    if (!ids)
        return {};
    const auto &list = *static_cast<const QList<int64_t> *>(ids);
    return {list.constData(), size_t(list.size())};
}

int32_t fake_engine_set_c::save_results(const QString &path)
{
    saved_paths.append(path);
    return records.isEmpty() ? -1 : 0;
}

QString fake_engine_set_c::load_results(const QString &)
{
    raw_result = raw_result.isEmpty() ? records : raw_result;
    raw.publish();
    return load_answer;
}

static void set_name(char16_t (&dest)[260], const QString &name)
{
    const qsizetype n = std::min<qsizetype>(name.size(), 259);
    std::memcpy(dest, name.utf16(), size_t(n) * sizeof(char16_t));
    dest[n] = 0;
}

fat_entry_s fat_dir(uint32_t cluster, uint32_t parent, const QString &name, bool deleted)
{
    fat_entry_s e;
    e.first_cluster = cluster;
    e.parent_cluster = parent;
    e.attributes = fat_attr_directory | (deleted ? fat_attr_deleted : 0);
    set_name(e.name, name);
    return e;
}

fat_entry_s fat_file(uint32_t cluster, uint32_t parent, const QString &name, uint32_t size)
{
    fat_entry_s e;
    e.first_cluster = cluster;
    e.parent_cluster = parent;
    e.size = size;
    e.attributes = 0x20 | fat_attr_deleted;
    e.modified_time = 1700000000 + cluster;
    e.created_time = 1600000000 + cluster;
    set_name(e.name, name);
    return e;
}

void finish_fat(QHash<uint32_t, fat_entry_s> &index)
{
    if (!index.contains(0))
        index.insert(0, fat_dir(0, 0, QString()));
    link_children(index, [](const fat_entry_s &e) { return e.parent_cluster; },
                  [](uint32_t key, const fat_entry_s &e) { return key == 0 && e.parent_cluster == 0; });
    mark_has_files(index, [](const fat_entry_s &e) { return e.parent_cluster; },
                   [](const fat_entry_s &e) { return !(e.attributes & fat_attr_directory); });
}

ntfs_entry_s ntfs_entry(int64_t record, int64_t parent, const QString &name, uint32_t flags, int64_t size)
{
    ntfs_entry_s e;
    e.record_number = record;
    e.parent_record = parent;
    e.flags = flags;
    e.size = size;
    e.modified_time = 1700000000;
    set_name(e.name, name);
    return e;
}

void finish_ntfs(QHash<int64_t, ntfs_entry_s> &index)
{
    link_children(index, [](const ntfs_entry_s &e) { return e.parent_record; },
                  [](int64_t, const ntfs_entry_s &) { return false; });
    mark_has_files(index, [](const ntfs_entry_s &e) { return e.parent_record; },
                   [](const ntfs_entry_s &e) { return (e.flags & ntfs_flag_file) != 0; });
}

raw_entry_s raw_entry(int64_t index, const char *extension, int64_t size)
{
    raw_entry_s r;
    r.index = index;
    r.size = size;
    std::memcpy(r.extension, extension, std::min(sizeof r.extension, std::strlen(extension)));
    return r;
}
