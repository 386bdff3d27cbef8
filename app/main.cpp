// vornrecovery: the windowed program.

#include "app/main_window.h"
#include "app/settings.h"

#include <QApplication>

int main(int argc, char **argv)
{
    load_settings();
    QApplication app(argc, argv);
    main_window_c window;
    window.show();
    return app.exec();
}
