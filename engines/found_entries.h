#pragma once
// The found-index records the engines leave behind and the models, the recovery worker and the
// command line walk after a scan has ended.

#include <QHash>
#include <QList>
#include <QString>
#include <cstdint>

// FAT: every directory (live or deleted) and every deleted file, keyed by first cluster.
struct fat_entry_s {
    uint32_t first_cluster = 0; // equals the key; 0 only for the root
    uint32_t parent_cluster = 0;
    uint32_t size = 0;
    int64_t modified_time = 0; // seconds since 1970, read as local time; 0 when invalid
    int64_t created_time = 0;
    uint8_t attributes = 0; // FAT attribute byte, 0x40 added for a deleted entry
    uint8_t in_deleted_dir = 0;
    char16_t name[260] = {}; // long name or 8.3 name; "#" first for deleted entries
    uint8_t has_files = 0;
    QList<fat_entry_s *> children;

    QString name_text() const { return QString::fromUtf16(name); }
};
constexpr uint8_t fat_attr_directory = 0x10;
constexpr uint8_t fat_attr_deleted = 0x40;

// NTFS: the library's 576-byte record followed by the engine's own two members.
struct ntfs_record_s {
    int64_t record_number = 0;
    int64_t parent_record = 0;
    int64_t size = 0;
    int64_t created_time = 0;
    int64_t reserved32 = 0;
    int64_t modified_time = 0;
    uint32_t flags = 0; // 0x01 directory, 0x02 file, 0x80 deleted
    uint32_t reserved52 = 0;
    char16_t name[260] = {};
};
static_assert(sizeof(ntfs_record_s) == 576, "the NTFS record is 576 bytes");
constexpr uint32_t ntfs_flag_directory = 0x01;
constexpr uint32_t ntfs_flag_file = 0x02;
constexpr uint32_t ntfs_flag_deleted = 0x80;
constexpr int64_t ntfs_root_record = 5;
constexpr int64_t ntfs_last_system_record = 11; // records 0..11 are the volume's own

struct ntfs_entry_s : ntfs_record_s {
    uint8_t has_files = 0;
    QList<ntfs_entry_s *> children;

    QString name_text() const { return QString::fromUtf16(name); }
};

// Deep scan: one carved file (32 bytes, the same bytes as a scan-file record).
struct raw_entry_s {
    int64_t index = 0;  // position in records when reported
    int64_t offset = 0; // byte offset of the first byte on the volume
    int64_t size = 0;
    char extension[8] = {}; // without the dot, zero-padded; 8 characters have no terminator

    QString extension_text() const
    {
        return QString::fromLatin1(extension, static_cast<qsizetype>(qstrnlen(extension, sizeof extension)));
    }
};
static_assert(sizeof(raw_entry_s) == 32, "the scan-file record is 32 bytes");
