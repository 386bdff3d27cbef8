#include "partition/mbr_backup.h"

#include "partition/boot_sector.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

QString mbr_backup_name(const QString &drive_node, const QDateTime &when)
{
    QString drive = QFileInfo(drive_node).fileName();
    for (QChar &c : drive)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('.') &&
            c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    if (drive.isEmpty() || drive.startsWith(QLatin1Char('.')))
        drive.prepend(QLatin1String("drive"));
    return QStringLiteral("mbr-backup-%1-%2.bin")
        .arg(drive, when.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
}

int save_mbr_backup(const QString &folder, const QString &drive_node, const uint8_t *sector,
                    QString *path)
{
    if (!QDir().mkpath(folder))
        return -1;
    const QString base = QDir(folder).filePath(mbr_backup_name(drive_node, QDateTime::currentDateTime()));
    QString target = base;
    for (int n = 1; QFileInfo::exists(target); ++n) {
        if (n > 1000)
            return -1;
        target = base.chopped(4) + QStringLiteral("-%1.bin").arg(n);
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    const auto len = static_cast<qint64>(partition_sector_size);
    if (file.write(reinterpret_cast<const char *>(sector), len) != len || !file.commit())
        return -1;
    if (path)
        *path = target;
    return 0;
}
