#pragma once
// Copies a live file from a mounted volume to the destination.

#include <QString>

// 0 copied; -1 nothing written (source or destination cannot be opened); recover_partial when a
// read or write failed part way (the partial file is kept).
int copy_plain_file(const QString &source, const QString &destination);
