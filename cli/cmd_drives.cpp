#include "cli/cli_images.h"
#include "cli/cli_util.h"
#include "cli/commands.h"

#include "app/settings.h"
#include "disk/drive_enum.h"
#include "disk/drive_item.h"
#include "platform/drives.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

QJsonObject drive_json(int number, const drive_item_s &d)
{
    const disk_geometry_s &g = *d.geometry;
    return QJsonObject{
        {QStringLiteral("number"), number},
        {QStringLiteral("device_path"), d.device_path},
        {QStringLiteral("size_bytes"), static_cast<qint64>(d.size_bytes)},
        {QStringLiteral("geometry"),
         QJsonObject{{QStringLiteral("cylinders"), static_cast<qint64>(g.cylinders)},
                     {QStringLiteral("media_type"), static_cast<int>(g.media_type)},
                     {QStringLiteral("tracks_per_cylinder"), static_cast<int>(g.tracks_per_cylinder)},
                     {QStringLiteral("sectors_per_track"), static_cast<int>(g.sectors_per_track)},
                     {QStringLiteral("bytes_per_sector"), static_cast<int>(g.bytes_per_sector)}}},
    };
}

} // namespace

int cmd_drives(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON for scripts."));
    parser.addOption(json);
    const QCommandLineOption sysroot(QStringLiteral("sysroot"),
                                     QStringLiteral("Read sys/, proc/ and dev/ below DIR instead of /."),
                                     QStringLiteral("DIR"));
    parser.addOption(sysroot);
    parser.addPositionalArgument(QStringLiteral("IMAGE"), QStringLiteral("Disk image files to list as drives."),
                                 QStringLiteral("[IMAGE...]"));
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("drives"),
                   QStringLiteral("drives [--json] [--sysroot DIR] [IMAGE...]: list the physical drives and the given "
                                  "disk images with their geometry."),
                   args, &status))
        return status;
    if (parser.isSet(sysroot))
        platform_set_root(parser.value(sysroot));
    const int failed = cli_add_images(parser.positionalArguments());
    enumerate_drives();

    if (parser.isSet(json)) {
        QJsonArray list;
        for (qsizetype i = 1; i < drive_list.size(); ++i)
            list.append(drive_json(static_cast<int>(i - 1), drive_list[i]));
        cli_print_json(QJsonDocument(list));
    } else if (drive_list.size() > 1) {
        QList<QStringList> rows{{QStringLiteral("DRIVE"), QStringLiteral("DEVICE"), QStringLiteral("SIZE"),
                                 QStringLiteral("BYTES"), QStringLiteral("CYLINDERS"), QStringLiteral("HEADS"),
                                 QStringLiteral("SECTORS"), QStringLiteral("SECTOR SIZE"), QStringLiteral("MEDIA")}};
        for (qsizetype i = 1; i < drive_list.size(); ++i) {
            const drive_item_s &d = drive_list[i];
            const disk_geometry_s &g = *d.geometry;
            rows.append({QString::number(i - 1), d.device_path, format_size(d.size_bytes),
                         QString::number(d.size_bytes), QString::number(g.cylinders),
                         QString::number(g.tracks_per_cylinder), QString::number(g.sectors_per_track),
                         QString::number(g.bytes_per_sector),
                         g.media_type == 11 ? QStringLiteral("removable") : QStringLiteral("fixed")});
        }
        cli_print(cli_table(rows));
    }
    if (drive_list.size() <= 1)
        cli_error(platform_is_admin() ? QStringLiteral("no drives found")
                                      : QStringLiteral("no drives found; fixed disks are listed only for root"));
    return failed ? cli_failed : cli_ok;
}
