#pragma once
// The file table: a thin model over the page's item list (not owned). Every cell's display data
// is the whole record; the delegate paints it. Replaced, never reset, when the list changes.

#include "results/recovery_item.h"

#include <QAbstractTableModel>
#include <array>

class recovery_model_c : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit recovery_model_c(QList<recovery_item_s> *items, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Columns 1 name, 2 size, 3 date1, 4 date2; each press flips that column's direction,
    // the first press sorting ascending.
    void sort_by_column(int column);
    void set_item_ticked(int row, bool value);

    std::array<bool, 5> sort_ascending{};

private:
    QList<recovery_item_s> *items_;
};
