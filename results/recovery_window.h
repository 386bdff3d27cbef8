#pragma once
// Results page. Placeholder with the operations the main window calls; the real page replaces it.

#include "disk/volume_item.h"

#include <QWidget>

// True from the start of an engine thread until the page has handled its finished().
extern bool scan_running;

class recovery_window_c : public QWidget {
    Q_OBJECT
public:
    explicit recovery_window_c(QWidget *main_window);

    int begin_scan(const volume_item_s &volume, int deep);
    void abort_scan();
    void reset_page();
    int load_scan_file();
};
