#pragma once
// Buttons painted by a skinned window itself (not widgets): three pictures (normal, hover,
// pressed), a state that picks one, an area and the window operation a click runs.

#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <array>

template <class W>
class button_c {
public:
    using action_t = void (W::*)();

    virtual ~button_c() = default;

    virtual void setup(const QString &normal, const QString &hover, const QString &pressed,
                       const QRect &area, const QString &button_name)
    {
        set_images(normal, hover, pressed);
        rect = area;
        name = button_name;
    }
    // point and window rectangle in window coordinates
    virtual bool hit_test(const QPoint &point, const QRect &window) const = 0;
    virtual void paint(QPainter &painter, const QRect &window) const = 0;
    virtual void set_images(const QString &normal, const QString &hover, const QString &pressed)
    {
        images = {QPixmap(normal), QPixmap(hover), QPixmap(pressed)};
    }

    const QPixmap &current_image() const { return images[state >= 0 && state < 3 ? state : 0]; }

    std::array<QPixmap, 3> images;
    int state = 0; // 0 normal, 1 hover, 2 pressed
    QRect rect;
    QString name;
    action_t action = nullptr;
};

// A button placed in window coordinates (the navigation buttons).
template <class W>
class top_button_c : public button_c<W> {
public:
    bool hit_test(const QPoint &point, const QRect &) const override
    {
        return this->rect.contains(point); // edges included
    }
    void paint(QPainter &painter, const QRect &) const override
    {
        painter.drawPixmap(this->rect.topLeft(), this->current_image());
    }
};

// A button whose rect is measured leftwards from the window's right edge (x is the distance of
// its left side from the right edge), so it stays in the corner when the window resizes.
template <class W>
class system_button_c : public button_c<W> {
public:
    bool hit_test(const QPoint &point, const QRect &window) const override
    {
        return this->rect.contains(QPoint(window.right() - point.x(), point.y()));
    }
    void paint(QPainter &painter, const QRect &window) const override
    {
        painter.drawPixmap(window.right() - this->rect.right(), this->rect.top(),
                           this->current_image());
    }
};
