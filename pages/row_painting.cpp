#include "pages/row_painting.h"

#include "skin/palette.h"

#include <QPainter>
#include <QPen>

void paint_row_background(QPainter *painter, const QStyleOptionViewItem &option, int row)
{
    if (row % 2 == 0)
        painter->fillRect(option.rect, QColor(look::even_row));
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, QColor(look::selected_row));
}

QPen divider_pen()
{
    return QPen(QBrush(QColor(look::divider)), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}
