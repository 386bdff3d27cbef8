#pragma once
// The skinned main frame: a frameless, per-pixel translucent top-level window whose title band,
// shadow edges, logo, title and buttons are painted by the frame itself. The pages are ordinary
// child widgets laid out inside the shadows.

#include "skin/skin_button.h"

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

class QMenu;
class QSkinWidgetResizeHandler;

class QSkinWidget : public QWidget {
    Q_OBJECT
public:
    using button_t = button_c<QSkinWidget>;

    explicit QSkinWidget(QWidget *parent = nullptr);
    ~QSkinWidget() override;

    virtual void show_page(int index) = 0;
    virtual void leave_results_page() = 0;

    // The frame picture with the buttons in their current states (what paintEvent shows).
    QImage window_image();
    const std::vector<std::unique_ptr<button_t>> &buttons() const { return button_list; }
    button_t *maximise_button() const { return max_button; }
    QMenu *settings_menu() const { return menu; }
    bool is_normal() const { return normal; }
    bool moving_enabled() const;

    // Press, move and release as the resize handler hands them on before moving or resizing.
    void frame_mouse_press(QMouseEvent *event);
    void frame_mouse_release(QMouseEvent *event);
    void frame_mouse_move(QMouseEvent *event);

    // The scan kind chosen with the navigation buttons: 0 quick, 1 deep.
    unsigned char deep_scan_chosen = 0;

Q_SIGNALS:
    void aboutToClose();

public Q_SLOTS:
    void updateStyle();
    void setLayered();
    void updateAlpha();
    virtual void on_click_close();
    virtual void on_click_help();
    virtual void on_click_language();

protected:
    // The navigation buttons' operations (quick scan, partition search, deep scan).
    virtual void on_click_top_button1() {}
    virtual void on_click_top_button2() {}
    virtual void on_click_top_button3() {}

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void create_buttons();
    void build_menu();
    void on_maximise();
    void on_restore();
    void toggle_maximised();
    void on_minimise();
    void on_settings();
    button_t *hit_button(const QPoint &pos) const;

    bool restyle_pending = true;
    QImage frame_image;
    std::unique_ptr<QSkinWidgetResizeHandler> resize_handler;
    std::vector<std::unique_ptr<button_t>> button_list;
    QPixmap logo;
    button_t *max_button = nullptr;
    QMenu *menu = nullptr;
    QByteArray saved_geometry;
    QRect saved_rect;
    bool normal = true;
    QTimer refresh_timer;
};
