#pragma once
// The file table's header: paints its own sections, carries the check-all box (section 0) and
// turns presses on the column titles into sort requests.

#include <QHeaderView>
#include <QPixmap>

class MyHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit MyHeaderView(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    bool all_ticked = false;

    // The signal a press at header x would give: 0 check-all, 1..4 sort, -1 nothing.
    int column_at_x(int x) const;

signals:
    void check_all(bool value);
    void sort_column(int column);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintSection(QPainter *painter, const QRect &rect, int logical_index) const override;

private:
    QPixmap unticked_;
    QPixmap ticked_;
};
