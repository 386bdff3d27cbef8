#pragma once
// Where each found row is written below the output folder: its directory path with every name
// reduced to one safe component, and names made unique within their folder (two deleted files
// of the same name must not overwrite each other).

#include "engines/found_rows.h"

#include <QHash>
#include <QList>
#include <QString>

// Relative paths ("docs/#OTES.TXT") by row id, for rows in tree order.
QHash<int64_t, QString> cli_recover_paths(const QList<found_row_s> &rows);
