#include "partition/partition_delegate.h"

#include "app/settings.h"
#include "app/translations.h"
#include "pages/row_painting.h"
#include "partition/partition_item.h"
#include "skin/palette.h"

#include <QPainter>
#include <cstdint>

namespace {

// Five columns at fifths of the row width; texts start 15 pixels into their column.
constexpr double column_at[] = {0.0, 0.2, 0.4, 0.6, 0.8};
constexpr int column_count = 5;
constexpr int text_inset = 15;

int column_left(const QRect &row, int column) { return row.left() + int(row.width() * column_at[column]); }

int column_right(const QRect &row, int column)
{
    return column + 1 < column_count ? column_left(row, column + 1) : row.left() + row.width();
}

void draw_columns(QPainter *p, const QRect &row, const QString (&texts)[column_count])
{
    for (int c = 0; c < column_count; ++c) {
        const int x = column_left(row, c) + text_inset;
        draw_column_text(p, QPoint(x, row.top() + 20), column_right(row, c) - x - 4, texts[c]);
    }
}

void paint_title_row(QPainter *p, const QRect &row)
{
    p->fillRect(row, QColor(look::title_row));
    p->setPen(divider_pen());
    for (int c = 1; c < column_count; ++c) {
        const int x = column_left(row, c);
        p->drawLine(x, row.top(), x, row.top() + row.height());
    }
    p->setFont(QFont(QStringLiteral("Verdana"), 10));
    p->setPen(Qt::black);
    const QString texts[column_count] = {text_for("partition_number"), text_for("partition_fs"),
                                         text_for("partition_ss"), text_for("partition_es"),
                                         text_for("drive_size")};
    draw_columns(p, row, texts);
}

void paint_partition_row(QPainter *p, const QRect &row, const partition_item_s &item, int number)
{
    p->setFont(QFont(QStringLiteral("Verdana"), 8));
    p->setPen(Qt::black);
    // The search never records an end before its start; a bad record shows no size rather
    // than a wrapped-around one.
    const uint64_t sectors = item.end_sector >= item.start_sector ? item.end_sector - item.start_sector + 1 : 0;
    const bool sized = sectors > 0 && sectors <= UINT64_MAX / 512;
    const QString texts[column_count] = {QString::number(number), item.fs_name,
                                         QString::number(item.start_sector),
                                         QString::number(item.end_sector),
                                         sized ? format_size(sectors * 512) : QString()};
    draw_columns(p, row, texts);
}

} // namespace

void partition_delegate_c::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    const QVariant data = index.data();
    if (data.metaType() != QMetaType::fromType<partition_item_s>()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const partition_item_s item = data.value<partition_item_s>();
    painter->save();
    paint_row_background(painter, option, index.row());
    if (item.fs_name.isEmpty())
        paint_title_row(painter, option.rect);
    else
        paint_partition_row(painter, option.rect, item, index.row());
    painter->restore();
}

QSize partition_delegate_c::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), 30);
}
