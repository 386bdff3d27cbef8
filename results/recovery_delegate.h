#pragma once
// Paints a file-table row from the whole record: tick box, name, size and the two dates.

#include <QPixmap>
#include <QStyledItemDelegate>

class recovery_delegate_c : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit recovery_delegate_c(QObject *parent = nullptr);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // "%Y-%m-%d" of the local date of seconds; "-" when the runtime cannot convert it.
    static QString date_text(int64_t seconds);

private:
    QPixmap unticked_;
    QPixmap ticked_;
};
