#pragma once
// The page's painted progress bar: the skin's bar when it is built in, else a plain one of the
// same shape (textured fill from the left, percentage centred).

#if __has_include("skin/progress_bar.h")
#include "skin/progress_bar.h"
using page_progress_c = progress_bar_c;
#else
#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPixmap>

class page_progress_c {
public:
    void setup(const QString &image, const QColor &colour)
    {
        fill_image = QPixmap(image);
        fill_brush = fill_image.isNull() ? QBrush(QColor(81, 149, 206)) : QBrush(fill_image);
        background = colour;
        value = 0.0;
    }
    void paint(QPainter *painter, const QRect &rect) const
    {
        painter->fillRect(rect, background);
        QRect filled = rect;
        filled.setRight(rect.left() + int((rect.right() - rect.left()) * value));
        if (value > 0.0)
            painter->fillRect(filled, fill_brush);
        painter->setPen(Qt::black);
        painter->drawText(rect, Qt::AlignHCenter, QString::asprintf("%d%%", int(value * 100)));
    }

    QPixmap fill_image;
    QBrush fill_brush;
    QColor background;
    double value = 0.0;
};
#endif
