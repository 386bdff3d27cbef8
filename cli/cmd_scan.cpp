#include "cli/cli_rows.h"
#include "cli/cli_scan_run.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "engines/fat/sector_layer.h"

int cmd_scan(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the found entries as JSON."));
    parser.addOption(json);
    cli_scan_options_s options;
    options.add_to(parser);
    parser.addPositionalArgument(QStringLiteral("SOURCE"),
                                 QStringLiteral("Volume name, device node, mount point or image file."));
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("scan"),
                   QStringLiteral("scan [--json] SOURCE [--partition N]: list deleted files and all directories."),
                   args, &status))
        return status;
    if (parser.positionalArguments().size() != 1) {
        cli_error(QStringLiteral("scan takes one SOURCE; try 'scan --help'"));
        return cli_usage;
    }
    cli_scan_s scan;
    status = cli_scan_source(parser, options, parser.positionalArguments().first(), scan);
    if (status == cli_ok) {
        const QList<found_row_s> rows = scan.engine->found_rows();
        if (parser.isSet(json))
            cli_print_json(cli_rows_json(scan, rows));
        else
            cli_print(cli_rows_tree(rows));
    }
    shutdown_sector_layer();
    return status;
}
