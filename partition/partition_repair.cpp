#include "partition/partition_repair.h"

#include "partition/boot_sector.h"
#include "partition/mbr_backup.h"
#include "partition/mbr_table.h"
#include "platform/drive_write.h"
#include "platform/paths.h"

#include <QLoggingCategory>
#include <QMutexLocker>
#include <cstring>

Q_LOGGING_CATEGORY(lc_partition, "vorn.partition", QtInfoMsg)

partition_repair_c::partition_repair_c(QObject *parent) : QThread(parent)
{
    register_partition_item();
}

partition_repair_c::~partition_repair_c()
{
    request_stop();
    wait();
}

int partition_repair_c::start_search(const drive_item_s &drive)
{
    if (isRunning() || drive.device_path.isEmpty())
        return -1;
    set_drive(drive);
    clear_partitions();
    progress_ = 0.0;
    stop_ = false;
    result_ = search_none;
    start();
    return 0;
}

void partition_repair_c::request_stop() { stop_ = true; }

drive_item_s partition_repair_c::drive() const
{
    QMutexLocker locker(&lock_);
    return drive_;
}

void partition_repair_c::set_drive(const drive_item_s &drive)
{
    QMutexLocker locker(&lock_);
    drive_ = drive;
}

QList<partition_item_s> partition_repair_c::snapshot() const
{
    QMutexLocker locker(&lock_);
    return partitions_;
}

qsizetype partition_repair_c::partition_count() const
{
    QMutexLocker locker(&lock_);
    return partitions_.size();
}

QString partition_repair_c::last_backup_path() const
{
    QMutexLocker locker(&lock_);
    return backup_path_;
}

QString partition_repair_c::last_repair_message() const
{
    QMutexLocker locker(&lock_);
    return repair_message_;
}

void partition_repair_c::clear_partitions()
{
    QMutexLocker locker(&lock_);
    partitions_.clear();
}

void partition_repair_c::append_partition(const partition_item_s &item)
{
    {
        QMutexLocker locker(&lock_);
        partitions_.append(item);
    }
    emit partition_found();
}

void partition_repair_c::run()
{
    clear_partitions();
    progress_ = 0.0;
    search_partitions(drive());
}

namespace {

int refuse(QString &message, const QString &why)
{
    message = why;
    qCWarning(lc_partition, "repair failed: %s", qUtf8Printable(why));
    return -1;
}

} // namespace

int partition_repair_c::repair_partition_table()
{
    QString message;
    QString backup;
    const auto finish = [&](int rc) {
        QMutexLocker locker(&lock_);
        repair_message_ = message;
        backup_path_ = backup;
        return rc;
    };
    if (isRunning())
        return finish(refuse(message, QStringLiteral("the partition search is still running")));
    const drive_item_s target = drive();
    if (target.device_path.isEmpty())
        return finish(refuse(message, QStringLiteral("no drive chosen")));
    const QList<partition_item_s> found = snapshot();
    if (found.isEmpty())
        return finish(refuse(message, QStringLiteral("no partition was found")));

    int error = 0;
    const auto writer = drive_writer_c::open(target.device_path, &error);
    if (!writer)
        return finish(refuse(message, QStringLiteral("cannot open %1 for writing: %2")
                                          .arg(target.device_path, QString::fromLocal8Bit(std::strerror(error)))));
    uint8_t old_sector[partition_sector_size] = {};
    if (writer->read_at(0, old_sector, sizeof old_sector) != 0)
        return finish(refuse(message, QStringLiteral("cannot read sector 0 of %1").arg(target.device_path)));

    uint8_t sector[partition_sector_size];
    std::memcpy(sector, old_sector, sizeof sector);
    const uint32_t heads = target.geometry ? target.geometry->tracks_per_cylinder : 0;
    const uint32_t spt = target.geometry ? target.geometry->sectors_per_track : 0;
    if (build_mbr(sector, found, heads, spt) != mbr_ok)
        return finish(refuse(message, QStringLiteral("a found partition starts or ends beyond what an MBR can hold (2 TiB)")));

    const QString folder = platform_config_dir();
    if (save_mbr_backup(folder, target.device_path, old_sector, &backup) != 0)
        return finish(refuse(message, QStringLiteral("cannot save a backup of sector 0 in %1").arg(folder)));
    qCInfo(lc_partition, "old sector 0 of %s saved to %s", qUtf8Printable(target.device_path),
           qUtf8Printable(backup));

    if (writer->write_at(0, sector, sizeof sector) != 0)
        return finish(refuse(message, QStringLiteral("writing sector 0 failed: %1")
                                          .arg(QString::fromLocal8Bit(std::strerror(writer->last_error())))));
    uint8_t check[partition_sector_size] = {};
    if (writer->read_back(0, check, sizeof check) != 0 || std::memcmp(check, sector, sizeof sector) != 0)
        return finish(refuse(message, QStringLiteral("sector 0 reads back differently from what was written")));

    if (writer->reread_partition_table() < 0) {
        message = QStringLiteral("the kernel still uses the old table (%1); it reads the new one after "
                                 "the drive's partitions are unmounted or at the next start")
                      .arg(QString::fromLocal8Bit(std::strerror(writer->last_error())));
        qCWarning(lc_partition, "%s", qUtf8Printable(message));
    }
    return finish(0);
}
