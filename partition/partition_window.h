#pragma once
// Partition page: runs the partition search on the drive picked on the drive page, shows its
// progress and the partitions found so far, and offers Stop/Start, Repair and Back.

#include "disk/drive_item.h"
#include "partition/partition_item.h"
#include "partition/partition_repair.h"
#include "skin/progress_bar.h"

#include <QList>
#include <QTimer>
#include <QWidget>
#include <memory>

class QListView;
class QPushButton;
class main_window_c;
class partition_model_c;

class partition_window_c : public QWidget {
    Q_OBJECT
public:
    // main_window receives the Back button's click; null leaves Back unconnected.
    explicit partition_window_c(main_window_c *main_window);
    ~partition_window_c() override; // stops and joins a running search

    // Starts a new search on drive from sector 0 with an emptied list (a running one is stopped
    // first). 0 when it started, -1 when drive has no device path.
    int start_search(const drive_item_s &drive);
    // Asks a running search to end; the partitions found so far stay listed.
    void stop_search();
    // Stops the search and waits for its thread (the main window calls it before closing).
    void shutdown();

    // True from a start until the user stops the search or it ends by itself.
    bool searching() const { return searching_; }
    partition_repair_c &worker() { return worker_; }
    partition_model_c *model() const { return current_model; }
    const progress_bar_c &progress_bar() const { return bar; }

    QPushButton *btn_repair = nullptr;
    QListView *lv_volumes = nullptr;
    QPushButton *btn_back = nullptr;
    QPushButton *btn_stop = nullptr;

public slots:
    void on_partition_found();
    void on_thread_finished();
    void on_timer();
    void on_stop_clicked();
    void on_repair_clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setup_form();
    void show_partitions(const QList<partition_item_s> &found);
    int restart(const drive_item_s &drive);

    main_window_c *main_window;
    partition_repair_c worker_;
    progress_bar_c bar;
    QTimer timer;
    partition_model_c *current_model = nullptr;
    // The list the current model shows: a title record, then a snapshot of the worker's list.
    std::unique_ptr<QList<partition_item_s>> shown_list;
    bool searching_ = false;
};
