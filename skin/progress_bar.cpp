#include "skin/progress_bar.h"

#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>

namespace {

// A worker may report a value a hair outside 0 ... 1 (or NaN before it starts).
double clamped(double v)
{
    if (!(v > 0.0))
        return 0.0;
    return std::min(v, 1.0);
}

} // namespace

void progress_bar_c::setup(const QString &image_path, const QColor &colour)
{
    fill_image = QPixmap(image_path);
    fill_brush = QBrush(fill_image);
    background = colour;
    value = 0.0;
}

int progress_bar_c::fill_right(const QRect &rect) const
{
    return rect.left() + static_cast<int>((rect.right() - rect.left()) * clamped(value));
}

QString progress_bar_c::percent_text() const
{
    return QStringLiteral("%1%").arg(static_cast<int>(clamped(value) * 100.0));
}

void progress_bar_c::paint(QPainter *painter, const QRect &rect) const
{
    painter->fillRect(rect, background);
    QRect filled = rect;
    filled.setRight(fill_right(rect));
    if (clamped(value) > 0.0) {
        // The texture starts at the bar's left edge, whatever the painter's brush origin was.
        const QPoint origin = painter->brushOrigin();
        painter->setBrushOrigin(rect.topLeft());
        painter->fillRect(filled, fill_brush);
        painter->setBrushOrigin(origin);
    }
    painter->save();
    painter->setPen(Qt::black);
    painter->drawText(rect, Qt::AlignHCenter, percent_text());
    painter->restore();
}
