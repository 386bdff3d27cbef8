#include "pages/page_common.h"

#include <QListView>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

QString button_style_sheet(const QString &normal, const QString &hover, const QString &pressed)
{
    return QStringLiteral("QPushButton{ border-image: url(:%1); }QPushButton:hover{ border-image: "
                          "url(:%2);}QPushButton:pressed{  border-image: url(:%3);}")
        .arg(normal, hover, pressed);
}

QPalette page_palette()
{
    QPalette pal;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Window, Qt::white);
        pal.setColor(group, QPalette::Base, Qt::white);
        pal.setColor(group, QPalette::Button, Qt::white);
        pal.setColor(group, QPalette::Light, Qt::white);
        pal.setColor(group, QPalette::Dark, QColor(127, 127, 127));
        pal.setColor(group, QPalette::Mid, QColor(170, 170, 170));
        pal.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 220));
        const QColor text = group == QPalette::Disabled ? QColor(127, 127, 127) : Qt::black;
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text,
                                         QPalette::ButtonText, QPalette::ToolTipText})
            pal.setColor(group, role, text);
    }
    return pal;
}

void setup_page(QWidget *page, const char *object_name, int w, int h)
{
    if (page->objectName().isEmpty())
        page->setObjectName(QLatin1String(object_name));
    page->resize(w, h);
    page->setPalette(page_palette());
    page->setAutoFillBackground(true);
}

QPushButton *make_blue_button(QWidget *page, const char *object_name, bool refresh)
{
    auto *button = new QPushButton(page);
    button->setObjectName(QLatin1String(object_name));
    QPalette pal = button->palette();
    pal.setColor(QPalette::Active, QPalette::ButtonText,
                 refresh ? QColor(253, 253, 253) : QColor(255, 255, 255));
    pal.setColor(QPalette::Inactive, QPalette::ButtonText,
                 refresh ? QColor(253, 253, 253) : QColor(255, 255, 255));
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    button->setPalette(pal);
    QFont font(QStringLiteral("Arial"), 11);
    font.setBold(true);
    button->setFont(font);
    button->setStyleSheet(button_style_sheet(QStringLiteral("/images/partition_search/btn_wai_1.png"),
                                             QStringLiteral("/images/partition_search/btn_wai_2.png"),
                                             QStringLiteral("/images/partition_search/btn_wai_3.png")) +
                          // style sheets override the palette's button text
                          QStringLiteral("QPushButton{ color: %1; }QPushButton:disabled{ color: #7f7f7f; }")
                              .arg(refresh ? QStringLiteral("#fdfdfd") : QStringLiteral("#ffffff")));
    button->resize(100, 30);
    return button;
}

void setup_list_view(QListView *view)
{
    view->setStyleSheet(QStringLiteral(
        "QListView  {\n    border-style: none;\n    border: 1px solid #8bb8fe;\n }\n"));
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void paint_header_band(QPainter &painter, int w)
{
    const QPixmap band(QStringLiteral(":/images/background/bai.png"));
    painter.fillRect(QRect(0, 0, w, band.height()), QBrush(band));
}
