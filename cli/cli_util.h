#pragma once
// Small helpers the subcommands share: messages, JSON output, argument parsing.

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

// "vornrecovery-cli: <message>" on standard error.
void cli_error(const QString &message);
// Writes text to standard output as UTF-8.
void cli_print(const QString &text);
// Writes a JSON document to standard output, indented, with a trailing newline.
void cli_print_json(const QJsonDocument &doc);

// Parses args (the subcommand's own) with parser; on a usage error prints it and returns false.
// usage is the synopsis shown by --help, e.g. "scan [--json] SOURCE".
bool cli_parse(QCommandLineParser &parser, const QString &command, const QString &usage,
               const QStringList &args, int *exit_status);
