// The results page's views and files: tree and table clicks, ticking and sorting, the preview
// copy, recovery of ticked files, and the scan file.

#include "results/recovery_window.h"

#include "app/translations.h"
#include "engines/safe_name.h"
#include "platform/paths.h"
#include "platform/same_device.h"
#include "results/header_view.h"
#include "results/recovery_file.h"
#include "results/recovery_model.h"
#include "results/table_view.h"
#include "results/tree_model.h"
#include "skin/warning_box.h"

#include <algorithm>

namespace {
constexpr uint64_t preview_size_limit = 0x500000; // 5 MiB, inclusive
}

void recovery_window_c::set_tree_model(TreeModel *model)
{
    TreeModel *old = tree_model_;
    tree_model_ = model;
    tv_dirtree->setModel(model);
    delete old;
}

void recovery_window_c::clear_tree() { set_tree_model(new TreeModel); }

void recovery_window_c::replace_table_model()
{
    recovery_model_c *old = table_model_;
    table_model_ = new recovery_model_c(&items_);
    table_view_->setModel(table_model_);
    delete old;
}

void recovery_window_c::clear_table()
{
    items_.clear();
    replace_table_model();
}

void recovery_window_c::on_tree_clicked(const QModelIndex &index)
{
    preview_ready_ = false;
    const TreeNode *node = TreeModel::node_of(index);
    items_.clear();
    if (node && !scan_running) {
        switch (engine_kind_) {
        case 1:
            if (node->payload)
                items_ = items_of(*static_cast<const ntfs_entry_s *>(node->payload));
            break;
        case 0:
            if (node->payload)
                items_ = items_of(*static_cast<const fat_entry_s *>(node->payload));
            break;
        case 2: items_ = items_of(*engines_, node->payload); break;
        default: break;
        }
    }
    replace_table_model();
    header_view_->all_ticked = false;
    header_view_->viewport()->update();
    update();
}

void recovery_window_c::on_list_clicked(const QModelIndex &index)
{
    preview_ready_ = false;
    if (!index.isValid() || index.row() >= items_.size()) {
        update();
        return;
    }
    const int row = index.row();
    if (index.column() == 0)
        table_model_->set_item_ticked(row, !items_[row].ticked);
    const recovery_item_s item = items_[row];
    if (item.size <= preview_size_limit && write_one_file(QDir(QDir::tempPath()), item) == 0) {
        preview_item_ = item;
        preview_ready_ = true;
    }
    update();
}

void recovery_window_c::on_check_all(bool value)
{
    for (recovery_item_s &item : items_)
        item.ticked = value;
    replace_table_model();
}

void recovery_window_c::on_sort_column(int column) { table_model_->sort_by_column(column); }

QString recovery_window_c::output_path(const QDir &folder, const recovery_item_s &item)
{
    const QString fallback = QStringLiteral("file_%1").arg(item.file_id);
    return folder.filePath(safe_name_component(item.name, fallback));
}

int recovery_window_c::write_one_file(const QDir &folder, const recovery_item_s &item)
{
    const QString path = output_path(folder, item);
    switch (engine_kind_) {
    case 1: {
        recovery_base_c *ntfs = engines_->engine(engine_ntfs);
        if (!ntfs)
            return -1;
        if (item.attributes & ntfs_flag_deleted)
            return ntfs->recover_file(item.file_id, path);
        QString source;
        if (ntfs->get_file_path(item.file_id, source) < 0)
            return -1;
        return copy_plain_file(source, path);
    }
    case 0:
    case 2: {
        recovery_base_c *engine = engines_->engine(engine_kind_ == 0 ? engine_fat : engine_deep);
        return engine ? engine->recover_file(item.file_id, path) : -1;
    }
    default: return -1;
    }
}

void recovery_window_c::on_recovery_clicked()
{
    if (items_.isEmpty())
        return;
    if (std::none_of(items_.cbegin(), items_.cend(), [](const recovery_item_s &i) { return i.ticked; })) {
        warning_box(warning_title, "recovery_check_warning", QMessageBox::Ok, this);
        return;
    }
    const QString folder = dialogs.choose_folder(this, text_for("recovery_select"), platform_home_dir());
    if (folder.isEmpty())
        return;
    if (platform_same_device(folder, scan_volume_) == 1 && !warning_yes("recovery_same_volume_warning", this))
        return;
    if (!recovery_worker_) {
        recovery_worker_ = std::make_unique<recovery_file_c>(this);
        connect(recovery_worker_.get(), &QThread::finished, this, &recovery_window_c::on_recovery_finished,
                Qt::QueuedConnection);
    }
    if (recovery_worker_->isRunning())
        return;
    recovery_worker_->prepare(QDir(folder), items_);
    recovery_worker_->start();
}

void recovery_window_c::on_recovery_finished()
{
    if (!recovery_worker_)
        return;
    const int partial = recovery_worker_->partial();
    const int failed = recovery_worker_->failed();
    if (dialogs.open_folder)
        dialogs.open_folder(recovery_worker_->destination().path());
    if (partial == 0 && failed == 0)
        return;
    QString text = text_for("recovery_partial_warning");
    if (text.isEmpty())
        text = QStringLiteral("Files recovered: %1\nPartially recovered (unreadable parts left out): %2\n"
                              "Not recovered: %3");
    warning_box_with_text(this, "recovery_partial_warning",
                          text.arg(recovery_worker_->written()).arg(partial).arg(failed), QMessageBox::Ok);
}

void recovery_window_c::on_save_result_clicked()
{
    if (scan_running)
        return; // the deep-scan index is still being filled
    const QString path = dialogs.save_file(this, QDir::currentPath());
    if (!path.isEmpty())
        engines_->save_results(path);
}

int recovery_window_c::load_scan_file()
{
    clear_tree();
    clear_table();
    if (!scan_running)
        current_engine_->reset();
    progress_.value = 0.0;
    timer_.stop();
    if (scan_running)
        return -1; // the deep-scan engine may be the one running
    const QString path = dialogs.open_file(this, QDir::currentPath());
    if (path.isEmpty())
        return -1;
    const QString stored = engines_->load_results(path);
    if (stored.isEmpty())
        return -1;
    const QList<volume_item_s> volumes = volume_list;
    const auto it = std::find_if(volumes.cbegin(), volumes.cend(), [&](const volume_item_s &v) {
        return !v.volume_name.isEmpty() && v.volume_name.startsWith(stored, Qt::CaseSensitive);
    });
    recovery_base_c *raw = engines_->engine(engine_deep);
    if (it == volumes.cend() || !raw)
        return -1;
    scan_volume_ = *it;
    engine_kind_ = 2;
    current_engine_ = raw;
    raw->set_volume(scan_volume_);
    finish_scan(); // as if the engine thread had ended
    btn_pause->hide();
    btn_filter->hide();
    return 0;
}
