#pragma once
// Small real images for the hostile-disk tests: FAT12/16/32 made by mkfs.fat and mtools, NTFS made
// by mkntfs and ntfscp, and an MBR disk with a FAT16 primary and an extended partition. Each has a
// folder, live and deleted files, and a PDF for the deep scan to find. Also the byte-level damage applied to them and a runner for the
// command-line program that reports crashes, hangs and sanitizer reports.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct hostile_image_s {
    QString name; // "fat12", "fat16", "fat32", "ntfs", "disk"
    QString path;
    QStringList volume_args; // what scan/recover need to pick the volume ("--partition", "1")
};

// Builds every image below folder. Empty list (and *error) when a tool is missing or fails.
QList<hostile_image_s> hostile_build_images(const QString &folder, QString *error);

// Offset and length of a named structure of an image: "boot", "fat", "root", "subdir", "mft",
// "mft_runlist", "file_runlist", "root_record", "table", "ebr". Length 0 when it has none.
struct hostile_region_s {
    qint64 offset = 0;
    qint64 length = 0;
};
hostile_region_s hostile_region(const QByteArray &image, const QString &kind, const QString &region);

// Flips count bits chosen by seed inside region (MFT records are edited with their fixups undone
// and redone, so the damage reaches the parser behind the fixup check).
void hostile_flip_bits(QByteArray &image, const QString &kind, const QString &region, quint32 seed, int count);

// Structural damage by name: "crosslink", "dir_self", "dir_parent_loop", "chain_loop",
// "mft_parent_cycle", "mft_self_parent", "runlist_beyond_end", "runlist_huge", "resident_overflow",
// "name_overflow", "ebr_loop", "part_beyond_end", "part_overlap".
// False when the image kind has no such structure.
bool hostile_structural(QByteArray &image, const QString &kind, const QString &damage);

// Sets one field of the boot sector ("bps", "spc", "reserved", "fats", "root_entries",
// "fat_size16", "total32", "fat_size32", "root_cluster"; NTFS "bps", "spc", "total", "mft_lcn",
// "record_size") or of the entry of A.TXT ("a_size", "a_cluster") to value. False when unknown.
bool hostile_set_field(QByteArray &image, const QString &kind, const QString &field, qint64 value);

struct cli_run_s {
    bool finished = false; // false: timed out or did not start
    bool crashed = false;  // ended by a signal
    int exit_code = -1;
    QByteArray out;        // stdout
    QByteArray err;        // stderr
};
// Runs vornrecovery-cli with args, killing it after timeout_ms.
cli_run_s hostile_run_cli(const QStringList &args, int timeout_ms = 60000);
// The first sanitizer report line in text, or empty.
QByteArray hostile_sanitizer_report(const QByteArray &text);

// SHA-256 and size of a file, as one comparable string.
QString hostile_file_digest(const QString &path);
