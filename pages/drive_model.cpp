#include "pages/drive_model.h"

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
