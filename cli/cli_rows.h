#pragma once
// Found rows as the command line shows them: an indented tree for people, JSON for programs.

#include "cli/cli_scan_run.h"
#include "engines/found_rows.h"

#include <QJsonDocument>
#include <QList>
#include <QString>

// "2024-05-01 12:00:00" in local time, "-" for 0.
QString cli_time_text(int64_t seconds);
// One line per row, indented by depth: name ("/" after directories), size, modified time, mark.
QString cli_rows_tree(const QList<found_row_s> &rows);
// The scan's volume and every row as one object.
QJsonDocument cli_rows_json(const cli_scan_s &scan, const QList<found_row_s> &rows);
