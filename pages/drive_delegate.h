#pragma once
// Paints a drive list row: the title row, or a drive with its path, size and number in the list.

#include <QStyledItemDelegate>

class drive_delegate_c : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
