#pragma once
// Row background rules shared by the list delegates: even rows tinted, the selected row blue.

#include <QStyleOptionViewItem>

class QPainter;

void paint_row_background(QPainter *painter, const QStyleOptionViewItem &option, int row);
// The pen of the column lines: width 1, square caps, bevel joins.
QPen divider_pen();
