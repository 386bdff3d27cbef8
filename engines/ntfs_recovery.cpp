#include "engines/ntfs_recovery.h"

#include "engines/found_index.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

int32_t context_int32(const ntfs_scan_context &ctx, int offset)
{
    int32_t v;
    std::memcpy(&v, ctx.bytes + offset, sizeof v);
    return v;
}

int64_t context_total(const ntfs_scan_context &ctx)
{
    int64_t v;
    std::memcpy(&v, ctx.bytes + ntfs_ctx_total_offset, sizeof v);
    return v;
}

int64_t parent_of(const ntfs_entry_s &e) { return e.parent_record; }

} // namespace

ntfs_recovery_c::ntfs_recovery_c(QObject *parent) : recovery_base_c(parent) {}

ntfs_recovery_c::~ntfs_recovery_c()
{
    set_stop(stop_discard);
    wait();
    if (context_int32(context_, ntfs_ctx_open_offset) != 0)
        ntfs_scan_shutdown(&context_);
}

void ntfs_recovery_c::set_volume(const volume_item_s &volume) { volume_ = volume; }

void ntfs_recovery_c::reset()
{
    progress_.store(0.0);
    pause_.store(0);
    stop_.store(0);
    scanned_count_.store(0);
    found_count_.store(0);
    index_.clear();
}

bool ntfs_recovery_c::wait_while_paused()
{
    while (pause_.load()) {
        QThread::msleep(100);
        if (stop_.load())
            return false;
    }
    return true;
}

void ntfs_recovery_c::log_startup_failure(int32_t result)
{
    const QString folder = platform_state_dir();
    QDir().mkpath(folder);
    const QByteArray log_path = QFile::encodeName(folder + QStringLiteral("/Quillon.log"));
    if (FILE *log = std::fopen(log_path.constData(), "a")) {
        const std::time_t now = std::time(nullptr);
        char stamp[64] = {};
        if (const char *text = std::ctime(&now))
            std::snprintf(stamp, sizeof stamp, "%s", text);
        stamp[std::strcspn(stamp, "\r\n")] = 0;
        std::fprintf(log, "%s  ", stamp);
        std::fprintf(log, "[%s:%d] ", "ntfs_recovery.cpp", 105);
        std::fprintf(log, "ntfs_scan_startup failed with return value (%d)", result);
        std::fprintf(log, "\n");
        std::fclose(log);
    }
    std::fprintf(stderr, "ERROR: ");
    std::fprintf(stderr, "[%s:%d] ", "ntfs_recovery.cpp", 105);
    std::fprintf(stderr, "ntfs_scan_startup failed with return value (%d)", result);
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
}

void ntfs_recovery_c::run()
{
    reset();
    char device[260];
    std::snprintf(device, sizeof device, "/dev/hd%c%d", char('a' + volume_.disk_number),
                  int(volume_.partition_number));
    if (context_int32(context_, ntfs_ctx_open_offset) != 0) {
        ntfs_scan_shutdown(&context_);
        std::memset(context_.bytes, 0, sizeof context_.bytes);
    }
    const int32_t r = ntfs_scan_startup(device, &context_);
    if (r < 0) {
        log_startup_failure(r);
        return;
    }
    const int64_t total = context_total(context_);
    ntfs_record_s record;
    while (stop_.load() == 0) {
        if (!wait_while_paused())
            break;
        std::memset(static_cast<void *>(&record), 0, sizeof record);
        if (ntfs_scan_next(&context_, &record) == 0)
            break;
        const int32_t position = (context_int32(context_, ntfs_ctx_position_a_offset)
                                  + context_int32(context_, ntfs_ctx_position_b_offset)) * 8
            + context_int32(context_, ntfs_ctx_position_c_offset);
        if (total > 0)
            progress_.store(double(position) / double(total));
        scanned_count_.fetch_add(1);
        if ((record.flags & ntfs_flag_deleted) || !(record.flags & ntfs_flag_file)) {
            found_count_.fetch_add(1);
            ntfs_entry_s entry;
            static_cast<ntfs_record_s &>(entry) = record;
            index_.insert(record.record_number, entry);
        }
    }
    link_children(index_, parent_of, [](int64_t, const ntfs_entry_s &) { return false; });
    mark_has_files(index_, parent_of, [](const ntfs_entry_s &e) { return (e.flags & ntfs_flag_file) != 0; });
}

int32_t ntfs_recovery_c::recover_file(int64_t id, QString destination)
{
    const QByteArray path = QFile::encodeName(destination);
    QFile::remove(destination);
    int32_t scratch = 0;
    return ntfs_extract_file(&context_, id, path.constData(), &scratch);
}

int32_t ntfs_recovery_c::get_file_path(int64_t id, QString &path)
{
    return found_entry_path(index_, id, ntfs_root_record, volume_.mount_point, parent_of,
                            [](const ntfs_entry_s &e) { return e.name_text(); }, path);
}

QList<found_row_s> ntfs_recovery_c::found_rows()
{
    QList<found_row_s> rows;
    auto root = index_.constFind(ntfs_root_record);
    if (root == index_.constEnd())
        return rows;
    // Depth first with an explicit stack; every entry is visited once, so neither the root's
    // self-loop nor a damaged parent chain can recurse.
    struct frame_s {
        const ntfs_entry_s *entry;
        int64_t parent_id;
        QString path;
    };
    QSet<int64_t> visited{ntfs_root_record};
    QList<frame_s> stack;
    auto push_children = [&](const ntfs_entry_s &dir, int64_t parent_id, const QString &path) {
        for (qsizetype i = dir.children.size() - 1; i >= 0; --i) {
            const ntfs_entry_s *child = dir.children[i];
            if (child->record_number <= ntfs_last_system_record || visited.contains(child->record_number))
                continue;
            visited.insert(child->record_number);
            stack.append({child, parent_id, path});
        }
    };
    push_children(*root, -1, QString());
    while (!stack.isEmpty()) {
        const frame_s f = stack.takeLast();
        const ntfs_entry_s &e = *f.entry;
        found_row_s row;
        row.id = e.record_number;
        row.parent_id = f.parent_id;
        row.name = e.name_text();
        row.path = f.path + QLatin1Char('/') + row.name;
        row.size = e.size > 0 ? uint64_t(e.size) : 0;
        row.modified_time = e.modified_time;
        row.created_time = e.created_time;
        row.directory = (e.flags & ntfs_flag_directory) != 0;
        row.deleted = (e.flags & ntfs_flag_deleted) != 0;
        rows.append(row);
        if (row.directory)
            push_children(e, row.id, row.path);
    }
    return rows;
}
