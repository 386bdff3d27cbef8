#include "painting.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainterPath>

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void smooth(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

void rounded_gradient(QPainter &p, const QRectF &r, qreal radius, const QColor &top,
                      const QColor &bottom, const QColor &border)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.save();
    p.setPen(border.isValid() ? QPen(border, 1) : Qt::NoPen);
    p.setBrush(g);
    const QRectF shape = border.isValid() ? r.adjusted(0.5, 0.5, -0.5, -0.5) : r;
    p.drawRoundedRect(shape, radius, radius);
    p.restore();
}

QFont fit_font(const QString &text, const QString &family, bool bold, int max_pt,
               const QRect &box, bool wrap)
{
    QFont f;
    f.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                   QStringLiteral("WenQuanYi Micro Hei")});
    f.setBold(bold);
    for (int pt = max_pt; pt > 5; --pt) {
        f.setPointSize(pt);
        const QFontMetrics fm(f);
        const int flags = Qt::AlignCenter | (wrap ? Qt::TextWordWrap : 0);
        const QRect need = fm.boundingRect(box, flags, text);
        if (need.width() <= box.width() && need.height() <= box.height())
            return f;
    }
    f.setPointSize(6);
    return f;
}

void fitted_text(QPainter &p, const QString &text, const QRect &box, const QColor &colour,
                 int max_pt, bool bold, bool shadow, int align)
{
    const QFont f = fit_font(text, QStringLiteral("Arial"), bold, max_pt, box, true);
    p.save();
    p.setFont(f);
    const int flags = align | Qt::TextWordWrap;
    if (shadow) {
        p.setPen(QColor(0, 0, 0, 70));
        p.drawText(box.translated(0, 1), flags, text);
    }
    p.setPen(colour);
    p.drawText(box, flags, text);
    p.restore();
}

void icon_magnifier(QPainter &p, const QRectF &b, const QColor &c)
{
    p.save();
    const qreal s = b.width();
    p.setPen(QPen(c, s * 0.1, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF lens(b.left() + s * 0.08, b.top() + s * 0.08, s * 0.58, s * 0.58);
    p.drawEllipse(lens);
    p.setPen(QPen(c, s * 0.16, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(b.left() + s * 0.62, b.top() + s * 0.62),
               QPointF(b.left() + s * 0.9, b.top() + s * 0.9));
    QColor glint = c;
    glint.setAlpha(110);
    p.setPen(QPen(glint, s * 0.05, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(lens.adjusted(s * 0.1, s * 0.1, -s * 0.1, -s * 0.1), 100 * 16, 70 * 16);
    p.restore();
}

void icon_disk(QPainter &p, const QRectF &b, const QColor &c)
{
    p.save();
    const qreal s = b.width();
    p.setPen(QPen(c, s * 0.07));
    p.setBrush(Qt::NoBrush);
    const QRectF platter = b.adjusted(s * 0.06, s * 0.06, -s * 0.06, -s * 0.06);
    p.drawEllipse(platter);
    QColor fill = c;
    fill.setAlpha(150);
    p.setBrush(fill);
    p.setPen(Qt::NoPen);
    p.drawPie(platter.adjusted(s * 0.08, s * 0.08, -s * 0.08, -s * 0.08), 20 * 16, 100 * 16);
    fill.setAlpha(80);
    p.setBrush(fill);
    p.drawPie(platter.adjusted(s * 0.08, s * 0.08, -s * 0.08, -s * 0.08), 200 * 16, 70 * 16);
    p.setBrush(c);
    const QPointF centre = platter.center();
    p.drawEllipse(centre, s * 0.08, s * 0.08);
    p.restore();
}

void icon_deep_scan(QPainter &p, const QRectF &b, const QColor &c)
{
    p.save();
    const qreal s = b.width();
    QColor layer = c;
    for (int i = 0; i < 3; ++i) {
        layer.setAlpha(90 + i * 60);
        p.setPen(QPen(layer, s * 0.06));
        p.setBrush(Qt::NoBrush);
        const qreal y = b.top() + s * (0.18 + i * 0.2);
        QPainterPath path;
        path.moveTo(b.left() + s * 0.05, y + s * 0.1);
        path.lineTo(b.left() + s * 0.35, y);
        path.lineTo(b.left() + s * 0.65, y + s * 0.1);
        path.lineTo(b.left() + s * 0.35, y + s * 0.2);
        path.closeSubpath();
        p.drawPath(path);
    }
    icon_magnifier(p, QRectF(b.left() + s * 0.42, b.top() + s * 0.38, s * 0.56, s * 0.56), c);
    p.restore();
}

void icon_drive(QPainter &p, const QRectF &b, const QColor &body, const QColor &light)
{
    p.save();
    const qreal s = b.width();
    const QRectF box(b.left(), b.top() + s * 0.22, s, s * 0.56);
    rounded_gradient(p, box, s * 0.12, body.lighter(125), body, body.darker(130));
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawLine(QPointF(box.left() + s * 0.12, box.top() + s * 0.18),
               QPointF(box.right() - s * 0.12, box.top() + s * 0.18));
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawEllipse(QPointF(box.right() - s * 0.2, box.bottom() - s * 0.16), s * 0.07, s * 0.07);
    p.restore();
}

void icon_folder(QPainter &p, const QRectF &b)
{
    p.save();
    const qreal s = b.width();
    QPainterPath tab;
    tab.addRoundedRect(QRectF(b.left() + s * 0.05, b.top() + s * 0.15, s * 0.42, s * 0.25), 1.5,
                       1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(224, 164, 48));
    p.drawPath(tab);
    rounded_gradient(p, QRectF(b.left() + s * 0.05, b.top() + s * 0.27, s * 0.9, s * 0.6),
                     s * 0.08, QColor(255, 214, 110), QColor(240, 176, 56),
                     QColor(204, 140, 30));
    p.restore();
}

void icon_resume(QPainter &p, const QRectF &b, const QColor &c)
{
    p.save();
    const qreal s = b.width();
    QPainterPath page;
    page.moveTo(b.left() + s * 0.15, b.top() + s * 0.05);
    page.lineTo(b.left() + s * 0.6, b.top() + s * 0.05);
    page.lineTo(b.left() + s * 0.8, b.top() + s * 0.25);
    page.lineTo(b.left() + s * 0.8, b.top() + s * 0.95);
    page.lineTo(b.left() + s * 0.15, b.top() + s * 0.95);
    page.closeSubpath();
    p.setPen(QPen(c, s * 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(page);
    for (int i = 0; i < 3; ++i) {
        const qreal y = b.top() + s * (0.38 + i * 0.14);
        p.drawLine(QPointF(b.left() + s * 0.27, y), QPointF(b.left() + s * 0.55, y));
    }
    // a play mark in a disc: the saved scan picks up again
    const QPointF centre(b.left() + s * 0.72, b.top() + s * 0.74);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(centre, s * 0.25, s * 0.25);
    p.setBrush(QColor(48, 117, 201));
    p.drawPolygon(QPolygonF({centre + QPointF(-s * 0.08, -s * 0.13),
                             centre + QPointF(s * 0.14, 0),
                             centre + QPointF(-s * 0.08, s * 0.13)}));
    p.restore();
}
