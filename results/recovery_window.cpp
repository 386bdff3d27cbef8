#include "results/recovery_window.h"

bool scan_running = false;

recovery_window_c::recovery_window_c(QWidget *main_window) : QWidget(nullptr)
{
    Q_UNUSED(main_window);
}

int recovery_window_c::begin_scan(const volume_item_s &, int) { return -1; }

void recovery_window_c::abort_scan() {}

void recovery_window_c::reset_page() {}

int recovery_window_c::load_scan_file() { return -1; }
