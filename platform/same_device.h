#pragma once
// Whether a destination folder lies on the device that is being scanned, so that writing there
// could overwrite what is still to be recovered.

#include "disk/volume_item.h"

#include <QString>

// 1 when folder is on the scanned volume's device (its partition or whole-drive node, or the file
// system mounted at its mount point); 0 when it is elsewhere; -1 when folder cannot be examined.
// An image file is a device of its own: a folder beside the image is fine unless the image is
// mounted and the folder lies inside that mount.
int platform_same_device(const QString &folder, const volume_item_s &volume);
