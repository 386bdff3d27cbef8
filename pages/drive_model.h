#pragma once
// List model over a drive list it does not own; each row hands its whole record to the
// delegate in the display role.

#include "disk/drive_item.h"

#include <QAbstractListModel>

class drive_model_c : public QAbstractListModel {
    Q_OBJECT
public:
    explicit drive_model_c(const QList<drive_item_s> *list, QObject *parent = nullptr)
        : QAbstractListModel(parent), items(list) {}

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    const QList<drive_item_s> *items;
};
