#pragma once
// Painted progress bar of the results and partition pages: a textured fill from the left and the
// percentage centred on it. Not a widget: the owner page paints it during its own paintEvent.

#include <QBrush>
#include <QColor>
#include <QObject>
#include <QPixmap>

class QPainter;
class QRect;

class progress_bar_c : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Loads the fill texture, stores the background colour and sets value to 0.
    void setup(const QString &image_path, const QColor &colour);
    void paint(QPainter *painter, const QRect &rect) const;

    // Right edge of the fill for rect at the current value (left + (right - left) * value).
    int fill_right(const QRect &rect) const;
    // "42%": value * 100 truncated; out-of-range values are clamped to 0 ... 100.
    QString percent_text() const;

    QPixmap fill_image;
    QBrush fill_brush;
    QColor background;
    double value = 0.0; // 0.0 ... 1.0, written by the owner
};
