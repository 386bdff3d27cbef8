#include "cli/cli_util.h"
#include "cli/commands.h"

int cmd_recover(const QStringList &args)
{
    QCommandLineParser parser;
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("recover"), QStringLiteral("recover: not available yet."), args, &status))
        return status;
    cli_error(QStringLiteral("'recover' is not available yet"));
    return cli_failed;
}
