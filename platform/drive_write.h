#pragma once
// The one place that opens a drive for writing. Only the partition table repair uses it, after the
// user confirmed, to rewrite sector 0 of a drive or a disk image.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

class drive_writer_c {
public:
    ~drive_writer_c();
    drive_writer_c(const drive_writer_c &) = delete;
    drive_writer_c &operator=(const drive_writer_c &) = delete;

    // Opens a block device or an image file for reading and synchronous writing. Null on failure,
    // with errno in *error.
    static std::unique_ptr<drive_writer_c> open(const QString &node, int *error = nullptr);

    // Exactly len bytes at pos. 0, or -1 (errno in last_error()).
    int read_at(uint64_t pos, void *buf, size_t len);
    // Writes exactly len bytes at pos and waits until the device has them. 0, or -1.
    int write_at(uint64_t pos, const void *buf, size_t len);
    // Reads from the device itself where the kernel lets us drop its cached copy first. 0, or -1.
    int read_back(uint64_t pos, void *buf, size_t len);

    bool is_block_device() const { return block_device_; }
    // Asks the kernel to read the partition table of a block device again. 0 when done, 1 for an
    // image file (nothing to do), -1 when refused (errno in last_error(); EBUSY while a partition
    // of the drive is mounted).
    int reread_partition_table();

    int last_error() const { return error_; }
    const QString &node() const { return node_; }

private:
    drive_writer_c() = default;
    int fd_ = -1;
    int error_ = 0;
    bool block_device_ = false;
    QString node_;
};
