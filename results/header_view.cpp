#include "results/header_view.h"

#include "app/translations.h"

#include <QMouseEvent>
#include <QPainter>

MyHeaderView::MyHeaderView(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent),
      unticked_(QStringLiteral(":/images/partition_search/check1.png")),
      ticked_(QStringLiteral(":/images/partition_search/check2.png"))
{
}

QSize MyHeaderView::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(24);
    return size;
}

int MyHeaderView::column_at_x(int x) const
{
    int edge = sectionSize(0);
    if (x <= edge)
        return 0;
    // Title sections are open intervals: a press exactly on a border sorts nothing.
    for (int column = 1; column <= 4 && column < count(); ++column) {
        const int next = edge + sectionSize(column);
        if (x > edge && x < next)
            return column;
        edge = next;
    }
    return -1;
}

void MyHeaderView::mousePressEvent(QMouseEvent *event)
{
    const int column = column_at_x(int(event->position().x()));
    if (column == 0) {
        all_ticked = !all_ticked;
        emit check_all(all_ticked);
    } else if (column > 0) {
        emit sort_column(column);
    }
    update();
    QHeaderView::mousePressEvent(event);
}

void MyHeaderView::paintSection(QPainter *painter, const QRect &rect, int logical_index) const
{
    painter->save();
    painter->fillRect(rect, QColor(232, 246, 255));
    painter->setPen(QPen(QColor(211, 231, 255), 1, Qt::SolidLine));
    painter->drawLine(rect.x() - 1, rect.y(), rect.x() - 1, rect.y() + rect.height());
    painter->drawLine(rect.x(), rect.y() + rect.height() - 1, rect.x() + rect.width(),
                      rect.y() + rect.height() - 1);
    painter->setFont(QFont(QStringLiteral("Arial"), 8));
    painter->setPen(Qt::black);
    switch (logical_index) {
    case 0: {
        const int side = unticked_.width();
        painter->drawPixmap(QRect(rect.x() + 10, rect.y() + 5, side, side), all_ticked ? ticked_ : unticked_);
        break;
    }
    case 1: painter->drawText(rect.x() + 15, rect.y() + 14, text_for("recovery_name")); break;
    case 2: painter->drawText(rect.x() + 15, rect.y() + 14, text_for("drive_size")); break;
    case 3: painter->drawText(rect.x() + 10, rect.y() + 14, text_for("recovery_date1")); break;
    case 4: painter->drawText(rect.x() + 10, rect.y() + 14, text_for("recovery_date2")); break;
    default: break;
    }
    painter->restore();
}
