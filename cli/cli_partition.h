#pragma once
// What the partitions and repair commands share: the drive record of a node or image file, a
// search with progress on standard error, and the listing of the found partitions.

#include "disk/drive_item.h"
#include "partition/partition_item.h"

#include <QList>
#include <QString>

class partition_repair_c;

// A drive record for a block device or an image file: its exact size and the geometry it
// reports (255 x 63 for images). -1 with a message on standard error when it cannot be opened.
int cli_drive_record(const QString &node, drive_item_s *drive);

// Runs a search on worker and waits for it, printing progress on standard error.
// -1 with a message when the drive cannot be opened.
int cli_run_search(partition_repair_c &worker, const drive_item_s &drive);

// The found partitions as the partition page lists them (number from 0, file system, start and
// end sector, size), as a table or as JSON.
void cli_print_partitions(const QList<partition_item_s> &found, bool json);
