#include "results/table_view.h"

void MyQTableView::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    const QModelIndex now = currentIndex();
    if (now.isValid() && now.row() != before.row())
        emit clicked(now);
}
