#include "cli/cli_util.h"
#include "cli/commands.h"

int cmd_volumes(const QStringList &args)
{
    QCommandLineParser parser;
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("volumes"), QStringLiteral("volumes: not available yet."), args, &status))
        return status;
    cli_error(QStringLiteral("'volumes' is not available yet"));
    return cli_failed;
}
