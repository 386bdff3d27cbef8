#include "platform/source.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

bool source_c::read_exact(uint64_t pos, void *buf, size_t len) const
{
    return read_at(pos, buf, len) == static_cast<int64_t>(len);
}

int64_t platform_fd_size(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return -1;
    if (S_ISBLK(st.st_mode)) {
        uint64_t bytes = 0;
        if (ioctl(fd, BLKGETSIZE64, &bytes) != 0)
            return -1;
        return static_cast<int64_t>(bytes);
    }
    if (S_ISREG(st.st_mode))
        return st.st_size;
    return -1;
}

file_source_c::~file_source_c()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::unique_ptr<file_source_c> file_source_c::open(const QString &path, uint64_t offset,
                                                   uint64_t length, int *error)
{
    const QByteArray native = path.toUtf8();
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errno;
        return nullptr;
    }
    const int64_t total = platform_fd_size(fd);
    if (total < 0 || offset > static_cast<uint64_t>(total)) {
        if (error)
            *error = total < 0 ? EINVAL : ERANGE;
        ::close(fd);
        return nullptr;
    }
    auto src = std::unique_ptr<file_source_c>(new file_source_c);
    src->fd_ = fd;
    src->offset_ = offset;
    const uint64_t avail = static_cast<uint64_t>(total) - offset;
    src->length_ = length < avail ? length : avail;
    src->path_ = path;
    if (error)
        *error = 0;
    return src;
}

int64_t file_source_c::read_at(uint64_t pos, void *buf, size_t len) const
{
    if (pos >= length_)
        return 0;
    if (len > length_ - pos)
        len = static_cast<size_t>(length_ - pos);
    auto *out = static_cast<uint8_t *>(buf);
    size_t done = 0;
    while (done < len) {
        const ssize_t n = ::pread(fd_, out + done, len - done,
                                  static_cast<off_t>(offset_ + pos + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break; // the file shrank under us
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

int64_t memory_source_c::read_at(uint64_t pos, void *buf, size_t len) const
{
    const uint64_t total = size();
    if (pos >= total)
        return 0;
    if (len > total - pos)
        len = static_cast<size_t>(total - pos);
    std::memcpy(buf, data_.constData() + pos, len);
    return static_cast<int64_t>(len);
}
