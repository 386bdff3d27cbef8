#pragma once
// Registers the image files named on a command line as drives, with one line per failure.

#include <QStringList>

// Adds each path with platform_add_image. A path that cannot be used, or that does not fit in the
// ten drive numbers, gets one line on standard error. Returns the number of such paths.
int cli_add_images(const QStringList &paths);

// A plain text table: columns padded to their widest cell, the first row being the heading.
QString cli_table(const QList<QStringList> &rows);
