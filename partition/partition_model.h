#pragma once
// List model over a list of found partitions it does not own; each row hands its whole record to
// the delegate in the display role. The page builds a new model over a fresh snapshot whenever
// the search finds another partition.

#include "partition/partition_item.h"

#include <QAbstractListModel>
#include <QList>

class partition_model_c : public QAbstractListModel {
    Q_OBJECT
public:
    explicit partition_model_c(const QList<partition_item_s> *list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    const QList<partition_item_s> *items;
};
