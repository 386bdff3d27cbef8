#include "partition/partition_model.h"

#include <mutex>

partition_model_c::partition_model_c(const QList<partition_item_s> *list, QObject *parent)
    : QAbstractListModel(parent), items(list)
{
    register_partition_item();
    // Views and accessibility ask for a row's text; the record answers with its file system.
    static std::once_flag registered;
    std::call_once(registered, [] {
        QMetaType::registerConverter<partition_item_s, QString>(
            [](const partition_item_s &item) { return item.fs_name; });
    });
}

int partition_model_c::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !items)
        return 0;
    return int(items->size());
}

QVariant partition_model_c::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || role != Qt::DisplayRole || !items ||
        index.row() < 0 || index.row() >= items->size())
        return {};
    return QVariant::fromValue(items->at(index.row()));
}
