#include "engines/fat_recovery.h"

#include "engines/fat/sector_layer.h"
#include "engines/found_index.h"
#include "platform/drives.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSet>

#include <algorithm>
#include <ctime>

Q_LOGGING_CATEGORY(lc_fat, "vorn.fat", QtWarningMsg)

struct fat_recovery_c::walk_frame_s {
    fat_dir_s dir;
    uint32_t parent = 0;         // key of the directory being read (0 for the root)
    bool in_deleted_dir = false; // the directory is deleted or lies below a deleted one
};

namespace {

bool is_dir(const fat_entry_s &e) { return e.attributes & fat_attr_directory; }
bool is_deleted(const fat_entry_s &e) { return e.attributes & fat_attr_deleted; }

// Binds the volume name to its drive and start sector, and limits reads to its byte range.
int bind_fat_volume(const QString &volume_name, fat_binding_s &binding)
{
    uint8_t drive = 0;
    int32_t partition_number = 0;
    uint64_t start = 0;
    if (bind_volume(volume_name, drive, partition_number, start) != 0)
        return -1;
    binding = fat_binding_s{};
    binding.drive = drive;
    binding.partition_number = partition_number;
    binding.start_sector = start;
    volume_location_s loc;
    if (platform_locate_volume(volume_name, loc) == 0 && loc.length >= fat_sector_bytes)
        binding.sector_limit = loc.length / fat_sector_bytes;
    return 0;
}

} // namespace

int64_t fat_time_to_seconds(uint16_t date, uint16_t time)
{
    std::tm tm{};
    tm.tm_year = date / 512 + 1980 - 1900;
    tm.tm_mon = ((date / 32) & 15) - 1;
    tm.tm_mday = date & 31;
    tm.tm_hour = (time / 2048) & 31;
    tm.tm_min = (time / 32) & 63;
    tm.tm_sec = (time & 31) * 2;
    tm.tm_isdst = 0;
    // mktime would quietly roll month 0 or 13, day 0 or 25:61 into other dates.
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59 ||
        tm.tm_sec > 59)
        return 0;
    const std::time_t t = std::mktime(&tm);
    return t == static_cast<std::time_t>(-1) ? 0 : static_cast<int64_t>(t);
}

fat_recovery_c::fat_recovery_c(QObject *parent) : recovery_base_c(parent) {}

fat_recovery_c::~fat_recovery_c()
{
    stop_.store(stop_discard);
    wait();
}

void fat_recovery_c::set_volume(const volume_item_s &volume) { volume_ = volume; }

void fat_recovery_c::reset()
{
    progress_ = 0.0;
    pause_ = 0;
    stop_ = 0;
    scanned_ = 0;
    found_ = 0;
    index_.clear();
}

void fat_recovery_c::run()
{
    reset();
    QString name = volume_.volume_name;
    if (name.endsWith(QLatin1Char('\\')))
        name.chop(1);
    fat_binding_s binding;
    if (bind_fat_volume(name, binding) == 0) {
        f_mount(fat_, binding);
        qCDebug(lc_fat, "Start Fat Scan.");
        walk(0);
    } else {
        fat_ = fat_volume_s{}; // recover_file must not read a volume bound earlier
    }
    finish_index();
}

bool fat_recovery_c::wait_while_paused()
{
    while (pause_.load()) {
        if (stop_.load())
            return false;
        QThread::msleep(100);
    }
    return true;
}

// Depth first, entries in directory order, with an explicit stack: a deep or looping directory
// structure cannot overflow the thread's stack.
void fat_recovery_c::walk(uint32_t root_parent)
{
    QList<walk_frame_s> stack;
    stack.emplaceBack();
    if (f_opendir(fat_, stack.last().dir, u"/") != fr_ok) {
        qCDebug(lc_fat, "f_opendir failed 1.");
        return;
    }
    stack.last().parent = root_parent;
    while (!stack.isEmpty() && stop_.load() == 0) {
        if (!wait_while_paused())
            return;
        const int64_t scanned = scanned_.load();
        const double progress = scanned / 2000.0;
        progress_ = progress > 1.0 ? 0.99 : progress;
        scanned_ = scanned + 1;
        qCDebug(lc_fat, "file count:%d", static_cast<int>(scanned + 1));

        fat_info_s info;
        walk_frame_s &top = stack.last();
        if (f_readdir(top.dir, &info) != fr_ok) {
            qCDebug(lc_fat, "f_readdir failed 1.");
            stack.removeLast();
            continue;
        }
        if (info.short_name[0] == 0) {
            stack.removeLast();
            continue;
        }
        take_entry(info, top.parent, top.in_deleted_dir, stack);
    }
}

