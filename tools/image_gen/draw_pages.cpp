// Pictures of the pages: header band, home panel, list icons, bars, buttons, check boxes.

#include "image_set.h"
#include "painting.h"

#include "skin/palette.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace {

QImage page_band()
{
    QImage img(8, 40, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, 40);
    g.setColorAt(0, QColor(look::page_band_top));
    g.setColorAt(1, QColor(look::page_band_bottom));
    p.fillRect(img.rect(), g);
    return img;
}

// The panel behind the three lines of introductory text on the home page.
QImage intro_panel()
{
    QImage img = canvas(692, 188);
    QPainter p(&img);
    smooth(p);
    rounded_gradient(p, QRectF(0, 0, 692, 188), 8, QColor(look::even_row), QColor(255, 255, 255),
                     QColor(look::divider));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        // bullets beside the text baselines (h - 190, h - 140, h - 90 with the panel at h - 240)
        p.setBrush(QColor(look::accent_light));
        p.drawEllipse(QPointF(8, 46 + 50 * i), 3, 3);
    }
    return img;
}

// Plain push button picture, stretched by border-image: state 0 normal, 1 hover, 2 pressed.
QImage push_button(int w, int h, QColor base, int state)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    smooth(p);
    QColor top = base.lighter(state == 1 ? 135 : 118), bottom = base;
    if (state == 1)
        bottom = base.lighter(112);
    if (state == 2) {
        top = base.darker(118);
        bottom = base.darker(105);
    }
    rounded_gradient(p, QRectF(0, 0, w, h), 4, top, bottom, base.darker(130));
    if (state != 2) {
        p.setPen(QPen(QColor(255, 255, 255, 70), 1));
        p.drawLine(QPointF(4, 1.5), QPointF(w - 4, 1.5));
    }
    return img;
}

QImage check_box(bool ticked)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    smooth(p);
    rounded_gradient(p, QRectF(1, 1, 14, 14), 3,
                     ticked ? QColor(look::accent_light) : QColor(255, 255, 255),
                     ticked ? QColor(look::accent) : QColor(236, 244, 252),
                     ticked ? QColor(look::accent_dark) : QColor(look::bar_frame));
    if (ticked) {
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
    }
    return img;
}

// Bar textures: tiles repeated along the bar (height 18 inside a 20-pixel frame).
QImage bar_tile(QColor c)
{
    QImage img(8, 18, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, 18);
    g.setColorAt(0, c.lighter(140));
    g.setColorAt(0.45, c.lighter(110));
    g.setColorAt(1, c.darker(110));
    p.fillRect(img.rect(), g);
    return img;
}

QImage progress_tile()
{
    QImage img(16, 12, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    smooth(p);
    QLinearGradient g(0, 0, 0, 12);
    g.setColorAt(0, QColor(look::accent_light));
    g.setColorAt(1, QColor(look::accent));
    p.fillRect(img.rect(), g);
    // diagonal stripes that join from tile to tile
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 45));
    for (int x = -16; x < 32; x += 16)
        p.drawPolygon(QPolygonF({QPointF(x, 12), QPointF(x + 6, 0), QPointF(x + 12, 0),
                                 QPointF(x + 6, 12)}));
    return img;
}

QImage found_icon()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    smooth(p);
    icon_drive(p, QRectF(2, 6, 46, 46), QColor(look::accent), QColor(120, 230, 140));
    icon_magnifier(p, QRectF(28, 26, 34, 34), QColor(look::accent_dark));
    return img;
}

QImage small_drive()
{
    QImage img = canvas(20, 20);
    QPainter p(&img);
    smooth(p);
    icon_drive(p, QRectF(0, 0, 20, 20), QColor(look::accent), QColor(120, 230, 140));
    return img;
}

QImage folder()
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    smooth(p);
    icon_folder(p, QRectF(0, 0, 16, 16));
    return img;
}

// The form's first pictures of the home buttons (replaced at once by the localized ones).
QImage home_form_button(int w, int h, int state, bool scan)
{
    QImage img = push_button(w, h, QColor(look::accent), state);
    QPainter p(&img);
    smooth(p);
    if (scan)
        icon_magnifier(p, QRectF(8, 8, h - 16, h - 16), Qt::white);
    else
        icon_resume(p, QRectF(8, 8, h - 16, h - 16), Qt::white);
    return img;
}

} // namespace

void draw_pages(image_set_c &out)
{
    out.save(QStringLiteral("background/bai.png"), page_band());
    out.save(QStringLiteral("home/wenzi.png"), intro_panel());
    for (int s = 0; s < 3; ++s) {
        out.save(QStringLiteral("home/buttonscan%1.png").arg(s + 1),
                 home_form_button(111, 41, s, true));
        out.save(QStringLiteral("home/buttonrecovery%1.png").arg(s + 1),
                 home_form_button(121, 41, s, false));
        out.save(QStringLiteral("partition_search/btn_wai_%1.png").arg(s + 1),
                 push_button(100, 30, QColor(look::accent), s));
        out.save(QStringLiteral("partition_search/btn_start_%1.png").arg(s + 1),
                 push_button(75, 23, QColor(look::accent_light), s));
    }
    out.save(QStringLiteral("partition_search/check1.png"), check_box(false));
    out.save(QStringLiteral("partition_search/check2.png"), check_box(true));
    out.save(QStringLiteral("partition_search/drives.png"), small_drive());
    out.save(QStringLiteral("partition_search/red.png"), bar_tile(QColor(look::bar_red)));
    out.save(QStringLiteral("partition_search/green.png"), bar_tile(QColor(look::bar_green)));
    out.save(QStringLiteral("partition_search/icon_found1.png"), found_icon());
    out.save(QStringLiteral("partition_search/loding_on.png"), progress_tile());
    out.save(QStringLiteral("recovery/folder.png"), folder());
}
