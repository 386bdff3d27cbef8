#pragma once
// Copies of a drive's sector 0 taken before the repair overwrites it, kept in the config folder.

#include <QDateTime>
#include <QString>
#include <cstdint>

// File name for a backup of drive_node's sector 0 taken at when:
// "mbr-backup-<drive file name>-<yyyyMMdd-HHmmss-zzz>.bin", with unsafe characters replaced.
QString mbr_backup_name(const QString &drive_node, const QDateTime &when);

// Writes the 512 bytes of sector into a new file in folder (created when missing), never over an
// existing file. Returns 0 with the file's path in *path, or -1.
int save_mbr_backup(const QString &folder, const QString &drive_node, const uint8_t *sector,
                    QString *path);
