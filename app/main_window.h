#pragma once
// The main window: the skinned frame hosting five pages (home, volumes, drives, partition
// search, results), one shown at a time, and the slots the pages' buttons lead to.

#include "skin/skin_widget.h"

class QGridLayout;
class drive_window_c;
class home_window_c;
class partition_window_c;
class recovery_window_c;
class volume_window_c;

class main_window_c : public QSkinWidget {
    Q_OBJECT
public:
    explicit main_window_c(QWidget *parent = nullptr);
    ~main_window_c() override;

    // Page indexes: 0 home, 1 volumes, 2 drives, 3 partition search, 4 results.
    void show_page(int index) override;
    // Abandons a running scan (its results are dropped) and empties the results page.
    void leave_results_page() override;
    // Stops the scan, recovery and search threads of the pages and waits for them; called when
    // the window closes and before the pages are destroyed.
    void shutdown_pages();

    QWidget *current_page = nullptr;
    home_window_c *home_page() const { return home; }
    volume_window_c *volume_page() const { return volume; }
    drive_window_c *drive_page() const { return drive; }
    partition_window_c *partition_page() const { return partition; }
    recovery_window_c *results_page() const { return results; }

public Q_SLOTS:
    void on_click_home_start();
    void on_click_home_resume();
    void on_click_volume_back();
    void on_click_recovery_back();
    void on_click_volume_refresh();
    void on_click_volume_scan();
    void on_click_drive_scan();
    void on_click_drive_refresh();
    void on_click_drive_back();
    void on_click_partition_back();
    void on_init_finished();
    void on_click_close() override;

protected:
    void on_click_top_button1() override;
    void on_click_top_button2() override;
    void on_click_top_button3() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setup_form();
    // The shared first steps of the navigation buttons; false when the button must stop.
    bool may_leave_for_top_button();

    QGridLayout *grid = nullptr;
    home_window_c *home = nullptr;
    drive_window_c *drive = nullptr;
    volume_window_c *volume = nullptr;
    partition_window_c *partition = nullptr;
    recovery_window_c *results = nullptr;
    bool pages_shut_down = false;
};
