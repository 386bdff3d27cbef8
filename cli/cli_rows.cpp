#include "cli/cli_rows.h"

#include "app/settings.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

QString cli_time_text(int64_t seconds)
{
    if (seconds == 0)
        return QStringLiteral("-");
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

QJsonValue iso_time(int64_t seconds)
{
    if (seconds == 0)
        return QJsonValue::Null;
    const QDateTime t = QDateTime::fromSecsSinceEpoch(seconds);
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

QString cli_rows_tree(const QList<found_row_s> &rows)
{
    QHash<int64_t, int> depth;
    QString out;
    for (const found_row_s &row : rows) {
        const int d = row.parent_id < 0 ? 0 : depth.value(row.parent_id, 0) + 1;
        depth.insert(row.id, d);
        QString name = QString(2 * d, QLatin1Char(' ')) + row.name;
        if (row.directory)
            name += QLatin1Char('/');
        const QString size = row.directory ? QString() : format_size(row.size);
        out += QStringLiteral("%1  %2  %3%4\n")
                   .arg(name, -48)
                   .arg(size, 10)
                   .arg(cli_time_text(row.modified_time), -19)
                   .arg(row.deleted ? QStringLiteral("  deleted") : QString());
    }
    return out;
}

QJsonDocument cli_rows_json(const cli_scan_s &scan, const QList<found_row_s> &rows)
{
    QJsonArray entries;
    for (const found_row_s &row : rows) {
        QJsonObject o;
        o.insert(QStringLiteral("id"), static_cast<qint64>(row.id));
        o.insert(QStringLiteral("parent_id"),
                 row.parent_id < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(static_cast<qint64>(row.parent_id)));
        o.insert(QStringLiteral("name"), row.name);
        o.insert(QStringLiteral("path"), row.path);
        o.insert(QStringLiteral("size"), static_cast<qint64>(row.size));
        o.insert(QStringLiteral("modified_time"), static_cast<qint64>(row.modified_time));
        o.insert(QStringLiteral("created_time"), static_cast<qint64>(row.created_time));
        o.insert(QStringLiteral("modified"), iso_time(row.modified_time));
        o.insert(QStringLiteral("created"), iso_time(row.created_time));
        o.insert(QStringLiteral("directory"), row.directory);
        o.insert(QStringLiteral("deleted"), row.deleted);
        if (!row.extension.isEmpty())
            o.insert(QStringLiteral("extension"), row.extension);
        entries.append(o);
    }
    QJsonObject volume;
    volume.insert(QStringLiteral("volume_name"), scan.volume.volume_name);
    volume.insert(QStringLiteral("device_name"), scan.volume.device_name);
    volume.insert(QStringLiteral("file_system"), scan.volume.file_system);
    volume.insert(QStringLiteral("label"), scan.volume.label);
    volume.insert(QStringLiteral("partition_number"), scan.volume.partition_number);
    QJsonObject root;
    root.insert(QStringLiteral("volume"), volume);
    root.insert(QStringLiteral("scanned_count"), static_cast<qint64>(scan.engine->get_scanned_count()));
    root.insert(QStringLiteral("found_count"), static_cast<qint64>(scan.engine->get_found_count()));
    root.insert(QStringLiteral("stopped"), scan.stopped);
    root.insert(QStringLiteral("entries"), entries);
    return QJsonDocument(root);
}
