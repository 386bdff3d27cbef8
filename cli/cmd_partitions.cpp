#include "cli/cli_partition.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "partition/partition_repair.h"

int cmd_partitions(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the partitions as JSON."));
    parser.addOption(json);
    parser.addPositionalArgument(QStringLiteral("DRIVE"), QStringLiteral("A drive node or a disk image file."));
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("partitions"),
                   QStringLiteral("partitions [--json] DRIVE: searches DRIVE for the boot sectors of "
                                  "lost NTFS and FAT32 partitions. Reads only."),
                   args, &status))
        return status;
    if (parser.positionalArguments().size() != 1) {
        cli_error(QStringLiteral("partitions needs exactly one DRIVE"));
        return cli_usage;
    }
    drive_item_s drive;
    if (cli_drive_record(parser.positionalArguments().first(), &drive) != 0)
        return cli_failed;
    partition_repair_c worker;
    if (cli_run_search(worker, drive) != 0)
        return cli_failed;
    cli_print_partitions(worker.snapshot(), parser.isSet(json));
    return cli_ok;
}
