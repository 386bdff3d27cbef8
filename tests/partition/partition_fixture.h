#pragma once
// Fixtures for the partition tests: hand-made boot sectors on a sparse in-memory drive, and real
// disk images built with sfdisk, mkfs.fat and mkntfs whose partition table is then wiped.

#include "platform/source.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>

// NTFS boot sector with the given 64-bit total-sectors field.
QByteArray fake_ntfs_boot(uint64_t total_sectors);
// Two sectors: a FAT boot sector with an 8-byte OEM name and a 32-bit total-sectors field, and
// the FSInfo-like sector after it (signature 0x55 0xAA).
QByteArray fake_fat_boot(const char *oem, uint32_t total_sectors);
// A zero sector with the signature 0x55 0xAA.
QByteArray fake_signed_sector();

// A drive of any size that is zero except for the sectors put into it. Reads can be made to fail
// from a byte offset on, and a hook sees every read before it is served.
class sector_map_source_c final : public source_c {
public:
    explicit sector_map_source_c(uint64_t size) : size_(size) {}
    void put(uint64_t sector, const QByteArray &bytes); // bytes: one or more whole sectors
    void fail_from(uint64_t offset) { fail_from_ = offset; }
    std::function<void(uint64_t pos)> on_read;
    mutable int reads = 0;

    int64_t read_at(uint64_t pos, void *buf, size_t len) const override;
    uint64_t size() const override { return size_; }
    QString description() const override { return QStringLiteral("sector map"); }

private:
    uint64_t size_;
    uint64_t fail_from_ = UINT64_MAX;
    QMap<uint64_t, QByteArray> sectors_;
};

struct image_part_s {
    QString fs;          // "fat32" or "ntfs"
    uint64_t start = 0;  // sector
    uint64_t sectors = 0;
};

// Builds folder/name of size bytes with an MBR holding parts, formats each part (FAT32 with the
// OEM name "MSWIN4.1" that Windows writes, as mkfs.fat writes its own), then zeroes sector 0.
// Returns the path, or an empty string with the failing step in *error.
QString build_disk_image(const QString &folder, const QString &name, qint64 size,
                         const QList<image_part_s> &parts, QString *error);

// Copies sectors [start, start + count) of image into a file of its own.
bool extract_range(const QString &image, uint64_t start, uint64_t count, const QString &out);
