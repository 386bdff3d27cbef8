#pragma once
// Drive page: the painted list of physical drives; Back, Refresh and Scan lead to the main
// window.

#include "disk/drive_item.h"

#include <QWidget>

class QListView;
class QPushButton;
class drive_model_c;
class main_window_c;

class drive_window_c : public QWidget {
    Q_OBJECT
public:
    explicit drive_window_c(main_window_c *main_window);
    ~drive_window_c() override;

    // A new model over list with the first drive (row 1) current.
    void set_drive_list(const QList<drive_item_s> &list);
    // Enumerates the drives again and shows them with no row current.
    void refresh_drives();
    // The record of the current row; the header item (empty device_path) when no row is
    // current. Null only before the first list arrived.
    const drive_item_s *selected_drive() const;
    drive_model_c *model() const { return current_model; }

    QListView *lv_drives = nullptr;
    QPushButton *btn_back = nullptr;
    QPushButton *btn_refresh = nullptr;
    QPushButton *btn_scan = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setup_form();
    void show_list(const QList<drive_item_s> &list);

    main_window_c *main_window;
    drive_model_c *current_model = nullptr;
    const QList<drive_item_s> *shown_list = nullptr;
};
