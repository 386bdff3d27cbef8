// The results page's animation while a scan runs: a magnifier sweeping over a platter whose
// sectors light up one after another. 130 x 86, looped.

#include "gif_writer.h"
#include "image_set.h"
#include "painting.h"

#include "skin/palette.h"

#include <cmath>

namespace {

const int frame_count = 12;

QImage frame(int n)
{
    QImage img(130, 86, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent); // the page's status text shows through around the wheel
    QPainter p(&img);
    smooth(p);
    const QPointF c(52, 43);
    const qreal r = 32;
    p.setPen(QPen(QColor(look::bar_frame), 2));
    p.setBrush(QColor(look::even_row));
    p.drawEllipse(c, r, r);
    for (int i = 0; i < frame_count; ++i) {
        // sectors already read are filled, the current one is bright
        const int age = (n - i + frame_count) % frame_count;
        QColor sector(look::accent);
        sector.setAlpha(age == 0 ? 255 : std::max(30, 200 - age * 28));
        p.setPen(Qt::NoPen);
        p.setBrush(sector);
        p.drawPie(QRectF(c.x() - r + 5, c.y() - r + 5, 2 * r - 10, 2 * r - 10),
                  (90 - i * 30) * 16, -26 * 16);
    }
    p.setBrush(Qt::white);
    p.drawEllipse(c, 7, 7);
    const double a = n * 2 * M_PI / frame_count;
    const QPointF lens(96 + std::cos(a) * 8, 40 + std::sin(a) * 8);
    icon_magnifier(p, QRectF(lens.x() - 20, lens.y() - 20, 40, 40), QColor(look::accent_dark));
    return img;
}

QList<QRgb> palette()
{
    // white, the blues of the look at several strengths, grey shades for the lens
    QList<QRgb> colours;
    const QColor bases[] = {QColor(look::accent), QColor(look::accent_dark),
                            QColor(look::bar_frame), QColor(look::even_row)};
    for (const QColor &base : bases)
        for (int i = 0; i <= 15; ++i) {
            const double t = i / 15.0; // blend with white
            colours.append(qRgb(int(base.red() + (255 - base.red()) * t),
                                int(base.green() + (255 - base.green()) * t),
                                int(base.blue() + (255 - base.blue()) * t)));
        }
    for (int i = 0; i < 16; ++i)
        colours.append(qRgb(i * 17, i * 17, i * 17));
    return colours;
}

} // namespace

void draw_animation(image_set_c &out)
{
    QList<QImage> frames;
    for (int n = 0; n < frame_count; ++n)
        frames.append(frame(n));
    out.save_bytes(QStringLiteral("recovery/ani.gif"), encode_gif(frames, palette(), 10, true));
}
