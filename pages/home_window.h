#pragma once
// Home page: start a new scan, or resume a saved deep scan; three lines of introduction.

#include <QWidget>

class QLabel;
class QPushButton;
class main_window_c;

class home_window_c : public QWidget {
    Q_OBJECT
public:
    explicit home_window_c(main_window_c *main_window);
    ~home_window_c() override;

    QPushButton *btn_start = nullptr;
    QPushButton *btn_resume = nullptr;
    QLabel *lbl_wenzi = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setup_form();

    main_window_c *main_window;
};
