#pragma once
// Turns the SOURCE argument of scan/recover into a listed volume: a volume name, a device node, a
// mount point, or a disk image file (registered as a drive; --partition picks one of its
// partitions).

#include "disk/volume_item.h"

#include <QString>

// partition < 0: not given. Returns 0 with out filled, or -1 with a message in error.
int cli_resolve_volume(const QString &source, int partition, volume_item_s &out, QString &error);
