#include "cli/cli_util.h"

#include "cli/commands.h"

#include <cstdio>

void cli_error(const QString &message)
{
    std::fprintf(stderr, "vornrecovery-cli: %s\n", message.toUtf8().constData());
}

void cli_print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void cli_print_json(const QJsonDocument &doc)
{
    const QByteArray bytes = doc.toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

bool cli_parse(QCommandLineParser &parser, const QString &command, const QString &usage,
               const QStringList &args, int *exit_status)
{
    parser.setApplicationDescription(usage);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    QStringList full = args;
    full.prepend(QStringLiteral("vornrecovery-cli ") + command);
    if (!parser.parse(full)) {
        cli_error(parser.errorText());
        *exit_status = cli_usage;
        return false;
    }
    if (parser.isSet(help)) {
        cli_print(parser.helpText());
        *exit_status = cli_ok;
        return false;
    }
    return true;
}
