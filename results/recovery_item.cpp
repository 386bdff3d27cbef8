#include "results/recovery_item.h"

void register_recovery_item_type()
{
    static const bool done = [] {
        qRegisterMetaType<recovery_item_s>("recovery_item_s");
        QMetaType::registerConverter<recovery_item_s, QString>([](const recovery_item_s &i) { return i.name; });
        return true;
    }();
    Q_UNUSED(done);
}

recovery_item_s item_from(const fat_entry_s &e)
{
    recovery_item_s item;
    item.name = e.name_text();
    item.size = e.size;
    item.date1 = e.modified_time;
    item.date2 = e.created_time;
    item.file_id = e.first_cluster;
    item.attributes = e.attributes;
    return item;
}

recovery_item_s item_from(const ntfs_entry_s &e)
{
    recovery_item_s item;
    item.name = e.name_text();
    item.size = e.size < 0 ? 0 : uint64_t(e.size);
    item.date1 = e.modified_time;
    item.date2 = e.created_time;
    item.file_id = e.record_number;
    item.attributes = e.flags;
    return item;
}

recovery_item_s item_from(const raw_entry_s &e)
{
    recovery_item_s item;
    item.name = QString::asprintf("%08llu.", static_cast<unsigned long long>(e.index)) + e.extension_text();
    item.size = e.size < 0 ? 0 : uint64_t(e.size);
    item.file_id = e.index;
    return item;
}

QList<recovery_item_s> items_of(const fat_entry_s &directory)
{
    QList<recovery_item_s> items;
    for (const fat_entry_s *child : directory.children)
        if (child && !(child->attributes & fat_attr_directory) && child->first_cluster != 0)
            items.append(item_from(*child));
    return items;
}

QList<recovery_item_s> items_of(const ntfs_entry_s &directory)
{
    QList<recovery_item_s> items;
    for (const ntfs_entry_s *child : directory.children)
        if (child && (child->flags & ntfs_flag_file) && child->record_number > ntfs_last_system_record)
            items.append(item_from(*child));
    return items;
}

QList<recovery_item_s> items_of(engine_set_c &engines, const void *category)
{
    QList<recovery_item_s> items;
    if (!category)
        return items;
    const auto ids = engines.category_ids(category);
    items.reserve(qsizetype(ids.size()));
    for (int64_t id : ids)
        if (const raw_entry_s *record = engines.raw_record(id)) {
            items.append(item_from(*record));
            items.last().file_id = id; // recover_file takes the list's value
        }
    return items;
}
