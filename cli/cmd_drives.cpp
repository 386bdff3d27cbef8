#include "cli/cli_util.h"
#include "cli/commands.h"

int cmd_drives(const QStringList &args)
{
    QCommandLineParser parser;
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("drives"), QStringLiteral("drives: not available yet."), args, &status))
        return status;
    cli_error(QStringLiteral("'drives' is not available yet"));
    return cli_failed;
}
