#include "pages/home_window.h"

#include "app/main_window.h"
#include "app/translations.h"
#include "pages/page_common.h"
#include "skin/palette.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

home_window_c::home_window_c(main_window_c *window) : QWidget(nullptr), main_window(window)
{
    setup_form();
    lbl_wenzi->setGeometry(55, 262, 692, 188);
    btn_start->setGeometry(40, 105, 330, 106);
    btn_resume->setGeometry(425, 105, 323, 106);
    btn_start->setStyleSheet(button_style_sheet(localized_image_path(QStringLiteral("btn_start_scan1.png")),
                                                localized_image_path(QStringLiteral("btn_start_scan2.png")),
                                                localized_image_path(QStringLiteral("btn_start_scan3.png"))));
    btn_resume->setStyleSheet(
        button_style_sheet(localized_image_path(QStringLiteral("btn_resume_recovery1.png")),
                           localized_image_path(QStringLiteral("btn_resume_recovery2.png")),
                           localized_image_path(QStringLiteral("btn_resume_recovery3.png"))));
    connect(btn_start, &QPushButton::clicked, main_window, &main_window_c::on_click_home_start);
    connect(btn_resume, &QPushButton::clicked, main_window, &main_window_c::on_click_home_resume);
    lbl_wenzi->hide(); // its picture is painted by paintEvent
}

home_window_c::~home_window_c() = default;

void home_window_c::setup_form()
{
    setup_page(this, "HomeForm", 676, 492);
    btn_start = new QPushButton(this);
    btn_start->setObjectName(QStringLiteral("btn_start"));
    btn_start->setGeometry(130, 190, 111, 41);
    btn_start->setStyleSheet(QStringLiteral(
        "QPushButton{ border-image: url(:/images/home/buttonscan1.png); }\nQPushButton:hover{ "
        "border-image: url(:/images/home/buttonscan2.png);}\nQPushButton:pressed{  border-image: "
        "url(:/images/home/buttonscan3.png);}"));
    btn_resume = new QPushButton(this);
    btn_resume->setObjectName(QStringLiteral("btn_resume"));
    btn_resume->setGeometry(370, 190, 121, 41);
    btn_resume->setStyleSheet(QStringLiteral(
        "QPushButton { border-image: url(:/images/home/buttonrecovery1.png); }\nQPushButton:hover "
        "{ border-image: url(:/images/home/buttonrecovery2.png);}\nQPushButton:pressed {  "
        "border-image: url(:/images/home/buttonrecovery3.png);}"));
    lbl_wenzi = new QLabel(this);
    lbl_wenzi->setObjectName(QStringLiteral("lbl_wenzi"));
    lbl_wenzi->setGeometry(150, 300, 301, 91);
    lbl_wenzi->setStyleSheet(QStringLiteral("#lbl_wenzi {border-image: url(:/images/home/wenzi.png); }"));
    setWindowTitle(QStringLiteral("Form"));
    for (QPushButton *b : {btn_start, btn_resume})
        b->setCursor(Qt::PointingHandCursor);
}

void home_window_c::resizeEvent(QResizeEvent *event)
{
    const int h = height();
    for (QPushButton *b : {btn_start, btn_resume})
        b->move(b->x(), static_cast<int>(h - (h * 0.55 + b->height())));
    lbl_wenzi->move(lbl_wenzi->x(), h - lbl_wenzi->height() - 60);
    QWidget::resizeEvent(event);
}

void home_window_c::paintEvent(QPaintEvent *)
{
    const int w = width(), h = height();
    QPainter p(this);
    paint_header_band(p, w);
    p.drawPixmap(55, h - 240, QPixmap(QStringLiteral(":/images/home/wenzi.png")));
    p.setFont(QFont(QStringLiteral("arial"), 8));
    p.setPen(QColor(look::intro_text));
    p.drawText(70, h - 190, text_for("home_text1"));
    p.drawText(70, h - 140, text_for("home_text2"));
    p.drawText(70, h - 90, text_for("home_text3"));
}
