#pragma once
// Paints a row of the found-partition list: the column titles, or a partition with its number,
// file system, first and last sector and size.

#include <QStyledItemDelegate>

class partition_delegate_c : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
