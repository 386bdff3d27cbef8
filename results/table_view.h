#pragma once
// The file table's view: a keyboard move to another row acts like a click on the new cell.

#include <QTableView>

class MyQTableView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
