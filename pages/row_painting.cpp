#include "pages/row_painting.h"

#include "skin/palette.h"

#include <QFontMetrics>
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

void draw_column_text(QPainter *painter, QPoint at, int max_width, const QString &text)
{
    if (max_width <= 0)
        return;
    QFont font = painter->font();
    const QFont original = font;
    while (QFontMetrics(font).horizontalAdvance(text) > max_width && font.pointSize() > 6)
        font.setPointSize(font.pointSize() - 1);
    painter->setFont(font);
    painter->drawText(at, QFontMetrics(font).elidedText(text, Qt::ElideRight, max_width));
    painter->setFont(original);
}
