#include "partition/partition_window.h"

#include "app/main_window.h"
#include "app/translations.h"
#include "pages/page_common.h"
#include "partition/partition_delegate.h"
#include "partition/partition_model.h"
#include "skin/palette.h"
#include "skin/warning_box.h"

#include <QListView>
#include <QLoggingCategory>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

Q_LOGGING_CATEGORY(lc_partition_page, "vorn.partition.page", QtInfoMsg)

partition_window_c::partition_window_c(main_window_c *window) : QWidget(nullptr), main_window(window)
{
    setup_form();
    show_partitions({});
    lv_volumes->setItemDelegate(new partition_delegate_c(lv_volumes));
    btn_back->setText(text_for("btn_back"));
    btn_stop->setText(text_for("btn_stop"));
    btn_repair->setText(text_for("btn_repair"));

    // partition_found() is emitted on the worker thread; the slot takes a snapshot here.
    connect(&worker_, &partition_repair_c::partition_found, this,
            &partition_window_c::on_partition_found, Qt::QueuedConnection);
    connect(&worker_, &QThread::finished, this, &partition_window_c::on_thread_finished,
            Qt::QueuedConnection);
    connect(btn_stop, &QPushButton::clicked, this, &partition_window_c::on_stop_clicked);
    connect(&timer, &QTimer::timeout, this, &partition_window_c::on_timer);
    if (main_window)
        connect(btn_back, &QPushButton::clicked, main_window, &main_window_c::on_click_partition_back);
    connect(btn_repair, &QPushButton::clicked, this, &partition_window_c::on_repair_clicked);

    timer.start(400);
    bar.setup(QStringLiteral(":/images/partition_search/loding_on.png"), QColor(look::progress_background));
}

partition_window_c::~partition_window_c()
{
    shutdown();
    delete current_model;
}

void partition_window_c::setup_form()
{
    setup_page(this, "PartitionForm", 583, 438);
    btn_repair = make_blue_button(this, "btn_repair", false);
    btn_repair->move(420, 380);
    lv_volumes = new QListView(this);
    lv_volumes->setObjectName(QStringLiteral("lv_volumes"));
    lv_volumes->setGeometry(40, 110, 511, 231);
    setup_list_view(lv_volumes);
    btn_back = make_blue_button(this, "btn_back", false);
    btn_back->move(70, 380);
    btn_stop = make_blue_button(this, "btn_stop", false);
    btn_stop->move(460, 50);
    setWindowTitle(QStringLiteral("Form"));
}

void partition_window_c::show_partitions(const QList<partition_item_s> &found)
{
    auto list = std::make_unique<QList<partition_item_s>>();
    list->reserve(found.size() + 1);
    list->append(partition_item_s{}); // the column titles; partitions are numbered from 1
    list->append(found);
    auto *model = new partition_model_c(list.get());
    lv_volumes->setModel(model);
    // The view no longer refers to the old model, so it and its list can go.
    delete current_model;
    current_model = model;
    shown_list = std::move(list);
}

int partition_window_c::restart(const drive_item_s &drive)
{
    worker_.request_stop();
    worker_.wait();
    bar.value = 0.0;
    show_partitions({});
    const int rc = worker_.start_search(drive);
    searching_ = rc == 0;
    btn_stop->setText(text_for(searching_ ? "btn_stop" : "btn_start"));
    return rc;
}

int partition_window_c::start_search(const drive_item_s &drive)
{
    if (drive.device_path.isEmpty())
        return -1;
    return restart(drive);
}

void partition_window_c::stop_search()
{
    if (!searching_ && !worker_.isRunning())
        return;
    worker_.request_stop();
    searching_ = false;
    btn_stop->setText(text_for("btn_start"));
}

void partition_window_c::shutdown()
{
    timer.stop();
    worker_.request_stop();
    worker_.wait();
    searching_ = false;
}

void partition_window_c::on_partition_found()
{
    // A late signal of a search that was replaced meanwhile shows the current list all the same.
    show_partitions(worker_.snapshot());
}

void partition_window_c::on_thread_finished()
{
    // The end of a search that a new one has already replaced says nothing about the new one.
    if (worker_.isRunning())
        return;
    show_partitions(worker_.snapshot());
    bar.value = worker_.progress();
    searching_ = false;
    btn_stop->setText(text_for("btn_start"));
}

void partition_window_c::on_timer() { bar.value = worker_.progress(); }

void partition_window_c::on_stop_clicked()
{
    if (searching_) {
        stop_search();
        return;
    }
    const drive_item_s drive = worker_.drive();
    if (drive.device_path.isEmpty())
        return; // no drive was ever searched from this page
    restart(drive);
}

void partition_window_c::on_repair_clicked()
{
    if (searching_)
        return;
    if (!warning_yes("partition_query", this))
        return;
    worker_.wait(); // a stopped search ends within one read
    if (worker_.repair_partition_table() != 0) {
        qCWarning(lc_partition_page, "partition table of %s not changed: %s",
                  qUtf8Printable(worker_.drive().device_path),
                  qUtf8Printable(worker_.last_repair_message()));
        warning_box(warning_title, "partition_failed", QMessageBox::Ok, this);
        return;
    }
    qCInfo(lc_partition_page, "partition table of %s rewritten; the old sector 0 is in %s",
           qUtf8Printable(worker_.drive().device_path), qUtf8Printable(worker_.last_backup_path()));
    if (!worker_.last_repair_message().isEmpty())
        qCInfo(lc_partition_page, "%s", qUtf8Printable(worker_.last_repair_message()));
    warning_box(warning_title, "partition_finished", QMessageBox::Ok, this);
}

void partition_window_c::resizeEvent(QResizeEvent *event)
{
    const int w = width(), h = height();
    btn_back->move(200, h - 54);
    btn_repair->move(w - 300, h - 54);
    btn_stop->move(w - 168, 42);
    lv_volumes->setGeometry(25, 120, w - 50, h - 180);
    QWidget::resizeEvent(event);
}

void partition_window_c::paintEvent(QPaintEvent *)
{
    const int w = width();
    QPainter p(this);
    paint_header_band(p, w);
    p.drawPixmap(45, 30, QPixmap(QStringLiteral(":/images/partition_search/icon_found1.png")));
    p.setPen(QColor(look::bar_frame));
    p.drawRect(25, 12, w - 50, 92);
    bar.paint(&p, QRect(120, 50, 450, 12));
    if (searching_) {
        p.setPen(Qt::black);
        p.setFont(QFont(QStringLiteral("Verdana"), 10));
        p.drawText(120, 40, text_for("partition_text1"));
    }
}
