#pragma once
// Drag-to-move by the title band and resizing by the window's borders for the skinned frame.
// The window system does the work where it can (QWindow::startSystemMove/startSystemResize);
// where it refuses (Xvfb without a window manager, offscreen) the handler moves and resizes the
// window itself from the mouse events.

#include <QObject>
#include <QPoint>
#include <QRect>

class QMouseEvent;
class QSkinWidget;

class QSkinWidgetResizeHandler : public QObject {
    Q_OBJECT
public:
    explicit QSkinWidgetResizeHandler(QSkinWidget *frame);

    void setMovingEnabled(bool enabled) { moving = enabled; }
    bool isMovingEnabled() const { return moving; }
    // Width of the border band that resizes the window.
    static constexpr int border = 4;
    // Edges of the window under pos (window coordinates), none inside.
    Qt::Edges edges_at(const QPoint &pos) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void press(QMouseEvent *event);
    void move(QMouseEvent *event);

    QSkinWidget *frame;
    bool moving = false;
    enum class drag_kind { none, move, resize } drag = drag_kind::none;
    Qt::Edges drag_edges;
    QPoint press_global;
    QRect press_geometry;
};
