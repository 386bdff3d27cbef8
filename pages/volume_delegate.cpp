#include "pages/volume_delegate.h"

#include "app/settings.h"
#include "app/translations.h"
#include "pages/row_painting.h"
#include "skin/palette.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {

QFont arial(int points) { return QFont(QStringLiteral("Arial"), points); }

void paint_title_row(QPainter *p, const QRect &row)
{
    const int w = row.width(), y = row.top(), x0 = row.left();
    p->fillRect(row, QColor(look::title_row));
    p->setPen(divider_pen());
    const int d1 = x0 + int(w * 0.32), d2 = x0 + int(w * 0.85);
    p->drawLine(d1, 0, d1, row.bottom());
    p->drawLine(d2, 0, d2, row.bottom());
    p->setFont(arial(10));
    p->setPen(Qt::black);
    p->drawText(x0 + 60, y + 20, text_for("volume_logical_drives"));
    p->drawText(x0 + int(w * 0.32 + 165), y + 20, text_for("drive_size"));
    p->drawText(x0 + int(w * 0.85 + 15), y + 20, text_for("partition_fs"));
}

void paint_volume_row(QPainter *p, const QRect &row, const volume_item_s &v)
{
    const QPixmap red(QStringLiteral(":/images/partition_search/red.png"));
    const volume_row_layout_s l = volume_row_layout(row, v, red.height() + 1);
    p->setPen(divider_pen());
    p->drawLine(l.divider1, row.top(), l.divider1, row.bottom());
    p->drawLine(l.divider2, row.top(), l.divider2, row.bottom());
    p->drawPixmap(row.left() + 20, row.top() + 5,
                  QPixmap(QStringLiteral(":/images/partition_search/drives.png")));
    p->setFont(arial(8));
    p->setPen(Qt::black);
    p->drawText(l.name_at, l.name);
    p->setPen(QColor(look::bar_frame));
    p->drawRect(l.bar_frame);
    p->setPen(Qt::black);
    p->drawText(l.size_text_at, l.size_text);
    p->drawText(l.file_system_at, v.file_system);
    if (!l.bar_fill.isEmpty()) {
        const QPixmap texture(l.red ? red
                                    : QPixmap(QStringLiteral(":/images/partition_search/green.png")));
        p->setBrushOrigin(0, row.top() + 6);
        p->fillRect(l.bar_fill, QBrush(texture));
    }
}

} // namespace

QString shown_mount_point(const QString &mount_point)
{
    if (mount_point.size() > 1 && (mount_point.endsWith(QLatin1Char('/')) ||
                                   mount_point.endsWith(QLatin1Char('\\'))))
        return mount_point.chopped(1);
    return mount_point;
}

volume_row_layout_s volume_row_layout(const QRect &row, const volume_item_s &v, int fill_height)
{
    volume_row_layout_s l;
    const int w = row.width(), y = row.top(), x0 = row.left();
    l.divider1 = x0 + int(w * 0.32);
    l.divider2 = x0 + int(w * 0.85);
    l.name = (v.label.isEmpty() ? text_for("local_disk") : v.label) + QStringLiteral(" (") +
             shown_mount_point(v.mount_point) + QLatin1Char(')');
    l.name_at = QPoint(x0 + 45, y + 20);
    const int b = int(w * 0.53 - 170);
    l.bar_frame = QRect(x0 + int(w * 0.32 + 10), y + 5, b, 20);
    l.size_text = format_size(v.free_bytes) + text_for("recovery_free") + format_size(v.total_bytes);
    l.size_text_at = QPoint(x0 + int(w * 0.32 + b + 20), y + 20);
    l.file_system_at = QPoint(x0 + int(w * 0.85 + 20), y + 20);
    if (v.total_bytes != 0) {
        const float r = float(double(v.free_bytes) / double(v.total_bytes));
        l.red = r <= 0.2f;
        // More free than total (a file system that misreports) fills nothing, never backwards.
        const int fill = std::max(0, int((1 - r) * b - 2));
        l.bar_fill = QRect(x0 + int(w * 0.32 + 11), y + 6, fill, fill_height);
    }
    return l;
}

void volume_delegate_c::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    const QVariant data = index.data();
    if (!data.canConvert<volume_item_s>()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const volume_item_s volume = data.value<volume_item_s>();
    painter->save();
    paint_row_background(painter, option, index.row());
    if (volume.mount_point.isEmpty())
        paint_title_row(painter, option.rect);
    else
        paint_volume_row(painter, option.rect, volume);
    painter->restore();
}

QSize volume_delegate_c::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), 30);
}
