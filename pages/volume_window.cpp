#include "pages/volume_window.h"

#include "app/main_window.h"
#include "app/translations.h"
#include "pages/page_common.h"
#include "pages/volume_delegate.h"
#include "pages/volume_model.h"
#include "skin/warning_box.h"

#include <QListView>
#include <QPainter>
#include <QPushButton>

volume_window_c::volume_window_c(main_window_c *window) : QWidget(nullptr), main_window(window)
{
    setup_form();
    lv_volumes->setItemDelegate(new volume_delegate_c(lv_volumes));
    btn_back->setText(text_for("btn_back"));
    btn_refresh->setText(text_for("btn_refresh"));
    btn_scan->setText(text_for("btn_scan"));
    connect(btn_scan, &QPushButton::clicked, main_window, &main_window_c::on_click_volume_scan);
    connect(this, &volume_window_c::start_scan, main_window, &main_window_c::on_click_volume_scan);
    connect(btn_back, &QPushButton::clicked, main_window, &main_window_c::on_click_volume_back);
    connect(btn_refresh, &QPushButton::clicked, main_window,
            &main_window_c::on_click_volume_refresh);
    connect(lv_volumes, &QListView::doubleClicked, this, &volume_window_c::on_double_clicked);
}

// The model has no parent (each list brings a new one), so the page owns the last one.
volume_window_c::~volume_window_c() { delete current_model; }

void volume_window_c::setup_form()
{
    setup_page(this, "VolumeForm", 579, 420);
    btn_back = make_blue_button(this, "btn_back", false);
    btn_refresh = make_blue_button(this, "btn_refresh", true);
    btn_scan = make_blue_button(this, "btn_scan", false);
    lv_volumes = new QListView(this);
    lv_volumes->setObjectName(QStringLiteral("lv_volumes"));
    lv_volumes->setGeometry(30, 20, 511, 311);
    setup_list_view(lv_volumes);
    setWindowTitle(QStringLiteral("Vorn Data Recovery Pro"));
}

void volume_window_c::set_volume_list(const QList<volume_item_s> &list)
{
    auto *model = new volume_model_c(&list);
    lv_volumes->setModel(model);
    // The view no longer uses the old model; its selection model goes with it.
    delete current_model;
    current_model = model;
    shown_list = &list;
}

const volume_item_s *volume_window_c::selected_volume()
{
    const int row = lv_volumes->currentIndex().row();
    if (row < 0 || !shown_list || row >= shown_list->size()) {
        warning_box(warning_title, "scan_nosel_warning", QMessageBox::Ok, this);
        return nullptr;
    }
    return &shown_list->at(row);
}

void volume_window_c::on_double_clicked(const QModelIndex &) { Q_EMIT start_scan(); }

void volume_window_c::resizeEvent(QResizeEvent *event)
{
    const int w = width(), h = height();
    btn_back->move(175, h - 54);
    btn_refresh->move(w / 2 - 50, h - 54);
    btn_scan->move(w - 275, h - 54);
    lv_volumes->setGeometry(25, 45, w - 50, h - 140);
    QWidget::resizeEvent(event);
}

void volume_window_c::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paint_header_band(p, width());
    p.setFont(QFont(QStringLiteral("Arial"), 12));
    p.drawText(23, 30, text_for("volume_select"));
}
