// Picture buttons that carry text, one set per image folder: the frame's three navigation
// buttons and the home page's two large buttons.

#include "image_set.h"
#include "painting.h"

#include "skin/palette.h"

namespace {

enum class top_icon { quick, partitions, deep };

// state 1 normal, 2 hover, 3 pressed, 4 (unused by the frame) like pressed
QImage top_button(top_icon icon, const QString &text, int state)
{
    const int w = 95, h = 70;
    QImage img = canvas(w, h);
    QPainter p(&img);
    smooth(p);
    if (state >= 2) {
        p.setPen(QPen(QColor(255, 255, 255, state == 2 ? 70 : 110), 1));
        p.setBrush(QColor(255, 255, 255, state == 2 ? 38 : 70));
        p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 6, 6);
    }
    const qreal dy = state >= 3 ? 1 : 0;
    const QRectF box(w / 2.0 - 17, 5 + dy, 34, 34);
    const QColor ink(255, 255, 255);
    switch (icon) {
    case top_icon::quick: icon_magnifier(p, box, ink); break;
    case top_icon::partitions: icon_disk(p, box, ink); break;
    case top_icon::deep: icon_deep_scan(p, box, ink); break;
    }
    fitted_text(p, text, QRect(2, 41 + int(dy), w - 4, 27), ink, 10, true, true);
    return img;
}

// state 0 normal, 1 hover, 2 pressed
QImage home_button(bool scan, const QString &title, const QString &hint, int w, int state)
{
    const int h = 106;
    QImage img = canvas(w, h);
    QPainter p(&img);
    smooth(p);
    const QColor top = state == 0 ? QColor(255, 255, 255)
                                  : (state == 1 ? QColor(244, 250, 255) : QColor(226, 240, 253));
    const QColor bottom = state == 0 ? QColor(look::even_row)
                                     : (state == 1 ? QColor(226, 240, 253) : QColor(214, 232, 252));
    const QColor border = state == 0 ? QColor(look::divider) : QColor(look::bar_frame);
    // a soft drop shadow under the card
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 80, 150, state == 2 ? 10 : 22));
    p.drawRoundedRect(QRectF(2, 4, w - 4, h - 4), 10, 10);
    const qreal dy = state == 2 ? 1 : 0;
    rounded_gradient(p, QRectF(1, 1 + dy, w - 2, h - 5), 10, top, bottom, border);

    const QRectF circle(16, 18 + dy, 66, 66);
    rounded_gradient(p, circle, 33, QColor(state == 1 ? look::accent_light : look::accent),
                     QColor(look::accent_dark));
    const QRectF glyph = circle.adjusted(15, 15, -15, -15);
    if (scan)
        icon_magnifier(p, glyph, Qt::white);
    else
        icon_resume(p, glyph, Qt::white);

    const QRect text_box(96, 14 + int(dy), w - 108, 44);
    fitted_text(p, title, text_box, QColor(look::accent_dark), 15, true, false,
                Qt::AlignLeft | Qt::AlignBottom);
    const QRect hint_box(96, 60 + int(dy), w - 108, 34);
    fitted_text(p, hint, hint_box, QColor(look::intro_text), 10, false, false,
                Qt::AlignLeft | Qt::AlignTop);
    return img;
}

} // namespace

void draw_localized(image_set_c &out, const QString &code, const button_texts_s &t)
{
    const QString dir = QStringLiteral("multilang/") + code + QLatin1Char('/');
    const std::pair<top_icon, QString> tops[] = {
        {top_icon::quick, t.quick}, {top_icon::partitions, t.partitions}, {top_icon::deep, t.deep}};
    for (int n = 0; n < 3; ++n)
        for (int state = 1; state <= 4; ++state)
            out.save(dir + QStringLiteral("btn_top%1%2.png").arg(n + 1).arg(state),
                     top_button(tops[n].first, tops[n].second, state));
    for (int state = 0; state < 3; ++state) {
        out.save(dir + QStringLiteral("btn_start_scan%1.png").arg(state + 1),
                 home_button(true, t.start, t.start_hint, 330, state));
        out.save(dir + QStringLiteral("btn_resume_recovery%1.png").arg(state + 1),
                 home_button(false, t.resume, t.resume_hint, 323, state));
    }
}
