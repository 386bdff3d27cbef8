#include "cli/cli_source.h"

#include "disk/volume_enum.h"
#include "engines/fat/sector_layer.h"
#include "platform/drives.h"

#include <QFileInfo>

namespace {

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

bool names_volume(const volume_item_s &v, const QString &source)
{
    if (source.isEmpty())
        return false;
    const QString c = canonical(source);
    for (const QString &name : {v.volume_name, v.device_name, v.mount_point}) {
        if (name.isEmpty())
            continue;
        if (name == source || canonical(name) == c)
            return true;
    }
    return false;
}

QString describe(const volume_item_s &v)
{
    return QStringLiteral("%1 (%2)").arg(v.partition_number).arg(
        v.file_system.isEmpty() ? QStringLiteral("unknown file system") : v.file_system);
}

// Volumes that lie on the image registered as drive node.
QList<volume_item_s> image_volumes(const QString &image)
{
    const int drive = static_cast<int>(platform_drive_nodes().indexOf(image));
    QList<volume_item_s> found;
    for (qsizetype i = 1; i < volume_list.size(); ++i) {
        const volume_item_s &v = volume_list[i];
        if (v.volume_name == image || v.volume_name.startsWith(image + QLatin1Char('#')) ||
            (drive >= 0 && v.disk_number == drive && v.device_name.startsWith(image)))
            found.append(v);
    }
    return found;
}

} // namespace

int cli_resolve_volume(const QString &source, int partition, volume_item_s &out, QString &error)
{
    const QFileInfo info(source);
    const bool image = info.isFile();
    if (image) {
        const QString path = info.absoluteFilePath();
        if (platform_add_image(path) != 0) {
            error = QStringLiteral("cannot read '%1'").arg(source);
            return -1;
        }
    }
    init_sector_layer();
    enumerate_volumes();

    if (!image) {
        if (partition >= 0) {
            error = QStringLiteral("--partition applies to image files only");
            return -1;
        }
        for (qsizetype i = 1; i < volume_list.size(); ++i) {
            if (names_volume(volume_list[i], source)) {
                out = volume_list[i];
                return 0;
            }
        }
        error = QStringLiteral("'%1' is not a listed volume, device or image file").arg(source);
        return -1;
    }

    const QList<volume_item_s> volumes = image_volumes(info.absoluteFilePath());
    if (volumes.isEmpty()) {
        error = QStringLiteral("no volume found in '%1'").arg(source);
        return -1;
    }
    QStringList choices;
    for (const volume_item_s &v : volumes) {
        if (partition >= 0 && v.partition_number == partition) {
            out = v;
            return 0;
        }
        choices << describe(v);
    }
    if (partition < 0 && volumes.size() == 1) {
        out = volumes.first();
        return 0;
    }
    error = partition < 0
                ? QStringLiteral("'%1' holds several volumes; choose one with --partition N: %2")
                      .arg(source, choices.join(QStringLiteral(", ")))
                : QStringLiteral("'%1' has no partition %2; its volumes: %3")
                      .arg(source).arg(partition).arg(choices.join(QStringLiteral(", ")));
    return -1;
}
