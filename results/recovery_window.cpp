#include "results/recovery_window.h"

#include "app/translations.h"
#include "results/header_view.h"
#include "results/recovery_delegate.h"
#include "results/recovery_file.h"
#include "results/recovery_model.h"
#include "results/table_view.h"
#include "results/tree_model.h"

#include <QMovie>
#include <QResizeEvent>

bool scan_running = false;

recovery_window_c::recovery_window_c(QWidget *main_window, std::unique_ptr<engine_set_c> engines)
    : QWidget(nullptr), dialogs(default_page_dialogs()), main_window_(main_window),
      engines_(engines ? std::move(engines) : make_engine_set())
{
    register_recovery_item_type();
    setupUi(this);
    setAutoFillBackground(true); // the form's white palette fills the page, as on the other pages

    animation_ = new QMovie(QStringLiteral(":/images/recovery/ani.gif"), QByteArray(), this);
    lbl_anime->move(0, 0);
    lbl_anime->resize(130, 86);
    lbl_anime->setMovie(animation_);

    setup_table();
    setup_tree();

    btn_back->resize(100, 30);
    btn_stop->resize(80, 30);
    btn_pause->resize(80, 30);
    btn_filter->resize(80, 30);
    btn_recovery->resize(100, 30);
    btn_back->setText(text_for("btn_back"));
    btn_stop->setText(text_for("btn_stop"));
    btn_pause->setText(text_for("btn_pause"));
    btn_filter->setText(text_for("btn_save_result"));
    btn_recovery->setText(text_for("btn_recovery"));

    connect_signals();
    timer_.start(200);
    progress_.setup(QStringLiteral(":/images/partition_search/loding_on.png"), QColor(226, 240, 253));
    engines_->load_config();
}

recovery_window_c::~recovery_window_c()
{
    shutdown();
    delete table_model_;
    delete tree_model_;
}

void recovery_window_c::setup_table()
{
    table_view_ = new MyQTableView(this);
    table_view_->setStyleSheet(QStringLiteral("QTableView{border-style: none;border: 1px solid #8bb8fe;}"));
    table_model_ = new recovery_model_c(&items_);
    table_view_->setModel(table_model_);
    table_view_->setItemDelegate(new recovery_delegate_c(table_view_));
    table_view_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_view_->verticalHeader()->hide();
    table_view_->verticalHeader()->setDefaultSectionSize(30);
    header_view_ = new MyHeaderView(this);
    table_view_->setHorizontalHeader(header_view_);
    header_view_->resizeSection(0, 33);
    header_view_->resizeSection(1, 235);
}

void recovery_window_c::setup_tree()
{
    tv_dirtree->setStyleSheet(QStringLiteral("QTreeView  {\n    border-style: none;\n    border: 1px solid #8bb8fe;\n }\n"));
    tree_model_ = new TreeModel;
    tv_dirtree->setModel(tree_model_);
    tv_dirtree->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    tv_dirtree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tv_dirtree->header()->setStretchLastSection(false);
    tv_dirtree->header()->hide();
}

void recovery_window_c::connect_signals()
{
    for (engine_kind_e kind : {engine_ntfs, engine_fat, engine_deep})
        if (recovery_base_c *engine = engines_->engine(kind))
            connect(engine, &QThread::finished, this, &recovery_window_c::on_thread_finished,
                    Qt::QueuedConnection);
    connect(tv_dirtree, &QTreeView::clicked, this, &recovery_window_c::on_tree_clicked);
    connect(table_view_, &QTableView::clicked, this, &recovery_window_c::on_list_clicked);
    connect(btn_recovery, &QPushButton::clicked, this, &recovery_window_c::on_recovery_clicked);
    connect(btn_pause, &QPushButton::clicked, this, &recovery_window_c::on_pause_clicked);
    connect(btn_stop, &QPushButton::clicked, this, &recovery_window_c::on_stop_clicked);
    connect(btn_filter, &QPushButton::clicked, this, &recovery_window_c::on_save_result_clicked);
    if (main_window_ && main_window_->metaObject()->indexOfSlot("on_click_recovery_back()") >= 0)
        connect(btn_back, SIGNAL(clicked()), main_window_, SLOT(on_click_recovery_back()));
    connect(&timer_, &QTimer::timeout, this, &recovery_window_c::on_timer);
    connect(header_view_, &MyHeaderView::check_all, this, &recovery_window_c::on_check_all);
    connect(header_view_, &MyHeaderView::sort_column, this, &recovery_window_c::on_sort_column);
}

void recovery_window_c::show_scan_buttons()
{
    btn_pause->setText(text_for("btn_pause"));
    btn_pause->show();
    btn_stop->show();
}

void recovery_window_c::resizeEvent(QResizeEvent *event)
{
    const int w = event->size().width();
    const int h = event->size().height();
    btn_back->move(200, h - 49);
    btn_recovery->move(w - 300, h - 49);
    btn_pause->move(360, 29);
    btn_stop->move(470, 29);
    btn_filter->move(w - 130, 29);
    table_view_->setGeometry(212, int((h - 143) * 0.4 + 86), w - 222, int((h - 143) * 0.6));
    tv_dirtree->setGeometry(10, 79, 193, h - 137);
    QWidget::resizeEvent(event);
}
