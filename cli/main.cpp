// vornrecovery-cli: the command-line front end over the recovery engines.

#include "app/settings.h"
#include "cli/cli_util.h"
#include "cli/commands.h"

#include <QCoreApplication>
#include <cstring>

namespace {

QString usage_text()
{
    QString text = QStringLiteral("Usage: vornrecovery-cli COMMAND [OPTIONS] [ARGS]\n\n"
                                  "Recovers deleted files and lost partitions. Sources are never "
                                  "written, except by 'repair --yes'.\n\nCommands:\n");
    for (int i = 0; i < cli_command_count; ++i)
        text += QString::asprintf("  %-12s %s\n", cli_commands[i].name, cli_commands[i].summary);
    text += QStringLiteral("\nOptions:\n  -h, --help     Show this help.\n"
                           "  -v, --version  Show the version.\n\n"
                           "'vornrecovery-cli COMMAND --help' shows the options of a command.\n");
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vornrecovery-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORN_VERSION));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        cli_error(QStringLiteral("no command given; try --help"));
        return cli_usage;
    }
    const QString first = args.takeFirst();
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        cli_print(usage_text());
        return cli_ok;
    }
    if (first == QLatin1String("-v") || first == QLatin1String("--version")) {
        cli_print(QStringLiteral("vornrecovery-cli " VORN_VERSION "\n"));
        return cli_ok;
    }
    for (int i = 0; i < cli_command_count; ++i)
        if (first == QLatin1String(cli_commands[i].name))
            return cli_commands[i].run(args);
    cli_error(QStringLiteral("unknown command '%1'; try --help").arg(first));
    return cli_usage;
}
