#pragma once
// Partition page. Placeholder with the operations the main window calls; the real page replaces it.

#include "disk/drive_item.h"

#include <QWidget>

class partition_window_c : public QWidget {
    Q_OBJECT
public:
    explicit partition_window_c(QWidget *main_window);

    int start_search(const drive_item_s &drive);
    void stop_search();
};
