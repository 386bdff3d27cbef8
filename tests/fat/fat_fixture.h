#pragma once
// FAT test images: built with mkfs.fat and mtools, read and patched as bytes, handed to the
// engine as registered image files.

#include "disk/volume_item.h"
#include "platform/source.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

struct fat_geometry_s {
    int bits = 0; // 12, 16, 32 by cluster count
    uint32_t sectors_per_cluster = 0;
    uint32_t reserved = 0;
    uint32_t fats = 0;
    uint32_t fat_size = 0;
    uint32_t root_entries = 0;
    uint32_t root_cluster = 0;
    qint64 base = 0;          // byte offset of the boot sector in the image
    qint64 fat_offset = 0;    // first FAT
    qint64 root_offset = 0;   // FAT12/16 fixed root
    qint64 data_offset = 0;   // cluster 2
    qint64 cluster_bytes = 0;
};

// mkfs.fat -C path of size_kib with -F bits (and extra arguments). False when it fails.
bool fat_make_image(const QString &path, int bits, int size_kib, const QStringList &extra = {});
// Runs an mtools command (mcopy, mmd, mdel, mdeltree ...) on the image, "-i image" first.
bool fat_mtools(const QString &tool, const QString &image, const QStringList &args);
// Writes bytes to a new file in dir and returns its path.
QString fat_host_file(const QString &dir, const QString &name, const QByteArray &bytes);

fat_geometry_s fat_geometry(const QByteArray &image, qint64 base = 0);

// Byte-level editing of an image held in memory.
struct fat_patch_s {
    QByteArray bytes;
    fat_geometry_s g;

    explicit fat_patch_s(QByteArray image, qint64 base = 0) : bytes(std::move(image)), g(fat_geometry(bytes, base)) {}
    qint64 cluster_offset(uint32_t c) const { return g.data_offset + qint64(c - 2) * g.cluster_bytes; }
    qint64 root_slot(int i) const;                 // FAT12/16 fixed root, or the FAT32 root cluster
    void set_fat(uint32_t c, uint32_t value);      // in every FAT copy
    void put(qint64 offset, const QByteArray &data);
};

// One 32-byte short entry. name11 is the raw 11 name bytes.
QByteArray fat_short_entry(const QByteArray &name11, uint8_t attr, uint32_t cluster, uint32_t size,
                           uint16_t create_date = 0, uint16_t create_time = 0, uint8_t case_flags = 0);
// The long-name pieces for name, in disk order, tied to name11 by its checksum.
QByteArray fat_long_entries(const QString &name, const QByteArray &name11);
uint16_t fat_date(int year, int month, int day);
uint16_t fat_clock(int hour, int minute, int second);

// Registers path as the only image drive (optionally serving its reads from replacement) and
// returns the volume record the engine is given.
volume_item_s fat_use_image(const QString &path, std::unique_ptr<source_c> replacement = nullptr);
