#pragma once
// Paints a volume list row: the title row, or a volume with its name, a free-space bar (the
// used part filled, red when a fifth or less is free) with its size text, and its file system.

#include "disk/volume_item.h"

#include <QRect>
#include <QString>
#include <QStyledItemDelegate>

// Where a volume row puts its parts, for a row rectangle (x positions truncated to integers).
struct volume_row_layout_s {
    int divider1 = 0, divider2 = 0; // x of the two column lines
    QRect bar_frame;
    QRect bar_fill;   // empty when the volume has no size
    bool red = false; // fill texture: red when free / total <= 0.2
    QString name;     // label or "local_disk" text, then " (mount point)"
    QString size_text;
    QPoint size_text_at, name_at, file_system_at;
};

volume_row_layout_s volume_row_layout(const QRect &row, const volume_item_s &volume,
                                      int fill_height);

// The mount point as the name shows it: one trailing separator removed (except for "/").
QString shown_mount_point(const QString &mount_point);

class volume_delegate_c : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