void fat_recovery_c::take_entry(const fat_info_s &info, uint32_t parent, bool in_deleted_dir,
                                QList<walk_frame_s> &stack)
{
    if (info.first_cluster == 0 || info.short_name[0] == u'.')
        return;
    uint8_t attributes = info.attributes;
    if (!(attributes & (fat_attr_directory | fat_attr_deleted)))
        return; // live files are not indexed
    if (in_deleted_dir)
        attributes |= fat_attr_deleted;

    fat_entry_s n;
    n.first_cluster = info.first_cluster;
    n.parent_cluster = parent;
    n.size = info.size;
    n.modified_time = fat_time_to_seconds(info.write_date, info.write_time);
    n.created_time = fat_time_to_seconds(info.create_date, info.create_time);
    n.attributes = attributes;
    n.in_deleted_dir = in_deleted_dir ? 1 : 0;
    const char16_t *source = info.long_name[0] ? info.long_name : info.short_name;
    for (int i = 0; i < 259 && source[i]; ++i)
        n.name[i] = source[i];
    if (attributes & fat_attr_deleted)
        n.name[0] = u'#';

    const uint32_t key = n.first_cluster;
    auto it = index_.find(key);
    if (it == index_.end()) {
        index_.insert(key, n);
        ++found_;
        if (is_dir(n)) {
            walk_frame_s child;
            if (f_opendir(fat_, child.dir, u"/") != fr_ok) {
                qCDebug(lc_fat, "f_opendir failed 2.");
                return;
            }
            fat_dir_open_cluster(child.dir, key);
            child.parent = key;
            child.in_deleted_dir = in_deleted_dir || is_deleted(n);
            stack.append(child);
        }
        return;
    }

    // The key is taken: decide which entry keeps the slot. The directory is not descended again.
    const fat_entry_s &e = it.value();
    bool replace = false;
    if (!e.in_deleted_dir && n.in_deleted_dir)
        replace = false;
    else if (!is_dir(n))
        // A live directory owns its cluster now: a deleted file that began there was overwritten.
        replace = !(is_dir(e) && !is_deleted(e)) && n.created_time > e.created_time;
    else if (is_deleted(n))
        replace = (is_dir(e) && !is_deleted(e)) ? false : n.created_time > e.created_time;
    else
        replace = true;
    if (!replace)
        return;
    // A directory that lists itself (or one of its ancestors) must not take the slot: the entry
    // would become its own ancestor and drop out of the tree.
    uint32_t up = parent;
    for (qsizetype steps = 0; up != 0 && steps <= index_.size(); ++steps) {
        if (up == key)
            return;
        auto p = index_.constFind(up);
        if (p == index_.constEnd())
            break;
        up = p->parent_cluster;
    }
    it.value() = n;
}

void fat_recovery_c::finish_index()
{
    fat_entry_s root;
    root.attributes = fat_attr_directory;
    index_.insert(0, root);
    auto parent_of = [](const fat_entry_s &e) { return e.parent_cluster; };
    link_children(index_, parent_of,
                  [](uint32_t key, const fat_entry_s &e) { return key == 0 && e.parent_cluster == 0; });
    mark_has_files(index_, parent_of, [](const fat_entry_s &e) { return !is_dir(e); });
}

int32_t fat_recovery_c::recover_file(int64_t id, QString destination)
{
    auto it = index_.constFind(static_cast<uint32_t>(id));
    if (it == index_.constEnd())
        return -1;
    const fat_entry_s &entry = it.value();
    fat_file_s file;
    fat_file_setup(file, fat_, entry.first_cluster, entry.size);
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    const bool deleted = entry.attributes & fat_attr_deleted;
    uint8_t buf[4096];
    uint64_t written = 0;
    bool failed = false;
    for (;;) {
        uint32_t got = 0;
        const int r = f_read(file, buf, sizeof buf, got, deleted);
        if (got && out.write(reinterpret_cast<const char *>(buf), got) != qint64(got)) {
            failed = true;
            break;
        }
        written += got;
        if (r != fr_ok) {
            failed = true;
            break;
        }
        if (got == 0)
            break;
    }
    out.close();
    if (!failed)
        return 0;
    if (written == 0) {
        out.remove();
        return -1;
    }
    return recover_partial;
}

int32_t fat_recovery_c::get_file_path(int64_t id, QString &path)
{
    return found_entry_path(
        index_, static_cast<uint32_t>(id), uint32_t(0), volume_.mount_point,
        [](const fat_entry_s &e) { return e.parent_cluster; },
        [](const fat_entry_s &e) { return e.name_text(); }, path);
}

QList<found_row_s> fat_recovery_c::found_rows()
{
    QList<found_row_s> rows;
    auto root = index_.constFind(0);
    if (root == index_.constEnd())
        return rows;
    struct pending_s {
        const fat_entry_s *entry;
        int64_t parent_id;
        QString parent_path;
    };
    auto sorted = [](const QList<fat_entry_s *> &children) {
        QList<const fat_entry_s *> list(children.begin(), children.end());
        std::sort(list.begin(), list.end(), [](const fat_entry_s *a, const fat_entry_s *b) {
            const int c = a->name_text().compare(b->name_text(), Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a->first_cluster < b->first_cluster;
        });
        return list;
    };
    QList<pending_s> stack;
    const auto top = sorted(root->children);
    for (auto i = top.size() - 1; i >= 0; --i)
        stack.append({top[i], -1, QString()});
    QSet<uint32_t> seen;
    while (!stack.isEmpty()) {
        const pending_s p = stack.takeLast();
        if (seen.contains(p.entry->first_cluster))
            continue;
        seen.insert(p.entry->first_cluster);
        found_row_s row;
        row.id = p.entry->first_cluster;
        row.parent_id = p.parent_id;
        row.name = p.entry->name_text();
        row.path = p.parent_path + QLatin1Char('/') + row.name;
        row.size = p.entry->size;
        row.modified_time = p.entry->modified_time;
        row.created_time = p.entry->created_time;
        row.directory = is_dir(*p.entry);
        row.deleted = is_deleted(*p.entry);
        rows.append(row);
        const auto children = sorted(p.entry->children);
        for (auto i = children.size() - 1; i >= 0; --i)
            stack.append({children[i], row.id, row.path});
    }
    return rows;
}
