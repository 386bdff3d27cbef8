#include "pages/volume_model.h"

#include <mutex>

volume_model_c::volume_model_c(const QList<volume_item_s> *list, QObject *parent)
    : QAbstractListModel(parent), items(list)
{
    // Views and accessibility ask for a row's text; the record answers with its device.
    static std::once_flag registered;
    std::call_once(registered, [] {
        QMetaType::registerConverter<volume_item_s, QString>(
            [](const volume_item_s &item) { return item.device_name; });
    });
}

int volume_model_c::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !items)
        return 0;
    return int(items->size());
}

QVariant volume_model_c::data(const QModelIndex &index, int role) const
{
    // Rows outside the list answer nothing rather than reading past it.
    if (!index.isValid() || role != Qt::DisplayRole || !items || index.row() >= items->size())
        return {};
    return QVariant::fromValue(items->at(index.row()));
}
