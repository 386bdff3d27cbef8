#include "cli/cli_deep.h"
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
    const QCommandLineOption save(QStringLiteral("save"), QStringLiteral("Deep scan: save the results to a scan file."),
                                  QStringLiteral("FILE.sav"));
    parser.addOption(save);
    cli_scan_options_s options;
    options.add_to(parser);
    parser.addPositionalArgument(QStringLiteral("SOURCE"),
                                 QStringLiteral("Volume name, device node, mount point or image file."));
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("scan"),
                   QStringLiteral("scan [--json] SOURCE [--partition N]: list deleted files and all directories.\n"
                                  "scan --deep [--json] [--save FILE.sav] SOURCE: carve files by their signatures."),
                   args, &status))
        return status;
    if (parser.positionalArguments().size() != 1) {
        cli_error(QStringLiteral("scan takes one SOURCE; try 'scan --help'"));
        return cli_usage;
    }
    if (parser.isSet(save) && !parser.isSet(options.deep)) {
        cli_error(QStringLiteral("--save applies to the deep scan (--deep)"));
        return cli_usage;
    }
    cli_scan_s scan;
    status = cli_scan_source(parser, options, parser.positionalArguments().first(), scan);
    if (raw_recovery_c *deep = status == cli_ok ? cli_deep_engine(scan) : nullptr) {
        if (parser.isSet(json))
            cli_print_json(cli_deep_json(scan, *deep));
        else
            cli_print(cli_deep_text(*deep));
        if (parser.isSet(save) && deep->save_results(parser.value(save)) != 0) {
            cli_error(deep->records.empty() ? QStringLiteral("nothing found: no scan file written")
                                            : QStringLiteral("cannot write '%1'").arg(parser.value(save)));
            status = cli_failed;
        }
    } else if (status == cli_ok) {
        const QList<found_row_s> rows = scan.engine->found_rows();
        if (parser.isSet(json))
            cli_print_json(cli_rows_json(scan, rows));
        else
            cli_print(cli_rows_tree(rows));
    }
    shutdown_sector_layer();
    return status;
}
