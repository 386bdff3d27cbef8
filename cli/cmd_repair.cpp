#include "cli/cli_util.h"
#include "cli/commands.h"

int cmd_repair(const QStringList &args)
{
    QCommandLineParser parser;
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("repair"), QStringLiteral("repair: not available yet."), args, &status))
        return status;
    cli_error(QStringLiteral("'repair' is not available yet"));
    return cli_failed;
}
