#pragma once
// Runs a scan engine for the command line: reports progress on standard error (one updating line
// on a terminal) and turns Ctrl+C into the Stop button, so what was found so far is kept.

#include "disk/volume_item.h"
#include "engines/engine_factory.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <memory>

struct cli_scan_s {
    volume_item_s volume;
    engine_kind_e kind = engine_none;
    std::unique_ptr<recovery_base_c> engine;
    bool stopped = false; // ended early by Ctrl+C
};

// The options scan and recover share: --partition N and the reserved --deep.
struct cli_scan_options_s {
    QCommandLineOption partition{QStringLiteral("partition"),
                                 QStringLiteral("Partition N of an image file."), QStringLiteral("N")};
    QCommandLineOption deep{QStringLiteral("deep"),
                            QStringLiteral("Deep scan: carve files by their signatures.")};
    void add_to(QCommandLineParser &parser)
    {
        parser.addOption(partition);
        parser.addOption(deep);
    }
};

// Resolves the source, picks and runs the engine. Returns a cli_status_e; prints its own errors.
int cli_scan_source(const QCommandLineParser &parser, const cli_scan_options_s &options,
                    const QString &source, cli_scan_s &scan);
