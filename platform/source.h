#pragma once
// Read-only access to a byte range of a file, block device or memory buffer.
// Every engine reads its volume or drive through a source_c; nothing here can write.

#include <QString>
#include <QByteArray>
#include <cstdint>
#include <memory>

class source_c {
public:
    virtual ~source_c() = default;

    // Reads up to len bytes at pos (relative to the start of the range). Returns the number of
    // bytes read, which is short only at the end of the range, or -1 on an I/O error.
    virtual int64_t read_at(uint64_t pos, void *buf, size_t len) const = 0;

    // Length of the range in bytes.
    virtual uint64_t size() const = 0;

    // Human-readable origin, for messages ("/dev/sdb1", "disk.img").
    virtual QString description() const = 0;

    // Reads exactly len bytes; false on a short read or an error.
    bool read_exact(uint64_t pos, void *buf, size_t len) const;
};

// A file or block device opened O_RDONLY, limited to [offset, offset + length).
// length UINT64_MAX means "to the end of the file or device".
class file_source_c final : public source_c {
public:
    ~file_source_c() override;
    static std::unique_ptr<file_source_c> open(const QString &path, uint64_t offset = 0,
                                               uint64_t length = UINT64_MAX, int *error = nullptr);

    int64_t read_at(uint64_t pos, void *buf, size_t len) const override;
    uint64_t size() const override { return length_; }
    QString description() const override { return path_; }
    uint64_t base_offset() const { return offset_; }
    int fd() const { return fd_; }

private:
    file_source_c() = default;
    int fd_ = -1;
    uint64_t offset_ = 0;
    uint64_t length_ = 0;
    QString path_;
};

// An in-memory volume (fuzz targets, unit tests).
class memory_source_c final : public source_c {
public:
    explicit memory_source_c(QByteArray data, QString name = QStringLiteral("memory"))
        : data_(std::move(data)), name_(std::move(name)) {}
    explicit memory_source_c(const uint8_t *data, size_t len)
        : data_(reinterpret_cast<const char *>(data), static_cast<qsizetype>(len)),
          name_(QStringLiteral("memory")) {}

    int64_t read_at(uint64_t pos, void *buf, size_t len) const override;
    uint64_t size() const override { return static_cast<uint64_t>(data_.size()); }
    QString description() const override { return name_; }

private:
    QByteArray data_;
    QString name_;
};

// Size in bytes of an open file or block device; -1 when it cannot be told.
int64_t platform_fd_size(int fd);
