#include "app/main_window.h"

#include "app/init.h"
#include "disk/drive_item.h"
#include "disk/volume_enum.h"
#include "disk/volume_item.h"
#include "engines/fat/sector_layer.h"
#include "pages/drive_window.h"
#include "pages/home_window.h"
#include "pages/volume_window.h"
#include "partition/partition_window.h"
#include "results/recovery_window.h"
#include "skin/warning_box.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QPixmap>

namespace {

// Pages gain a shutdown() as their workers grow; call it when the page has one.
template <class P>
void shut_down(P *page)
{
    if constexpr (requires(P &p) { p.shutdown(); })
        page->shutdown();
}

} // namespace

main_window_c::main_window_c(QWidget *parent) : QSkinWidget(parent)
{
    qRegisterMetaType<volume_item_s>("volume_item_s");
    qRegisterMetaType<drive_item_s>("drive_item_s");
    setup_form();
    home = new home_window_c(this);
    volume = new volume_window_c(this);
    drive = new drive_window_c(this);
    partition = new partition_window_c(this);
    results = new recovery_window_c(this);
    partition->setObjectName(partition->objectName().isEmpty() ? QStringLiteral("PartitionForm")
                                                               : partition->objectName());
    results->setObjectName(results->objectName().isEmpty() ? QStringLiteral("RecoveryForm")
                                                           : results->objectName());
    const QList<QWidget *> pages{home, volume, drive, partition, results};
    for (QWidget *page : pages) {
        grid->addWidget(page, 0, 0, 1, 1);
        if (page != home)
            page->hide();
    }
    home->raise();
    current_page = home;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setWindowIcon(QPixmap(QStringLiteral(":/images/top.ico")));
}

main_window_c::~main_window_c() { shutdown_pages(); }

void main_window_c::setup_form()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("MainForm"));
    resize(800, 600);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHorizontalStretch(0);
    policy.setVerticalStretch(0);
    setSizePolicy(policy);
    setMinimumSize(800, 600);
    setMouseTracking(true);
    grid = new QGridLayout(this);
    grid->setObjectName(QStringLiteral("gridLayout"));
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    setWindowTitle(QCoreApplication::translate("MainForm", "Vorn Data Recovery Pro"));
}

void main_window_c::shutdown_pages()
{
    if (pages_shut_down)
        return;
    pages_shut_down = true;
    if (partition)
        partition->stop_search();
    shut_down(partition);
    shut_down(results);
}

void main_window_c::show_page(int index)
{
    QWidget *const pages[] = {home, volume, drive, partition, results};
    if (index < 0 || index >= 5)
        return;
    QWidget *page = pages[index];
    current_page->hide();
    page->raise();
    current_page = page;
    page->show();
    update();
}

void main_window_c::leave_results_page()
{
    results->abort_scan();
    results->reset_page();
}

void main_window_c::on_init_finished()
{
    volume->set_volume_list(volume_list);
    drive->set_drive_list(drive_list);
}

// Home page

void main_window_c::on_click_home_start()
{
    if (init_done == 0) {
        warning_box(warning_title, "startup_warning", QMessageBox::Ok, this);
        return;
    }
    show_page(1);
}

void main_window_c::on_click_home_resume()
{
    if (init_done == 0) {
        warning_box(warning_title, "startup_warning", QMessageBox::Ok, this);
        return;
    }
    // Cancelled or unreadable: stay here; the page has said what needed saying.
    if (results->load_scan_file() < 0)
        return;
    show_page(4);
}

void main_window_c::on_click_volume_back() { show_page(0); }

// Volume page

void main_window_c::on_click_volume_scan()
{
    const volume_item_s *selected = volume->selected_volume();
    if (!selected)
        return;
    if (selected->device_name.isEmpty()) {
        warning_box(warning_title_pro, "main_warning2", QMessageBox::NoButton, nullptr);
        return;
    }
    const volume_item_s record = *selected;
    if (results->begin_scan(record, deep_scan_chosen) != 0)
        return;
    show_page(4);
}

void main_window_c::on_click_volume_refresh()
{
    enumerate_volumes();
    reopen_sector_drives();
    volume->set_volume_list(volume_list);
}

void main_window_c::on_click_recovery_back()
{
    if (scan_running && !warning_yes("back_warning", this))
        return;
    leave_results_page();
    show_page(1);
}

// Drive and partition pages

void main_window_c::on_click_drive_scan()
{
    const drive_item_s *selected = drive->selected_drive();
    if (!selected || selected->device_path.isEmpty()) {
        warning_box(warning_title_pro, "main_warning1", QMessageBox::NoButton, nullptr);
        return;
    }
    const drive_item_s record = *selected;
    partition->start_search(record);
    show_page(3);
}

void main_window_c::on_click_drive_refresh() { drive->refresh_drives(); }

void main_window_c::on_click_drive_back() { show_page(0); }

void main_window_c::on_click_partition_back()
{
    partition->stop_search();
    show_page(1);
}

// Navigation buttons and closing

bool main_window_c::may_leave_for_top_button()
{
    if (init_done == 0) {
        warning_box(warning_title, "startup_warning", QMessageBox::Ok, this);
        return false;
    }
    return !scan_running || warning_yes("back_warning", this);
}

void main_window_c::on_click_top_button1()
{
    if (!may_leave_for_top_button())
        return;
    deep_scan_chosen = 0;
    leave_results_page();
    show_page(1);
}

void main_window_c::on_click_top_button2()
{
    if (!may_leave_for_top_button())
        return;
    leave_results_page();
    show_page(2);
}

void main_window_c::on_click_top_button3()
{
    if (!may_leave_for_top_button())
        return;
    deep_scan_chosen = 1;
    leave_results_page();
    show_page(1);
}

void main_window_c::on_click_close()
{
    if (scan_running && !warning_yes("quit_warning", this))
        return;
    close();
}

void main_window_c::closeEvent(QCloseEvent *event)
{
    QSkinWidget::closeEvent(event);
    if (event->isAccepted())
        shutdown_pages();
}
