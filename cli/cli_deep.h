#pragma once
// The deep scan on the command line: its listing grouped by extension, its JSON (one object per
// carved file), where each file is written (DIR/<extension>/<name>), and scan files.

#include "cli/cli_scan_run.h"
#include "engines/raw_recovery.h"

#include <QHash>
#include <QJsonDocument>
#include <QString>

// The deep-scan engine of a scan, or null for another engine.
raw_recovery_c *cli_deep_engine(const cli_scan_s &scan);
// "jpg: 2 files" followed by one indented line per file (name, size, offset), per extension.
QString cli_deep_text(raw_recovery_c &engine);
QJsonDocument cli_deep_json(const cli_scan_s &scan, raw_recovery_c &engine);
// Relative output paths "<extension>/<name>" by record index, each part a safe name.
QHash<int64_t, QString> cli_deep_paths(const QList<found_row_s> &rows);
// Fills scan with a deep-scan engine holding the results of a scan file. Returns a cli_status_e.
int cli_load_scan_file(const QString &path, cli_scan_s &scan);
