#include "pages/drive_model.h"

#include <mutex>

drive_model_c::drive_model_c(const QList<drive_item_s> *list, QObject *parent)
    : QAbstractListModel(parent), items(list)
{
    // Views and accessibility ask for a row's text; the record answers with its device.
    static std::once_flag registered;
    std::call_once(registered, [] {
        QMetaType::registerConverter<drive_item_s, QString>(
            [](const drive_item_s &item) { return item.device_path; });
    });
}

int drive_model_c::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !items)
        return 0;
    return int(items->size());
}

QVariant drive_model_c::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || !items || index.row() >= items->size())
        return {};
    return QVariant::fromValue(items->at(index.row()));
}
