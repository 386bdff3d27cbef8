#include "cli/cli_recover_paths.h"

#include "engines/safe_name.h"

#include <QSet>

namespace {

// "name~id.ext" for a name already taken in its folder.
QString unique_variant(const QString &name, int64_t id)
{
    const QString tag = QStringLiteral("~%1").arg(id);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        return name.left(dot) + tag + name.mid(dot);
    return name + tag;
}

} // namespace

QHash<int64_t, QString> cli_recover_paths(const QList<found_row_s> &rows)
{
    QHash<int64_t, QString> paths;
    QHash<int64_t, QSet<QString>> used; // by parent id; compared without case for FAT targets
    for (const found_row_s &row : rows) {
        const QString fallback = QStringLiteral("id%1").arg(row.id);
        QString name = safe_name_component(row.name, fallback);
        QSet<QString> &taken = used[row.parent_id];
        if (taken.contains(name.toCaseFolded()))
            name = safe_name_component(unique_variant(name, row.id), fallback);
        taken.insert(name.toCaseFolded());
        const QString parent = row.parent_id < 0 ? QString() : paths.value(row.parent_id);
        paths.insert(row.id, parent.isEmpty() ? name : parent + QLatin1Char('/') + name);
    }
    return paths;
}
