#include "skin/skin_widget.h"

#include "app/settings.h"
#include "app/translations.h"
#include "platform/help_page.h"
#include "skin/skin_resize_handler.h"
#include "skin/warning_box.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

const int top_band = 100; // presses at y <= 100 belong to the title band

QString system_image(const char *name, int state)
{
    return QStringLiteral(":/images/system/%1%2.png").arg(QLatin1String(name)).arg(state);
}

QString top_image(int n, int state)
{
    return QLatin1Char(':') + localized_image_path(QStringLiteral("btn_top%1%2.png").arg(n).arg(state));
}

} // namespace

QSkinWidget::QSkinWidget(QWidget *parent) : QWidget(parent)
{
    logo = QPixmap(QStringLiteral(":/images/top/logo.png"));
    create_buttons();
    build_menu();
    setWindowFlags(Qt::FramelessWindowHint);
    // Per-pixel alpha needs the attribute before the native window exists.
    setAttribute(Qt::WA_TranslucentBackground);
    QTimer::singleShot(1, this, &QSkinWidget::setLayered);
    setWindowTitle(QStringLiteral("Vorn Data Recovery Pro"));
    frame_image = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    connect(&refresh_timer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    refresh_timer.start(400);
    setMouseTracking(true);
    setContentsMargins(QPixmap(QStringLiteral(":/images/system/sl.png")).width(),
                       QPixmap(QStringLiteral(":/images/system/so.png")).height(),
                       QPixmap(QStringLiteral(":/images/system/sr.png")).width(),
                       QPixmap(QStringLiteral(":/images/system/su.png")).height());
    resize_handler = std::make_unique<QSkinWidgetResizeHandler>(this);
    restyle_pending = true;
    normal = true;
}

QSkinWidget::~QSkinWidget() = default;

void QSkinWidget::create_buttons()
{
    button_list.clear();
    const button_t::action_t tops[] = {&QSkinWidget::on_click_top_button1,
                                       &QSkinWidget::on_click_top_button2,
                                       &QSkinWidget::on_click_top_button3};
    for (int n = 1; n <= 3; ++n) {
        auto button = std::make_unique<top_button_c<QSkinWidget>>();
        button->setup(top_image(n, 1), top_image(n, 2), top_image(n, 3),
                      QRect(10 + (n - 1) * 103, 25, 95, 70), QString());
        button->action = tops[n - 1];
        button_list.push_back(std::move(button));
    }
    struct system_s {
        const char *image;
        int x;
        button_t::action_t action;
    };
    const system_s systems[] = {
        {"quiButton", 1, &QSkinWidget::on_click_close},
        {"maxButton", 31, &QSkinWidget::on_maximise},
        {"minButton", 61, &QSkinWidget::on_minimise},
        {"settingButton", 91, &QSkinWidget::on_settings},
    };
    for (const system_s &s : systems) {
        auto button = std::make_unique<system_button_c<QSkinWidget>>();
        button->setup(system_image(s.image, 1), system_image(s.image, 2), system_image(s.image, 3),
                      QRect(s.x, 1, 30, 21), QString());
        button->action = s.action;
        if (s.action == &QSkinWidget::on_maximise)
            max_button = button.get();
        button_list.push_back(std::move(button));
    }
}

void QSkinWidget::build_menu()
{
    menu = new QMenu(this);
    QMenu *languages = menu->addMenu(QStringLiteral("Language"));
    for (int n = int(language_names.size()) - 1; n >= 0; --n) {
        QAction *entry = languages->addAction(language_names[n]);
        entry->setData(n);
        connect(entry, &QAction::triggered, this, &QSkinWidget::on_click_language);
    }
    menu->addSeparator();
    connect(menu->addAction(text_for("menu_help")), &QAction::triggered, this,
            &QSkinWidget::on_click_help);
    menu->addSeparator();
    connect(menu->addAction(text_for("menu_exit")), &QAction::triggered, this,
            &QSkinWidget::on_click_close);
}

bool QSkinWidget::moving_enabled() const { return resize_handler->isMovingEnabled(); }

void QSkinWidget::setLayered()
{
    // A frameless top-level with a translucent background gets an alpha channel from the
    // window system; there is nothing more to switch on here.
    if (!testAttribute(Qt::WA_TranslucentBackground))
        setAttribute(Qt::WA_TranslucentBackground);
}

void QSkinWidget::updateStyle()
{
    const QImage so(QStringLiteral(":/images/system/so.png"));
    const QImage sl(QStringLiteral(":/images/system/sl.png"));
    const QImage sr(QStringLiteral(":/images/system/sr.png"));
    const QImage su(QStringLiteral(":/images/system/su.png"));
    const int w = width(), h = height();
    frame_image = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    frame_image.fill(Qt::transparent);
    QPainter p(&frame_image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(w - 64, 0, 64, so.height()), so, QRect(so.width() - 64, 0, 64, so.height()));
    p.drawImage(QRect(0, 0, 64, so.height()), so, QRect(0, 0, 64, so.height()));
    p.drawImage(QRect(64, 0, w - 128, so.height()), so,
                QRect(64, 0, so.width() - 128, so.height()));
    p.drawImage(QRect(sl.width(), h - su.height(), w - sl.width() - sr.width(), su.height()), su,
                QRect(sl.width(), 0, su.width() - sl.width() - sr.width(), su.height()));
    p.drawImage(QRect(0, h - su.height(), sl.width(), su.height()), su,
                QRect(0, 0, sl.width(), su.height()));
    p.drawImage(QRect(w - sr.width(), h - su.height(), sr.width(), su.height()), su,
                QRect(su.width() - sr.width(), 0, sr.width(), su.height()));
    p.drawImage(QRect(w - sr.width(), so.height(), sr.width(), h - so.height() - su.height()), sr);
    p.drawImage(QRect(0, so.height(), sl.width(), h - su.height() - so.height()), sl);
    p.drawPixmap(w - 120, 24, logo);
    QFont title_font;
    title_font.setFamilies({QStringLiteral("Comic Sans MS"), QStringLiteral("DejaVu Sans")});
    p.setFont(title_font);
    p.setPen(Qt::white);
    p.drawText(10, 20, windowTitle());
    restyle_pending = false;
}

QImage QSkinWidget::window_image()
{
    if (restyle_pending || frame_image.size() != size())
        updateStyle();
    QImage image = frame_image;
    QPainter p(&image);
    for (const auto &button : button_list)
        button->paint(p, rect());
    return image;
}

void QSkinWidget::updateAlpha() { update(); }

void QSkinWidget::paintEvent(QPaintEvent *)
{
    // The pages are child widgets and paint themselves over the frame's transparent inside.
    const QImage image = window_image();
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, image);
}

