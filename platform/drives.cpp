#include "platform/drives.h"

#include "platform/sysfs.h"

#include <QFileInfo>

#include <cerrno>
#include <mutex>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString root_folder = QStringLiteral("/");
// Images are added from the window thread while workers read the list.
std::mutex images_lock;
QStringList image_files;
int admin_override = -1;

int open_read_only(const QString &path)
{
    return ::open(path.toUtf8().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}
} // namespace

void platform_set_root(const QString &root) { root_folder = root.isEmpty() ? QStringLiteral("/") : root; }

QString platform_root() { return root_folder; }

bool platform_is_admin() { return admin_override >= 0 ? admin_override != 0 : geteuid() == 0; }

void platform_set_admin_override(int admin) { admin_override = admin < 0 ? -1 : (admin ? 1 : 0); }

int platform_add_image(const QString &path, QString *reason)
{
    auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return -1;
    };
    const QString abs = QFileInfo(path).absoluteFilePath();
    const int fd = open_read_only(abs);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    const bool stat_ok = fstat(fd, &st) == 0;
    const int64_t size = platform_fd_size(fd);
    ::close(fd);
    if (!stat_ok || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode)))
        return fail(QStringLiteral("not a regular file or block device"));
    if (size <= 0)
        return fail(QStringLiteral("empty"));
    std::lock_guard<std::mutex> guard(images_lock);
    if (!image_files.contains(abs))
        image_files.append(abs);
    return 0;
}

QStringList platform_images()
{
    std::lock_guard<std::mutex> guard(images_lock);
    return image_files;
}

void platform_clear_images()
{
    std::lock_guard<std::mutex> guard(images_lock);
    image_files.clear();
}

namespace {
QStringList real_drive_nodes()
{
    QStringList nodes;
    const bool admin = platform_is_admin();
    for (const sysfs_disk_s &d : platform_sysfs_disks()) {
        if ((d.size_known && d.size_sectors == 0) || (!d.removable && !admin))
            continue; // no medium, or a fixed disk for a normal user
        // A disk this user cannot read, or whose medium is out, is no drive: it would end the
        // drive list before the images.
        const int fd = open_read_only(d.node);
        if (fd < 0)
            continue;
        drive_probe_s probe;
        const bool present = platform_probe_fd(fd, probe) == 0 && probe.present;
        ::close(fd);
        if (present)
            nodes.append(d.node);
    }
    return nodes;
}
} // namespace

QStringList platform_drive_nodes()
{
    QStringList nodes = real_drive_nodes();
    for (const QString &image : platform_images())
        if (!nodes.contains(image))
            nodes.append(image);
    while (nodes.size() > 10)
        nodes.removeLast();
    return nodes;
}

QStringList platform_images_left_out()
{
    const QStringList nodes = platform_drive_nodes();
    QStringList out;
    for (const QString &image : platform_images())
        if (!nodes.contains(image))
            out.append(image);
    return out;
}

int platform_probe_fd(int fd, drive_probe_s &out)
{
    out = drive_probe_s{};
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return -1;
    if (S_ISBLK(st.st_mode)) {
        uint64_t bytes = 0;
        int ssz = 512;
        int ro = 0;
        if (ioctl(fd, BLKGETSIZE64, &bytes) != 0)
            return -1;
        if (ioctl(fd, BLKSSZGET, &ssz) == 0 && ssz > 0)
            out.logical_sector_size = static_cast<uint32_t>(ssz);
        if (ioctl(fd, BLKROGET, &ro) == 0)
            out.read_only = ro != 0;
        struct hd_geometry geo {};
        if (ioctl(fd, HDIO_GETGEO, &geo) == 0 && geo.heads && geo.sectors) {
            out.heads = geo.heads;
            out.sectors_per_track = geo.sectors;
        }
        out.size_bytes = bytes;
    } else if (S_ISREG(st.st_mode)) {
        out.size_bytes = static_cast<uint64_t>(st.st_size);
        // Write protection of an image: whether this user could open it for writing.
        const QByteArray self = QStringLiteral("/proc/self/fd/%1").arg(fd).toUtf8();
        out.read_only = access(self.constData(), W_OK) != 0;
    } else {
        return -1;
    }
    out.present = out.size_bytes > 0;
    return 0;
}

int platform_probe_open_drive(const QString &node, int fd, drive_probe_s &out)
{
    if (platform_probe_fd(fd, out) != 0)
        return -1;
    sysfs_disk_s disk;
    if (platform_sysfs_disk_for_node(node, disk) == 0) {
        out.removable = disk.removable;
        struct stat st {};
        // A plain file standing for a device in a test tree: sysfs tells its sector size.
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && disk.logical_block_size)
            out.logical_sector_size = disk.logical_block_size;
    } else if (platform_images().contains(node)) {
        out.removable = true;
    }
    return 0;
}

int platform_probe_drive(const QString &node, drive_probe_s &out)
{
    const int fd = open_read_only(node);
    if (fd < 0) {
        out = drive_probe_s{};
        return -1;
    }
    const int r = platform_probe_open_drive(node, fd, out);
    ::close(fd);
    return r;
}

std::unique_ptr<source_c> platform_open_drive(const QString &node)
{
    return file_source_c::open(node);
}
