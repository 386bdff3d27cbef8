#pragma once
// The results page: runs one scan at a time, shows its progress, then the directory tree, the
// preview and the file table; recovers ticked files; saves and loads deep-scan results.

#include "disk/volume_item.h"
#include "results/engine_set.h"
#include "results/page_dialogs.h"
#include "skin/progress_bar.h"
#include "results/recovery_item.h"
#include "ui_recovery_form.h"

#include <QDir>
#include <QModelIndex>
#include <QTimer>
#include <QWidget>
#include <memory>

class MyHeaderView;
class MyQTableView;
class QMovie;
class TreeModel;
class recovery_file_c;
class recovery_model_c;

// True from the start of an engine thread until the page has handled its finished().
extern bool scan_running;

class recovery_window_c : public QWidget, public Ui_RecoveryForm {
    Q_OBJECT
public:
    // engines: the page's engines for its whole life (the program's own by default).
    explicit recovery_window_c(QWidget *main_window, std::unique_ptr<engine_set_c> engines = {});
    ~recovery_window_c() override;

    int begin_scan(const volume_item_s &volume, int deep);
    void abort_scan();
    void reset_page();
    int load_scan_file();
    // Stops and joins the engine and recovery threads; the main window calls it on close.
    void shutdown();

    // Writes one found file into folder under its (made safe) name: 0, -2 partial, -1 failed.
    // Runs on the recovery worker's thread as well as on the window thread (preview).
    int write_one_file(const QDir &folder, const recovery_item_s &item);
    // Where write_one_file puts item in folder.
    static QString output_path(const QDir &folder, const recovery_item_s &item);

    void clear_tree();
    void clear_table();
    void show_scan_buttons();
    int restart_scan();

    void paint_preview(QPainter &painter, const recovery_item_s &item);
    void paint_image_preview(QPainter &painter, const QString &path);
    void paint_text_preview(QPainter &painter, const QString &path);

    // The user's answers; tests replace them.
    page_dialogs_s dialogs;

    // Read by tests and the main window.
    MyQTableView *table_view() const { return table_view_; }
    MyHeaderView *header_view() const { return header_view_; }
    TreeModel *tree_model() const { return tree_model_; }
    recovery_model_c *table_model() const { return table_model_; }
    const QList<recovery_item_s> &items() const { return items_; }
    recovery_base_c *current_engine() const { return current_engine_; }
    engine_set_c &engines() { return *engines_; }
    int engine_kind() const { return engine_kind_; }
    int deep_scan() const { return deep_scan_; }
    bool preview_ready() const { return preview_ready_; }
    const recovery_item_s &preview_item() const { return preview_item_; }
    double progress_value() const { return progress_.value; }
    bool timer_active() const { return timer_.isActive(); }
    recovery_file_c *recovery_worker() const { return recovery_worker_.get(); }
    const volume_item_s &scan_volume() const { return scan_volume_; }

public slots:
    void on_timer();
    void on_thread_finished();
    void on_tree_clicked(const QModelIndex &index);
    void on_list_clicked(const QModelIndex &index);
    void on_recovery_clicked();
    void on_stop_clicked();
    void on_pause_clicked();
    void on_save_result_clicked();
    void on_check_all(bool value);
    void on_sort_column(int column);
    void on_recovery_finished();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setup_table();
    void setup_tree();
    void connect_signals();
    void replace_table_model();
    void set_tree_model(TreeModel *model);
    bool build_tree();
    // The end of a scan (or of a load): show the results, or offer a deep scan.
    void finish_scan();
    recovery_base_c *choose_engine(const volume_item_s &volume);
    void start_engine();
    void paint_status(QPainter &painter);

    QWidget *main_window_;
    int deep_scan_ = 0;
    volume_item_s scan_volume_;
    std::unique_ptr<engine_set_c> engines_;
    recovery_stop_c inert_engine_;
    recovery_base_c *current_engine_ = &inert_engine_;
    MyQTableView *table_view_ = nullptr;
    TreeModel *tree_model_ = nullptr;
    recovery_model_c *table_model_ = nullptr;
    QList<recovery_item_s> items_;
    recovery_item_s preview_item_;
    progress_bar_c progress_;
    QTimer timer_;
    int engine_kind_ = 0;
    MyHeaderView *header_view_ = nullptr;
    QMovie *animation_ = nullptr;
    bool preview_ready_ = false;
    std::unique_ptr<recovery_file_c> recovery_worker_;
};
