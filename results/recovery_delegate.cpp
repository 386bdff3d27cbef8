#include "results/recovery_delegate.h"

#include "app/settings.h"
#include "results/recovery_item.h"

#include <QPainter>
#include <ctime>

recovery_delegate_c::recovery_delegate_c(QObject *parent)
    : QStyledItemDelegate(parent),
      unticked_(QStringLiteral(":/images/partition_search/check1.png")),
      ticked_(QStringLiteral(":/images/partition_search/check2.png"))
{
}

QString recovery_delegate_c::date_text(int64_t seconds)
{
    const time_t t = time_t(seconds);
    std::tm local{};
    if (int64_t(t) != seconds || !localtime_r(&t, &local))
        return QStringLiteral("-");
    char text[32] = {};
    if (std::strftime(text, sizeof text, "%Y-%m-%d", &local) == 0)
        return QStringLiteral("-");
    return QString::fromLatin1(text);
}

void recovery_delegate_c::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const QVariant data = index.data(Qt::DisplayRole);
    if (!data.canConvert<recovery_item_s>()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const recovery_item_s item = data.value<recovery_item_s>();
    const QRect cell = option.rect;
    painter->save();
    if (index.row() % 2 == 0)
        painter->fillRect(cell, QColor(241, 250, 255));
    if (option.state & QStyle::State_Selected)
        painter->fillRect(cell, QColor(81, 149, 206));
    painter->setFont(QFont(QStringLiteral("Segoe UI Symbol"), 8));
    const QRect text_rect = cell.adjusted(10, 0, 0, 0);
    const int flags = Qt::AlignVCenter | Qt::AlignJustify;
    switch (index.column()) {
    case 0: {
        const int side = unticked_.width();
        painter->drawPixmap(QRect(cell.x() + 10, cell.y() + 10, side, side), item.ticked ? ticked_ : unticked_);
        break;
    }
    case 1: painter->drawText(text_rect, flags, item.name); break;
    case 2: painter->drawText(text_rect, flags, format_size(item.size)); break;
    case 3: painter->drawText(text_rect, flags, date_text(item.date1)); break;
    case 4: painter->drawText(text_rect, flags, date_text(item.date2)); break;
    default: break;
    }
    painter->restore();
}
