#include "cli/cli_partition.h"

#include "app/settings.h"
#include "cli/cli_util.h"
#include "partition/partition_repair.h"
#include "platform/drives.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

int cli_drive_record(const QString &node, drive_item_s *drive)
{
    const QString path = node.startsWith(QLatin1String("/dev/")) ? node : QFileInfo(node).absoluteFilePath();
    drive_probe_s probe;
    if (platform_probe_drive(path, probe) != 0) {
        cli_error(QStringLiteral("cannot open '%1'").arg(node));
        return -1;
    }
    auto geometry = std::make_shared<disk_geometry_s>();
    geometry->media_type = probe.removable ? 11 : 12;
    geometry->tracks_per_cylinder = probe.heads;
    geometry->sectors_per_track = probe.sectors_per_track;
    geometry->bytes_per_sector = probe.logical_sector_size;
    const uint64_t cylinder_bytes = uint64_t{probe.heads} * probe.sectors_per_track * probe.logical_sector_size;
    geometry->cylinders = cylinder_bytes ? static_cast<int64_t>(probe.size_bytes / cylinder_bytes) : 0;
    drive->device_path = path;
    // The exact size rather than whole cylinders: a partition in the last partial cylinder is
    // still found.
    drive->size_bytes = probe.size_bytes;
    drive->geometry = geometry;
    return 0;
}

int cli_run_search(partition_repair_c &worker, const drive_item_s &drive)
{
    if (worker.start_search(drive) != 0) {
        cli_error(QStringLiteral("cannot search '%1'").arg(drive.device_path));
        return -1;
    }
    while (!worker.wait(250))
        std::fprintf(stderr, "\rsearching %s: %5.1f%%", qUtf8Printable(drive.device_path),
                     worker.progress() * 100.0);
    std::fprintf(stderr, "\rsearching %s: %5.1f%%\n", qUtf8Printable(drive.device_path),
                 worker.progress() * 100.0);
    if (worker.search_result() == search_open_failed) {
        cli_error(QStringLiteral("cannot open '%1'").arg(drive.device_path));
        return -1;
    }
    return 0;
}

void cli_print_partitions(const QList<partition_item_s> &found, bool json)
{
    if (json) {
        QJsonArray rows;
        for (qsizetype i = 0; i < found.size(); ++i) {
            const partition_item_s &p = found[i];
            rows.append(QJsonObject{
                {QStringLiteral("number"), static_cast<qint64>(i)},
                {QStringLiteral("file_system"), p.fs_name},
                {QStringLiteral("partition_type"), p.partition_type},
                {QStringLiteral("start_sector"), static_cast<qint64>(p.start_sector)},
                {QStringLiteral("end_sector"), static_cast<qint64>(p.end_sector)},
                {QStringLiteral("size_bytes"), static_cast<qint64>((p.end_sector - p.start_sector + 1) * 512)},
            });
        }
        cli_print_json(QJsonDocument(rows));
        return;
    }
    if (found.isEmpty()) {
        cli_print(QStringLiteral("No partition found.\n"));
        return;
    }
    QString text = QStringLiteral("%1  %2  %3  %4  %5\n")
                       .arg(QStringLiteral("#"), 3)
                       .arg(QStringLiteral("File system"), -11)
                       .arg(QStringLiteral("Start sector"), 14)
                       .arg(QStringLiteral("End sector"), 14)
                       .arg(QStringLiteral("Size"), 10);
    for (qsizetype i = 0; i < found.size(); ++i) {
        const partition_item_s &p = found[i];
        text += QStringLiteral("%1  %2  %3  %4  %5\n")
                    .arg(i, 3)
                    .arg(p.fs_name, -11)
                    .arg(p.start_sector, 14)
                    .arg(p.end_sector, 14)
                    .arg(format_size((p.end_sector - p.start_sector + 1) * 512), 10);
    }
    cli_print(text);
}
