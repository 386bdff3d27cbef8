// The frame: title band with shadow edges, title-bar buttons, logo and the program icon.

#include "image_set.h"
#include "painting.h"

#include "skin/palette.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <cmath>

namespace {

const int S = look::shadow;
const int edge = S + 1; // shadow columns plus the frame's one-pixel border

QColor shadow_at(int distance_from_outside)
{
    // Darkest next to the window, fading outwards.
    const int a = look::shadow_alpha * (distance_from_outside + 1) / (S + 1);
    return QColor(0, 0, 0, a * (distance_from_outside + 1) / (S + 1));
}

const QColor border(look::bar_frame);

QImage left_edge()
{
    QImage img = canvas(edge, 16);
    QPainter p(&img);
    for (int x = 0; x < S; ++x)
        p.fillRect(x, 0, 1, 16, shadow_at(x));
    p.fillRect(S, 0, 1, 16, border);
    return img;
}

QImage bottom_edge()
{
    const int w = 256;
    QImage img = canvas(w, edge);
    QPainter p(&img);
    p.fillRect(S, 0, w - 2 * S, 1, border);
    for (int y = 1; y <= S; ++y)
        p.fillRect(S, y, w - 2 * S, 1, shadow_at(S - y));
    // corners: the darker of the two shadows that meet there
    for (int x = 0; x < S; ++x) {
        p.fillRect(x, 0, 1, 1, shadow_at(x));
        p.fillRect(w - 1 - x, 0, 1, 1, shadow_at(x));
        for (int y = 1; y <= S; ++y) {
            const QColor c = shadow_at(std::min(x, S - y));
            p.fillRect(x, y, 1, 1, c);
            p.fillRect(w - 1 - x, y, 1, 1, c);
        }
    }
    return img;
}

// Title band: gradient, highlight line, soft light shapes at both ends, shadow at the sides.
QImage top_edge()
{
    const int w = 256, h = look::band_height;
    QImage img = canvas(w, h);
    QPainter p(&img);
    smooth(p);
    for (int x = 0; x < S; ++x) {
        p.fillRect(x, 4, 1, h - 4, shadow_at(x));
        p.fillRect(w - 1 - x, 4, 1, h - 4, shadow_at(x));
    }
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(look::band_top));
    g.setColorAt(1, QColor(look::band_bottom));
    QPainterPath band;
    band.addRoundedRect(QRectF(S, 0, w - 2 * S, h + 6), 5, 5);
    p.setClipPath(band);
    p.fillRect(QRect(S, 0, w - 2 * S, h), g);
    p.setClipping(false);
    p.fillRect(S, h - 1, w - 2 * S, 1, QColor(look::band_line));
    p.fillRect(S + 5, 0, w - 2 * S - 10, 1, QColor(255, 255, 255, 70));
    return img;
}

QImage system_button(int kind, int state)
{
    // kind 0 close, 1 maximise, 2 restore, 3 minimise, 4 settings
    const int w = 30, h = 21;
    QImage img = canvas(w, h);
    QPainter p(&img);
    smooth(p);
    if (state > 0) {
        QColor bg = kind == 0 ? QColor(214, 48, 49) : QColor(255, 255, 255);
        bg.setAlpha(kind == 0 ? (state == 1 ? 220 : 255) : (state == 1 ? 50 : 90));
        p.setPen(Qt::NoPen);
        p.setBrush(bg);
        p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), 3, 3);
    }
    QColor ink(255, 255, 255, state == 0 ? 225 : 255);
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c(w / 2.0, h / 2.0);
    switch (kind) {
    case 0:
        p.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
        p.drawLine(c + QPointF(-4, 4), c + QPointF(4, -4));
        break;
    case 1:
        p.drawRect(QRectF(c.x() - 4.5, c.y() - 4, 9, 8));
        p.drawLine(c + QPointF(-4.5, -3), c + QPointF(4.5, -3));
        break;
    case 2:
        p.drawRect(QRectF(c.x() - 5, c.y() - 2, 7, 6));
        p.drawPolyline(QPolygonF({c + QPointF(-2.5, -2), c + QPointF(-2.5, -4.5),
                                  c + QPointF(5, -4.5), c + QPointF(5, 1.5),
                                  c + QPointF(2, 1.5)}));
        break;
    case 3:
        p.drawLine(c + QPointF(-4.5, 3), c + QPointF(4.5, 3));
        break;
    default: {
        // cog: ring with eight teeth
        p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::FlatCap));
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(c + QPointF(std::cos(a) * 3.8, std::sin(a) * 3.8),
                       c + QPointF(std::cos(a) * 6.2, std::sin(a) * 6.2));
        }
        p.setPen(QPen(ink, 1.6));
        p.drawEllipse(c, 3.6, 3.6);
        break;
    }
    }
    return img;
}

void emblem(QPainter &p, const QRectF &b)
{
    // a platter with a returning arrow: files coming back
    const qreal s = b.width();
    p.save();
    p.setPen(QPen(QColor(255, 255, 255), s * 0.08));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(b.adjusted(s * 0.06, s * 0.06, -s * 0.06, -s * 0.06));
    p.setBrush(QColor(255, 255, 255));
    p.setPen(Qt::NoPen);
    p.drawEllipse(b.center(), s * 0.09, s * 0.09);
    p.setPen(QPen(QColor(255, 255, 255), s * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF arc = b.adjusted(s * 0.24, s * 0.24, -s * 0.24, -s * 0.24);
    p.drawArc(arc, 100 * 16, 250 * 16);
    const QPointF tip(arc.center().x() + std::cos(100 * M_PI / 180) * arc.width() / 2,
                      arc.center().y() - std::sin(100 * M_PI / 180) * arc.height() / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(QPolygonF({tip + QPointF(s * 0.16, 0), tip + QPointF(-s * 0.04, -s * 0.14),
                             tip + QPointF(-s * 0.04, s * 0.14)}));
    p.restore();
}

QImage logo()
{
    QImage img = canvas(110, 64);
    QPainter p(&img);
    smooth(p);
    emblem(p, QRectF(0, 14, 36, 36));
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setBold(true);
    f.setPixelSize(19);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(42, 12, 68, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vorn"));
    f.setBold(false);
    f.setPixelSize(12);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    p.setFont(f);
    p.setPen(QColor(214, 232, 255));
    p.drawText(QRect(42, 33, 68, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Recovery"));
    return img;
}

QImage app_icon(int size)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    smooth(p);
    const qreal s = size;
    rounded_gradient(p, QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.2,
                     QColor(look::accent_light), QColor(look::band_bottom));
    emblem(p, QRectF(s * 0.16, s * 0.16, s * 0.68, s * 0.68));
    return img;
}

} // namespace

void draw_frame(image_set_c &out)
{
    out.save(QStringLiteral("system/so.png"), top_edge());
    const QImage left = left_edge();
    out.save(QStringLiteral("system/sl.png"), left);
    out.save(QStringLiteral("system/sr.png"), left.mirrored(true, false));
    out.save(QStringLiteral("system/su.png"), bottom_edge());

    const char *names[] = {"quiButton", "maxButton", "resumeButton", "minButton",
                           "settingButton"};
    for (int kind = 0; kind < 5; ++kind)
        for (int state = 0; state < 3; ++state)
            out.save(QStringLiteral("system/%1%2.png").arg(QLatin1String(names[kind])).arg(state + 1),
                     system_button(kind, state));
    out.save(QStringLiteral("top/logo.png"), logo());
    out.save(QStringLiteral("top.ico"), app_icon(48));
    out.save_extra(QStringLiteral("vornrecovery.png"), app_icon(256));
}
