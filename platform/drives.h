#pragma once
// Drives, images and volume locations as the rest of the program sees them. The layer reads
// sys/, proc/ and dev/ below a root folder ("/" by default; tests give a fake tree).

#include "platform/source.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <sys/types.h>

// Root folder under which sys/, proc/ and dev/ are read.
void platform_set_root(const QString &root);
QString platform_root();

// Administrator test: effective user id 0. Tests force an answer with 1 or 0; -1 restores the
// real test.
bool platform_is_admin();
void platform_set_admin_override(int admin);

// Disk image files (from the command line or opened in the window); each is a drive of its own,
// numbered after the real drives. Returns 0, or -1 when the file cannot be used (it cannot be
// opened for reading, is not a regular file or block device, or is empty); *reason then says
// why in a few words.
int platform_add_image(const QString &path, QString *reason = nullptr);
QStringList platform_images();
void platform_clear_images();

// Drive nodes in drive-number order, at most 10: first the real whole disks that have a medium and
// can be opened for reading (removable ones always, fixed ones only for the administrator), then
// the images.
QStringList platform_drive_nodes();
// Images that were added but do not fit in the ten drive numbers.
QStringList platform_images_left_out();

// What a drive node reports about itself.
struct drive_probe_s {
    bool present = false;          // opened and has a medium of non-zero size
    bool read_only = false;        // BLKROGET, or an image file we may not write
    bool removable = false;        // sysfs removable flag
    uint32_t logical_sector_size = 512;
    uint64_t size_bytes = 0;
    uint32_t heads = 255;          // HDIO_GETGEO when it answers
    uint32_t sectors_per_track = 63;
};
// Probes an open drive (fd of a block device or an image file). 0, or -1 when it cannot be told.
int platform_probe_fd(int fd, drive_probe_s &out);
// Probes an open drive and adds what is known about its node: the sysfs removable flag (images
// count as removable) and, for a node that is a plain file in a test tree, the sysfs logical
// block size.
int platform_probe_open_drive(const QString &node, int fd, drive_probe_s &out);
// Opens node read-only and probes it as platform_probe_open_drive does.
int platform_probe_drive(const QString &node, drive_probe_s &out);

// Where a volume lives: the drive that holds it and its byte range there.
struct volume_location_s {
    QString drive_node;        // whole drive or image file
    QString volume_node;       // partition node ("/dev/sdb1"), or the drive node for an image
    int drive_number = -1;     // index in platform_drive_nodes()
    int partition_number = 0;  // 0 for a whole-drive volume
    uint64_t offset = 0;       // byte offset on the drive
    uint64_t length = 0;       // bytes
    dev_t devno = 0;           // device number of a real partition or disk; 0 for an image
                               // (files on the volume have this st_dev)
};
// Resolves a volume name (as discovery lists it), a device node, a mount point, an image file or
// "<image>#<n>". 0, or -1 when nothing matches.
int platform_locate_volume(const QString &volume_name, volume_location_s &out);

// A read-only handle confined to the volume's byte range; null when it cannot be opened.
std::unique_ptr<source_c> platform_open_volume(const QString &volume_name);
// A read-only handle on a whole drive by node.
std::unique_ptr<source_c> platform_open_drive(const QString &node);
