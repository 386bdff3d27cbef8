#include "results/recovery_model.h"

#include "app/translations.h"

#include <algorithm>

recovery_model_c::recovery_model_c(QList<recovery_item_s> *items, QObject *parent)
    : QAbstractTableModel(parent), items_(items)
{
    register_recovery_item_type();
}

int recovery_model_c::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(items_->size());
}

int recovery_model_c::columnCount(const QModelIndex &) const { return 5; }

QVariant recovery_model_c::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= items_->size())
        return {};
    return QVariant::fromValue(items_->at(index.row()));
}

QVariant recovery_model_c::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const keys[] = {"recovery_name", "drive_size", "recovery_date1", "recovery_date2"};
    if (section == 0)
        return QStringLiteral("checkbox");
    if (section >= 1 && section <= 4)
        return text_for(keys[section - 1]);
    return {};
}

namespace {

template <typename Key>
void sort_items(QList<recovery_item_s> &items, bool ascending, Key key)
{
    if (ascending)
        std::sort(items.begin(), items.end(), [&](const auto &a, const auto &b) { return key(a) < key(b); });
    else
        std::sort(items.begin(), items.end(), [&](const auto &a, const auto &b) { return key(b) < key(a); });
}

} // namespace

void recovery_model_c::sort_by_column(int column)
{
    if (column < 1 || column > 4)
        return;
    const bool ascending = sort_ascending[size_t(column)] = !sort_ascending[size_t(column)];
    switch (column) {
    case 1:
        // Case-sensitive, UTF-16 code unit order.
        if (ascending)
            std::sort(items_->begin(), items_->end(),
                      [](const auto &a, const auto &b) { return QString::compare(a.name, b.name) < 0; });
        else
            std::sort(items_->begin(), items_->end(),
                      [](const auto &a, const auto &b) { return QString::compare(b.name, a.name) < 0; });
        break;
    case 2: sort_items(*items_, ascending, [](const recovery_item_s &i) { return i.size; }); break;
    case 3: sort_items(*items_, ascending, [](const recovery_item_s &i) { return i.date1; }); break;
    case 4: sort_items(*items_, ascending, [](const recovery_item_s &i) { return i.date2; }); break;
    }
    if (!items_->isEmpty())
        emit dataChanged(index(0, 0), index(int(items_->size()) - 1, 4));
}

void recovery_model_c::set_item_ticked(int row, bool value)
{
    if (row < 0 || row >= items_->size())
        return;
    (*items_)[row].ticked = value;
    emit dataChanged(index(row, 0), index(row, 0));
}
