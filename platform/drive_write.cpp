#include "platform/drive_write.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

drive_writer_c::~drive_writer_c()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::unique_ptr<drive_writer_c> drive_writer_c::open(const QString &node, int *error)
{
    const QByteArray native = node.toUtf8();
    // No O_CREAT: a drive that is not there must never become a new file.
    const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC | O_SYNC);
    if (fd < 0) {
        if (error)
            *error = errno;
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !(S_ISBLK(st.st_mode) || S_ISREG(st.st_mode))) {
        if (error)
            *error = errno ? errno : EINVAL;
        ::close(fd);
        return nullptr;
    }
    auto w = std::unique_ptr<drive_writer_c>(new drive_writer_c);
    w->fd_ = fd;
    w->block_device_ = S_ISBLK(st.st_mode);
    w->node_ = node;
    if (error)
        *error = 0;
    return w;
}

int drive_writer_c::read_at(uint64_t pos, void *buf, size_t len)
{
    auto *out = static_cast<uint8_t *>(buf);
    size_t done = 0;
    while (done < len) {
        const ssize_t n = ::pread(fd_, out + done, len - done, static_cast<off_t>(pos + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
            return -1;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

int drive_writer_c::write_at(uint64_t pos, const void *buf, size_t len)
{
    const auto *in = static_cast<const uint8_t *>(buf);
    size_t done = 0;
    while (done < len) {
        const ssize_t n = ::pwrite(fd_, in + done, len - done, static_cast<off_t>(pos + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
            return -1;
        }
        done += static_cast<size_t>(n);
    }
    // O_SYNC already waited for the data; fsync also covers the device's write cache flush.
    if (::fsync(fd_) != 0) {
        error_ = errno;
        return -1;
    }
    return 0;
}

int drive_writer_c::read_back(uint64_t pos, void *buf, size_t len)
{
    // The pages are clean after fsync, so the kernel may drop them and read the medium again.
    ::posix_fadvise(fd_, static_cast<off_t>(pos), static_cast<off_t>(len), POSIX_FADV_DONTNEED);
    return read_at(pos, buf, len);
}

int drive_writer_c::reread_partition_table()
{
    if (!block_device_)
        return 1;
    if (::ioctl(fd_, BLKRRPART) != 0) {
        error_ = errno;
        return -1;
    }
    return 0;
}
