#include "pages/volume_model.h"

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
