#include "skin/skin_resize_handler.h"

#include "skin/skin_widget.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWindow>

QSkinWidgetResizeHandler::QSkinWidgetResizeHandler(QSkinWidget *frame_widget)
    : QObject(nullptr), frame(frame_widget)
{
    frame->installEventFilter(this);
}

Qt::Edges QSkinWidgetResizeHandler::edges_at(const QPoint &pos) const
{
    Qt::Edges edges;
    if (pos.x() < border)
        edges |= Qt::LeftEdge;
    if (pos.x() >= frame->width() - border)
        edges |= Qt::RightEdge;
    if (pos.y() < border)
        edges |= Qt::TopEdge;
    if (pos.y() >= frame->height() - border)
        edges |= Qt::BottomEdge;
    return edges;
}

bool QSkinWidgetResizeHandler::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != frame)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        frame->frame_mouse_press(mouse);
        press(mouse);
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        frame->frame_mouse_move(mouse);
        move(mouse);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        frame->frame_mouse_release(mouse);
        drag = drag_kind::none;
        return true;
    }
    case QEvent::WindowActivate:
        frame->update();
        return false;
    default:
        return false;
    }
}

void QSkinWidgetResizeHandler::press(QMouseEvent *event)
{
    drag = drag_kind::none;
    if (event->button() != Qt::LeftButton || frame->isMaximized())
        return;
    const QPoint pos = event->position().toPoint();
    const Qt::Edges edges = edges_at(pos);
    QWindow *window = frame->windowHandle();
    press_global = event->globalPosition().toPoint();
    press_geometry = frame->geometry();
    // A press on a painted button in the corner belongs to the button, not to the border.
    bool on_button = false;
    for (const auto &button : frame->buttons())
        on_button = on_button || button->hit_test(pos, frame->rect());
    if (edges && !on_button && frame->is_normal()) {
        if (!window || !window->startSystemResize(edges)) {
            drag = drag_kind::resize;
            drag_edges = edges;
        }
        return;
    }
    if (moving && (!window || !window->startSystemMove()))
        drag = drag_kind::move;
}

void QSkinWidgetResizeHandler::move(QMouseEvent *event)
{
    if (drag == drag_kind::none || !(event->buttons() & Qt::LeftButton)) {
        drag = drag_kind::none;
        const Qt::Edges edges = frame->is_normal() ? edges_at(event->position().toPoint())
                                                   : Qt::Edges();
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
            shape = Qt::SizeFDiagCursor;
        else if (edges == (Qt::RightEdge | Qt::TopEdge) ||
                 edges == (Qt::LeftEdge | Qt::BottomEdge))
            shape = Qt::SizeBDiagCursor;
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            shape = Qt::SizeHorCursor;
        else if (edges & (Qt::TopEdge | Qt::BottomEdge))
            shape = Qt::SizeVerCursor;
        if (frame->cursor().shape() != shape)
            frame->setCursor(shape);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - press_global;
    if (drag == drag_kind::move) {
        frame->move(press_geometry.topLeft() + delta);
        return;
    }
    QRect r = press_geometry;
    const QSize min = frame->minimumSize();
    if (drag_edges & Qt::LeftEdge)
        r.setLeft(std::min(r.left() + delta.x(), r.right() + 1 - min.width()));
    if (drag_edges & Qt::RightEdge)
        r.setRight(std::max(r.right() + delta.x(), r.left() - 1 + min.width()));
    if (drag_edges & Qt::TopEdge)
        r.setTop(std::min(r.top() + delta.y(), r.bottom() + 1 - min.height()));
    if (drag_edges & Qt::BottomEdge)
        r.setBottom(std::max(r.bottom() + delta.y(), r.top() - 1 + min.height()));
    frame->setGeometry(r);
}
