#include "cli/cli_images.h"
#include "cli/cli_util.h"
#include "cli/commands.h"

#include "app/settings.h"
#include "disk/volume_enum.h"
#include "disk/volume_item.h"
#include "platform/drives.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

QJsonObject volume_json(const volume_item_s &v)
{
    return QJsonObject{
        {QStringLiteral("device_name"), v.device_name},
        {QStringLiteral("volume_name"), v.volume_name},
        {QStringLiteral("label"), v.label},
        {QStringLiteral("file_system"), v.file_system},
        {QStringLiteral("mount_point"), v.mount_point},
        {QStringLiteral("total_bytes"), static_cast<qint64>(v.total_bytes)},
        {QStringLiteral("free_bytes"), static_cast<qint64>(v.free_bytes)},
        {QStringLiteral("partition_number"), v.partition_number},
        {QStringLiteral("disk_number"), v.disk_number},
    };
}

} // namespace

int cmd_volumes(const QStringList &args)
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
    if (!cli_parse(parser, QStringLiteral("volumes"),
                   QStringLiteral("volumes [--json] [--sysroot DIR] [IMAGE...]: list the volumes that can be scanned, "
                                  "with those of the given disk images."),
                   args, &status))
        return status;
    if (parser.isSet(sysroot))
        platform_set_root(parser.value(sysroot));
    const int failed = cli_add_images(parser.positionalArguments());
    enumerate_volumes();

    if (parser.isSet(json)) {
        QJsonArray list;
        for (qsizetype i = 1; i < volume_list.size(); ++i)
            list.append(volume_json(volume_list[i]));
        cli_print_json(QJsonDocument(list));
    } else if (volume_list.size() > 1) {
        QList<QStringList> rows{{QStringLiteral("DISK"), QStringLiteral("PART"), QStringLiteral("DEVICE"),
                                 QStringLiteral("FS"), QStringLiteral("LABEL"), QStringLiteral("SIZE"),
                                 QStringLiteral("FREE"), QStringLiteral("MOUNT POINT"),
                                 QStringLiteral("VOLUME NAME")}};
        for (qsizetype i = 1; i < volume_list.size(); ++i) {
            const volume_item_s &v = volume_list[i];
            rows.append({QString::number(v.disk_number), QString::number(v.partition_number), v.device_name,
                         v.file_system.isEmpty() ? QStringLiteral("-") : v.file_system,
                         v.label.isEmpty() ? QStringLiteral("-") : v.label, format_size(v.total_bytes),
                         format_size(v.free_bytes), v.mount_point, v.volume_name});
        }
        cli_print(cli_table(rows));
    }
    if (volume_list.size() <= 1)
        cli_error(platform_is_admin() ? QStringLiteral("no volumes found")
                                      : QStringLiteral("no volumes found; fixed disks are listed only for root"));
    return failed ? cli_failed : cli_ok;
}
