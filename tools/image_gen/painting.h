#pragma once
// Drawing helpers shared by the picture makers of the image generator.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

// A transparent canvas of the given size.
QImage canvas(int w, int h);

// A painter with antialiasing on.
void smooth(QPainter &p);

// Rounded rectangle filled with a vertical gradient and framed by border (none when invalid).
void rounded_gradient(QPainter &p, const QRectF &r, qreal radius, const QColor &top,
                      const QColor &bottom, const QColor &border = QColor());

// The largest font of family (bold when asked) at most max_pt points whose text fits into box,
// wrapped at word boundaries when wrap is true.
QFont fit_font(const QString &text, const QString &family, bool bold, int max_pt,
               const QRect &box, bool wrap);

// Draws text centred in box with fit_font and the given colour (a soft dark shadow when
// shadow is true).
void fitted_text(QPainter &p, const QString &text, const QRect &box, const QColor &colour,
                 int max_pt, bool bold, bool shadow, int align = Qt::AlignCenter);

// Icons, drawn into the square box with pen colour c.
void icon_magnifier(QPainter &p, const QRectF &box, const QColor &c);
void icon_disk(QPainter &p, const QRectF &box, const QColor &c);        // platter with sectors
void icon_deep_scan(QPainter &p, const QRectF &box, const QColor &c);   // layered sectors + lens
void icon_drive(QPainter &p, const QRectF &box, const QColor &body, const QColor &light);
void icon_folder(QPainter &p, const QRectF &box);
void icon_resume(QPainter &p, const QRectF &box, const QColor &c);      // document + arrow
