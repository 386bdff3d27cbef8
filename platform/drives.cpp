#include "platform/drives.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString root_folder = QStringLiteral("/");
QStringList image_files;
} // namespace

void platform_set_root(const QString &root) { root_folder = root.isEmpty() ? QStringLiteral("/") : root; }

QString platform_root() { return root_folder; }

int platform_add_image(const QString &path)
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    const QByteArray native = abs.toUtf8();
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    ::close(fd);
    if (!image_files.contains(abs))
        image_files.append(abs);
    return 0;
}

QStringList platform_images() { return image_files; }

void platform_clear_images() { image_files.clear(); }

QStringList platform_drive_nodes()
{
    QStringList nodes = image_files;
    while (nodes.size() > 10)
        nodes.removeLast();
    return nodes;
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
        out.read_only = access(QStringLiteral("/proc/self/fd/%1").arg(fd).toUtf8().constData(), W_OK) != 0;
    } else {
        return -1;
    }
    out.present = out.size_bytes > 0;
    return 0;
}

int platform_probe_drive(const QString &node, drive_probe_s &out)
{
    const int fd = ::open(node.toUtf8().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        out = drive_probe_s{};
        return -1;
    }
    const int r = platform_probe_fd(fd, out);
    ::close(fd);
    return r;
}

int platform_locate_volume(const QString &volume_name, volume_location_s &out)
{
    // Minimal form: an image file or node holding a file system directly.
    const QString abs = QFileInfo(volume_name).absoluteFilePath();
    drive_probe_s probe;
    if (platform_probe_drive(abs, probe) != 0)
        return -1;
    out = volume_location_s{};
    out.drive_node = abs;
    out.volume_node = abs;
    out.drive_number = static_cast<int>(platform_drive_nodes().indexOf(abs));
    out.offset = 0;
    out.length = probe.size_bytes;
    return 0;
}

std::unique_ptr<source_c> platform_open_volume(const QString &volume_name)
{
    volume_location_s loc;
    if (platform_locate_volume(volume_name, loc) != 0)
        return nullptr;
    return file_source_c::open(loc.drive_node, loc.offset, loc.length);
}

std::unique_ptr<source_c> platform_open_drive(const QString &node)
{
    return file_source_c::open(node);
}
