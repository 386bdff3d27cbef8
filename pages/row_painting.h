#pragma once
// Row background rules shared by the list delegates: even rows tinted, the selected row blue.

#include <QPoint>
#include <QString>
#include <QStyleOptionViewItem>

class QPainter;

void paint_row_background(QPainter *painter, const QStyleOptionViewItem &option, int row);
// Draws text at a baseline point within max_width pixels: a text too wide for its column is
// drawn smaller (down to 6 points) and, if still too wide, elided, so it never runs into the
// next column.
void draw_column_text(QPainter *painter, QPoint at, int max_width, const QString &text);
// The pen of the column lines: width 1, square caps, bevel joins.
QPen divider_pen();
