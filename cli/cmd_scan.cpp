#include "cli/cli_util.h"
#include "cli/commands.h"

int cmd_scan(const QStringList &args)
{
    QCommandLineParser parser;
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("scan"), QStringLiteral("scan: not available yet."), args, &status))
        return status;
    cli_error(QStringLiteral("'scan' is not available yet"));
    return cli_failed;
}
