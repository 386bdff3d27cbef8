#pragma once
// One found file as the results page lists, previews and recovers it.

#include "engines/found_entries.h"
#include "results/engine_set.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <cstdint>

struct recovery_item_s {
    QString name;       // shown, and the output file name (made safe before joining)
    uint64_t size = 0;
    int64_t date1 = 0;  // modified, seconds since 1970 UTC
    int64_t date2 = 0;  // created
    int64_t file_id = 0; // what the engine's recover_file / get_file_path take
    uint32_t attributes = 0;
    bool ticked = false;
};
Q_DECLARE_METATYPE(recovery_item_s)

// Registers the type under "recovery_item_s", convertible to its name as text (for views and
// tools that want a display text). Safe to call more than once.
void register_recovery_item_type();

recovery_item_s item_from(const fat_entry_s &entry);
recovery_item_s item_from(const ntfs_entry_s &entry);
recovery_item_s item_from(const raw_entry_s &entry);

// The files of one tree node: the entry's non-directory children (FAT: first cluster not 0;
// NTFS: file flag, record above 11) or the records of a deep-scan category.
QList<recovery_item_s> items_of(const fat_entry_s &directory);
QList<recovery_item_s> items_of(const ntfs_entry_s &directory);
QList<recovery_item_s> items_of(engine_set_c &engines, const void *category);
