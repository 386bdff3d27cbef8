#include "cli/cli_partition.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "partition/mbr_table.h"
#include "partition/partition_repair.h"
#include "platform/drives.h"

#include <cstring>

namespace {

uint32_t le32(const uint8_t *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }

// The four entries of a sector 0 as text.
QString describe_table(const uint8_t *sector)
{
    QString text = QStringLiteral("Slot  Active  Type  %1  %2\n")
                       .arg(QStringLiteral("Start sector"), 12)
                       .arg(QStringLiteral("Sectors"), 12);
    for (int i = 0; i < mbr_entry_count; ++i) {
        const uint8_t *e = sector + mbr_entry_offset + i * mbr_entry_size;
        text += QStringLiteral("%1  %2  0x%3  %4  %5\n")
                    .arg(i + 1, 4)
                    .arg(e[0] == 0x80 ? QStringLiteral("yes") : QStringLiteral("no"), 6)
                    .arg(e[4], 2, 16, QLatin1Char('0'))
                    .arg(le32(e + 8), 12)
                    .arg(le32(e + 12), 12);
    }
    return text;
}

// Builds the table the repair would write, from the drive's current sector 0 (read-only).
int preview_table(const drive_item_s &drive, const QList<partition_item_s> &found, uint8_t *sector)
{
    const auto source = platform_open_drive(drive.device_path);
    if (!source || !source->read_exact(0, sector, 512)) {
        cli_error(QStringLiteral("cannot read sector 0 of '%1'").arg(drive.device_path));
        return -1;
    }
    const int rc = build_mbr(sector, found, drive.geometry->tracks_per_cylinder,
                             drive.geometry->sectors_per_track);
    if (rc == mbr_no_partitions)
        cli_error(QStringLiteral("no partition found; nothing to repair"));
    else if (rc != mbr_ok)
        cli_error(QStringLiteral("a found partition starts or ends beyond what an MBR can hold (2 TiB); nothing written"));
    return rc == mbr_ok ? 0 : -1;
}

} // namespace

int cmd_repair(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("Write the new table (otherwise only show it)."));
    parser.addOption(yes);
    parser.addPositionalArgument(QStringLiteral("DRIVE"), QStringLiteral("A drive node or a disk image file."));
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("repair"),
                   QStringLiteral("repair [--yes] DRIVE: searches DRIVE and rewrites its partition table "
                                  "(sector 0) from the partitions found. Without --yes nothing is written; "
                                  "an image file is repaired in place."),
                   args, &status))
        return status;
    if (parser.positionalArguments().size() != 1) {
        cli_error(QStringLiteral("repair needs exactly one DRIVE"));
        return cli_usage;
    }
    drive_item_s drive;
    if (cli_drive_record(parser.positionalArguments().first(), &drive) != 0)
        return cli_failed;
    partition_repair_c worker;
    if (cli_run_search(worker, drive) != 0)
        return cli_failed;
    const QList<partition_item_s> found = worker.snapshot();
    cli_print_partitions(found, false);
    uint8_t sector[512] = {};
    if (preview_table(drive, found, sector) != 0)
        return cli_failed;
    if (found.size() > mbr_entry_count)
        cli_print(QStringLiteral("Only the first %1 partitions fit in the table.\n").arg(mbr_entry_count));
    cli_print(QStringLiteral("\nNew partition table:\n") + describe_table(sector));
    if (!parser.isSet(yes)) {
        cli_print(QStringLiteral("\nNothing written. Run again with --yes to write this table.\n"));
        return cli_ok;
    }
    const int rc = worker.repair_partition_table();
    if (!worker.last_backup_path().isEmpty())
        cli_print(QStringLiteral("Old sector 0 saved to %1\n").arg(worker.last_backup_path()));
    if (rc != 0) {
        cli_error(QStringLiteral("repair failed: %1").arg(worker.last_repair_message()));
        return cli_failed;
    }
    if (!worker.last_repair_message().isEmpty())
        cli_print(QStringLiteral("Note: %1\n").arg(worker.last_repair_message()));
    cli_print(QStringLiteral("Partition table written and verified.\n"));
    return cli_ok;
}
