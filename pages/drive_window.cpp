#include "pages/drive_window.h"

#include "app/main_window.h"
#include "app/translations.h"
#include "disk/drive_enum.h"
#include "pages/drive_delegate.h"
#include "pages/drive_model.h"
#include "pages/page_common.h"

#include <QListView>
#include <QPainter>
#include <QPushButton>

drive_window_c::drive_window_c(main_window_c *window) : QWidget(nullptr), main_window(window)
{
    setup_form();
    lv_drives->setItemDelegate(new drive_delegate_c(lv_drives));
    btn_back->setText(text_for("btn_back"));
    btn_refresh->setText(text_for("btn_refresh"));
    btn_scan->setText(text_for("btn_scan"));
    connect(btn_refresh, &QPushButton::clicked, main_window, &main_window_c::on_click_drive_refresh);
    connect(btn_back, &QPushButton::clicked, main_window, &main_window_c::on_click_drive_back);
    connect(btn_scan, &QPushButton::clicked, main_window, &main_window_c::on_click_drive_scan);
}

drive_window_c::~drive_window_c() { delete current_model; }

void drive_window_c::setup_form()
{
    setup_page(this, "DriveForm", 616, 409);
    lv_drives = new QListView(this);
    lv_drives->setObjectName(QStringLiteral("lv_drives"));
    lv_drives->setGeometry(40, 20, 511, 311);
    setup_list_view(lv_drives);
    btn_back = make_blue_button(this, "btn_back", false);
    btn_refresh = make_blue_button(this, "btn_refresh", true);
    btn_scan = make_blue_button(this, "btn_scan", false);
    setWindowTitle(QStringLiteral("Form"));
}

void drive_window_c::show_list(const QList<drive_item_s> &list)
{
    auto *model = new drive_model_c(&list);
    lv_drives->setModel(model);
    delete current_model;
    current_model = model;
    shown_list = &list;
}

void drive_window_c::set_drive_list(const QList<drive_item_s> &list)
{
    show_list(list);
    lv_drives->setCurrentIndex(current_model->index(1, 0));
}

void drive_window_c::refresh_drives()
{
    enumerate_drives();
    show_list(drive_list);
}

const drive_item_s *drive_window_c::selected_drive() const
{
    if (!shown_list || shown_list->isEmpty())
        return nullptr;
    const int row = lv_drives->currentIndex().row();
    if (row < 0 || row >= shown_list->size())
        return &shown_list->at(0);
    return &shown_list->at(row);
}

void drive_window_c::resizeEvent(QResizeEvent *event)
{
    const int w = width(), h = height();
    btn_back->move(175, h - 54);
    btn_refresh->move(w / 2 - 50, h - 54);
    btn_scan->move(w - 275, h - 54);
    lv_drives->setGeometry(25, 45, w - 50, h - 140);
    QWidget::resizeEvent(event);
}

void drive_window_c::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paint_header_band(p, width());
    p.setFont(QFont(QStringLiteral("Arial"), 12));
    p.drawText(23, 30, text_for("volume_select"));
}
