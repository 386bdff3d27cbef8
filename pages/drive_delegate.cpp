#include "pages/drive_delegate.h"

#include "app/settings.h"
#include "app/translations.h"
#include "disk/drive_item.h"
#include "pages/row_painting.h"
#include "skin/palette.h"

#include <QPainter>

namespace {

QFont verdana(int points) { return QFont(QStringLiteral("Verdana"), points); }

void paint_title_row(QPainter *p, const QRect &row)
{
    const int w = row.width(), y = row.top(), x0 = row.left();
    p->fillRect(row, QColor(look::title_row));
    p->setPen(divider_pen());
    const int d1 = x0 + int(w * 0.5), d2 = x0 + int(w * 0.85);
    p->drawLine(d1, 0, d1, row.bottom());
    p->drawLine(d2, 0, d2, row.bottom());
    p->setFont(verdana(10));
    p->setPen(Qt::black);
    p->drawText(x0 + 60, y + 20, text_for("drive_physical_drives"));
    // These two column titles are fixed English words, not translation keys.
    p->drawText(x0 + int(w * 0.5 + 70), y + 20, QStringLiteral("Size"));
    p->drawText(x0 + int(w * 0.85 + 15), y + 20, QStringLiteral("Number"));
}

void paint_drive_row(QPainter *p, const QRect &row, const drive_item_s &drive, int number)
{
    const int w = row.width(), y = row.top(), x0 = row.left();
    p->setFont(verdana(8));
    p->setPen(Qt::black);
    p->drawText(x0 + 60, y + 20, drive.device_path);
    p->drawText(x0 + int(w * 0.5 + 70), y + 20, format_size(drive.size_bytes));
    p->drawText(x0 + int(w * 0.85 + 15), y + 20, QString::number(number));
}

} // namespace

void drive_delegate_c::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const QVariant data = index.data();
    if (!data.canConvert<drive_item_s>()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const drive_item_s drive = data.value<drive_item_s>();
    painter->save();
    paint_row_background(painter, option, index.row());
    if (!drive.geometry)
        paint_title_row(painter, option.rect);
    else
        paint_drive_row(painter, option.rect, drive, index.row());
    painter->restore();
}

QSize drive_delegate_c::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), 30);
}
