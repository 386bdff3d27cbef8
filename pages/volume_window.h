#pragma once
// Volume page: the painted list of volumes; Back, Refresh and Scan lead to the main window.

#include "disk/volume_item.h"

#include <QModelIndex>
#include <QWidget>

class QListView;
class QPushButton;
class main_window_c;
class volume_model_c;

class volume_window_c : public QWidget {
    Q_OBJECT
public:
    explicit volume_window_c(main_window_c *main_window);
    ~volume_window_c() override;

    // A new model over list; no row is current afterwards.
    void set_volume_list(const QList<volume_item_s> &list);
    // The record of the current row, or null (after the "scan_nosel_warning" box) when no row
    // is current.
    const volume_item_s *selected_volume();
    volume_model_c *model() const { return current_model; }

    QPushButton *btn_back = nullptr;
    QPushButton *btn_refresh = nullptr;
    QPushButton *btn_scan = nullptr;
    QListView *lv_volumes = nullptr;

Q_SIGNALS:
    void start_scan();

public Q_SLOTS:
    void on_double_clicked(const QModelIndex &index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setup_form();

    main_window_c *main_window;
    volume_model_c *current_model = nullptr;
    const QList<volume_item_s> *shown_list = nullptr;
};
