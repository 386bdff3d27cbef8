// The scan lifecycle of the results page: start, pause, stop, start again, the end of a scan,
// leaving the page and closing the program.

#include "results/recovery_window.h"

#include "app/translations.h"
#include "results/recovery_file.h"
#include "results/tree_build.h"
#include "results/tree_model.h"
#include "skin/warning_box.h"

#include <QMovie>

namespace {
// The page's own numbering of its engines.
constexpr int kind_fat = 0;
constexpr int kind_ntfs = 1;
constexpr int kind_deep = 2;
} // namespace

recovery_base_c *recovery_window_c::choose_engine(const volume_item_s &volume)
{
    const engine_kind_e kind = choose_engine_kind(volume, deep_scan_ != 0);
    recovery_base_c *engine = engines_->engine(kind);
    if (!engine)
        return nullptr;
    engine_kind_ = kind == engine_deep ? kind_deep : kind == engine_ntfs ? kind_ntfs : kind_fat;
    return engine;
}

void recovery_window_c::start_engine()
{
    current_engine_->reset();
    current_engine_->set_volume(scan_volume_);
    scan_running = true;
    current_engine_->start();
    timer_.start(200);
    animation_->start();
}

int recovery_window_c::begin_scan(const volume_item_s &volume, int deep)
{
    if (scan_running)
        return -1;
    show_scan_buttons();
    clear_tree();
    deep_scan_ = deep ? 1 : 0;
    btn_filter->hide();
    scan_volume_ = volume;
    current_engine_->reset();
    recovery_base_c *engine = choose_engine(scan_volume_);
    if (!engine)
        return -1;
    current_engine_ = engine;
    start_engine();
    return 0;
}

int recovery_window_c::restart_scan()
{
    if (scan_running)
        return -1;
    current_engine_->reset();
    recovery_base_c *engine = choose_engine(scan_volume_);
    if (!engine)
        return -1;
    current_engine_ = engine;
    start_engine();
    show_scan_buttons();
    return 0;
}

void recovery_window_c::on_pause_clicked()
{
    if (current_engine_->isRunning()) {
        if (current_engine_->get_pause()) {
            current_engine_->set_pause(0);
            btn_pause->setText(text_for("btn_pause"));
        } else {
            current_engine_->set_pause(1);
            btn_pause->setText(text_for("btn_resume"));
        }
        return;
    }
    if (scan_running)
        return; // the thread has ended but its finished() is still on its way
    clear_tree();
    clear_table();
    btn_pause->setText(text_for("btn_pause"));
    btn_stop->show();
    restart_scan();
}

void recovery_window_c::on_stop_clicked()
{
    current_engine_->set_stop(stop_user);
    btn_stop->hide();
}

void recovery_window_c::on_timer()
{
    progress_.value = current_engine_->get_progress();
    update();
}

bool recovery_window_c::build_tree()
{
    std::unique_ptr<TreeModel> model;
    switch (engine_kind_) {
    case kind_ntfs:
        if (const ntfs_entry_s *root = engines_->ntfs_root())
            model = build_ntfs_tree(root);
        break;
    case kind_fat:
        if (const fat_entry_s *root = engines_->fat_root())
            model = build_fat_tree(root);
        break;
    case kind_deep:
        model = build_deep_tree(engines_->raw_categories());
        btn_filter->show();
        break;
    default: break;
    }
    if (!model)
        return false;
    const TreeNode *top = tree_top(*model);
    if (!top || top->children.isEmpty()) {
        clear_tree();
        return false;
    }
    set_tree_model(model.release());
    tv_dirtree->expandToDepth(0);
    return true;
}

void recovery_window_c::on_thread_finished()
{
    // A late finished() of an engine that is no longer polled changes nothing.
    if (sender() && sender() != current_engine_)
        return;
    finish_scan();
}

void recovery_window_c::finish_scan()
{
    btn_pause->setText(text_for("btn_start"));
    btn_stop->hide();
    const int32_t code = current_engine_->get_stop();
    bool found = false;
    if (code == stop_discard) {
        current_engine_->reset();
    } else {
        current_engine_->set_progress(1.0);
        found = build_tree();
    }
    scan_running = false;
    animation_->stop();
    update();
    if (found || code == stop_discard || code == stop_user || deep_scan_ || engine_kind_ == kind_deep ||
        !isVisible())
        return;
    if (!warning_yes("deep_scan_query", this))
        return;
    current_engine_->reset();
    deep_scan_ = 1;
    restart_scan();
}

void recovery_window_c::abort_scan()
{
    if (scan_running)
        current_engine_->set_stop(stop_discard);
}

void recovery_window_c::reset_page()
{
    clear_tree();
    clear_table();
    if (!scan_running)
        current_engine_->reset();
    progress_.value = 0.0;
    timer_.stop();
}

void recovery_window_c::shutdown()
{
    timer_.stop();
    for (engine_kind_e kind : {engine_ntfs, engine_fat, engine_deep}) {
        recovery_base_c *engine = engines_->engine(kind);
        if (!engine)
            continue;
        disconnect(engine, nullptr, this, nullptr);
        if (engine->isRunning()) {
            engine->set_pause(0);
            engine->set_stop(stop_discard);
        }
        engine->wait();
    }
    scan_running = false;
    if (recovery_worker_) {
        recovery_worker_->request_stop();
        recovery_worker_->wait();
    }
}
