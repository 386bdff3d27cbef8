#include "cli/cli_deep.h"

#include "cli/cli_util.h"
#include "cli/commands.h"
#include "engines/safe_name.h"

#include <QJsonArray>
#include <QJsonObject>

raw_recovery_c *cli_deep_engine(const cli_scan_s &scan)
{
    return scan.kind == engine_deep ? dynamic_cast<raw_recovery_c *>(scan.engine.get()) : nullptr;
}

QString cli_deep_text(raw_recovery_c &engine)
{
    QString out;
    QString group;
    const QList<found_row_s> rows = engine.found_rows();
    for (const found_row_s &row : rows) {
        if (row.extension != group) {
            group = row.extension;
            const auto count = engine.by_extension[group.toStdString()].size();
            out += QStringLiteral("%1: %2 file%3\n").arg(group).arg(count).arg(count == 1 ? "" : "s");
        }
        out += QStringLiteral("  %1  %2  at %3\n")
                   .arg(row.name, -20)
                   .arg(row.size, 12)
                   .arg(engine.records[size_t(row.id)].offset);
    }
    if (rows.isEmpty())
        out = QStringLiteral("No files found.\n");
    return out;
}

QJsonDocument cli_deep_json(const cli_scan_s &scan, raw_recovery_c &engine)
{
    QJsonArray files;
    for (const found_row_s &row : engine.found_rows()) {
        QJsonObject o;
        o.insert(QStringLiteral("id"), static_cast<qint64>(row.id));
        o.insert(QStringLiteral("name"), row.name);
        o.insert(QStringLiteral("extension"), row.extension);
        o.insert(QStringLiteral("offset"), static_cast<qint64>(engine.records[size_t(row.id)].offset));
        o.insert(QStringLiteral("size"), static_cast<qint64>(row.size));
        files.append(o);
    }
    QJsonObject volume;
    volume.insert(QStringLiteral("volume_name"), scan.volume.volume_name);
    volume.insert(QStringLiteral("device_path"), engine.device_path());
    QJsonObject root;
    root.insert(QStringLiteral("volume"), volume);
    root.insert(QStringLiteral("stopped"), scan.stopped);
    root.insert(QStringLiteral("files"), files);
    return QJsonDocument(root);
}

QHash<int64_t, QString> cli_deep_paths(const QList<found_row_s> &rows)
{
    QHash<int64_t, QString> paths;
    for (const found_row_s &row : rows) {
        const QString fallback = QStringLiteral("id%1").arg(row.id);
        const QString folder = safe_name_component(row.extension, QStringLiteral("unknown"));
        paths.insert(row.id, folder + QLatin1Char('/') + safe_name_component(row.name, fallback));
    }
    return paths;
}

int cli_load_scan_file(const QString &path, cli_scan_s &scan)
{
    auto engine = std::make_unique<raw_recovery_c>();
    const QString device = engine->load_results(path);
    if (device.isEmpty()) {
        cli_error(QStringLiteral("'%1' is not a usable scan file").arg(path));
        return cli_failed;
    }
    scan.volume = volume_item_s{};
    scan.volume.volume_name = device;
    scan.volume.device_name = device;
    scan.volume.mount_point = device;
    engine->set_volume(scan.volume);
    scan.kind = engine_deep;
    scan.engine = std::move(engine);
    return cli_ok;
}
