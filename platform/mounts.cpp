#include "platform/mounts.h"

#include "platform/sysfs.h"

#include <libmount/libmount.h>
#include <sys/statvfs.h>

QList<mount_entry_s> platform_mount_table()
{
    QList<mount_entry_s> out;
    const QByteArray path = platform_root_path(QStringLiteral("proc/self/mountinfo")).toUtf8();
    libmnt_table *table = mnt_new_table();
    if (!table)
        return out;
    if (mnt_table_parse_file(table, path.constData()) == 0) {
        libmnt_iter *it = mnt_new_iter(MNT_ITER_FORWARD);
        libmnt_fs *fs = nullptr;
        while (it && mnt_table_next_fs(table, it, &fs) == 0) {
            const char *target = mnt_fs_get_target(fs);
            const char *source = mnt_fs_get_source(fs);
            if (target)
                out.append({mnt_fs_get_devno(fs), source ? QString::fromUtf8(source) : QString(),
                            QString::fromUtf8(target)});
        }
        mnt_free_iter(it);
    }
    mnt_unref_table(table);
    return out;
}

QStringList platform_mount_points(const QList<mount_entry_s> &table, dev_t devno, const QString &node)
{
    // The table names devices as seen from the real root.
    const QString root = platform_root_path(QString());
    const QString source = node.startsWith(root) ? QLatin1Char('/') + node.mid(root.size()) : QString();
    QStringList out;
    for (const mount_entry_s &m : table) {
        const bool by_number = devno != 0 && m.devno == devno;
        const bool by_source = !source.isEmpty() && m.source == source;
        if ((by_number || by_source) && !out.contains(m.target))
            out.append(m.target);
    }
    return out;
}

int platform_mounted_sizes(const QString &target, uint64_t &total, uint64_t &free_bytes)
{
    QString rel = target;
    while (rel.startsWith(QLatin1Char('/')))
        rel.remove(0, 1);
    const QByteArray path = platform_root_path(rel).toUtf8();
    struct statvfs st {};
    if (statvfs(path.constData(), &st) != 0)
        return -1;
    const uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
    total = static_cast<uint64_t>(st.f_blocks) * unit;
    free_bytes = static_cast<uint64_t>(st.f_bfree) * unit;
    return 0;
}
