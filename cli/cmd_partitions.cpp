#include "cli/cli_util.h"
#include "cli/commands.h"

int cmd_partitions(const QStringList &args)
{
    QCommandLineParser parser;
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("partitions"), QStringLiteral("partitions: not available yet."), args, &status))
        return status;
    cli_error(QStringLiteral("'partitions' is not available yet"));
    return cli_failed;
}