void QSkinWidget::resizeEvent(QResizeEvent *event)
{
    restyle_pending = true;
    QWidget::resizeEvent(event);
}

void QSkinWidget::closeEvent(QCloseEvent *event)
{
    Q_EMIT aboutToClose();
    QWidget::closeEvent(event);
}

QSkinWidget::button_t *QSkinWidget::hit_button(const QPoint &pos) const
{
    for (const auto &button : button_list)
        if (button->hit_test(pos, rect()))
            return button.get();
    return nullptr;
}

void QSkinWidget::frame_mouse_press(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (pos.y() > top_band) {
        resize_handler->setMovingEnabled(false);
        return;
    }
    if (button_t *button = hit_button(pos)) {
        resize_handler->setMovingEnabled(false);
        if (button->state != 2) {
            button->state = 2;
            update();
        }
        return;
    }
    resize_handler->setMovingEnabled(true);
}

void QSkinWidget::frame_mouse_release(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    for (const auto &button : button_list) {
        if (!button->hit_test(pos, rect()) || button->state == 1)
            continue;
        button->state = 1;
        update();
        event->accept();
        if (const button_t::action_t action = button->action)
            (this->*action)();
        return;
    }
}

void QSkinWidget::frame_mouse_move(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    for (const auto &button : button_list) {
        const bool hit = button->hit_test(pos, rect());
        if (hit && button->state == 0) {
            button->state = 1;
            update();
            return;
        }
        if (!hit && button->state != 0) {
            button->state = 0;
            update();
            return;
        }
    }
}

// Normally the resize handler hands these on; they stay for events that reach the frame
// without passing it.
void QSkinWidget::mousePressEvent(QMouseEvent *event) { frame_mouse_press(event); }
void QSkinWidget::mouseReleaseEvent(QMouseEvent *event) { frame_mouse_release(event); }
void QSkinWidget::mouseMoveEvent(QMouseEvent *event) { frame_mouse_move(event); }

void QSkinWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (pos.y() > top_band || hit_button(pos))
        return;
    if (!max_button)
        return;
    if (const button_t::action_t action = max_button->action)
        (this->*action)();
}

void QSkinWidget::on_maximise()
{
    max_button->set_images(system_image("resumeButton", 1), system_image("resumeButton", 2),
                           system_image("resumeButton", 3));
    max_button->action = &QSkinWidget::on_restore;
    toggle_maximised();
}

void QSkinWidget::on_restore()
{
    max_button->set_images(system_image("maxButton", 1), system_image("maxButton", 2),
                           system_image("maxButton", 3));
    max_button->action = &QSkinWidget::on_maximise;
    toggle_maximised();
}

void QSkinWidget::toggle_maximised()
{
    if (normal) {
        saved_geometry = saveGeometry();
        saved_rect = geometry();
        if (QScreen *screen = QGuiApplication::primaryScreen())
            setGeometry(screen->availableGeometry());
    } else {
        // The byte form keeps the screen; the plain rectangle is the fallback where the window
        // system refuses it.
        if (!restoreGeometry(saved_geometry) || geometry() != saved_rect)
            setGeometry(saved_rect);
    }
    normal = !normal;
}

void QSkinWidget::on_minimise()
{
    for (const auto &button : button_list)
        button->state = 0;
    showMinimized();
}

void QSkinWidget::on_settings() { menu->popup(QCursor::pos()); }

void QSkinWidget::on_click_close() { close(); }

void QSkinWidget::on_click_help()
{
    // Nothing to say when no browser answers: the page is also installed as a plain file.
    open_help_page();
}

void QSkinWidget::on_click_language()
{
    auto *entry = qobject_cast<QAction *>(sender());
    if (!entry)
        return;
    const int n = entry->data().toInt();
    if (n == current_language_index || n < 0 || n >= language_names.size())
        return;
    current_language = language_names[n];
    current_language_index = n;
    save_settings();
    warning_box(warning_title, "language_warning", QMessageBox::Ok, this);
}
