#include "app/main_window.h"

#include <QLabel>
#include <QVBoxLayout>

main_window_c::main_window_c(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Vorn Data Recovery Pro"));
    resize(800, 600);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("VornRecovery"), this));
}
