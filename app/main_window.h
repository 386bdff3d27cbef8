#pragma once
// Placeholder main window until the skinned window lands.

#include <QWidget>

class main_window_c : public QWidget {
    Q_OBJECT
public:
    explicit main_window_c(QWidget *parent = nullptr);
};
