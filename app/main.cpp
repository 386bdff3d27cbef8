// vornrecovery: the windowed program. Image files named on the command line are listed as
// drives of their own and their partitions as volumes.

#include "app/init.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "platform/drives.h"
#include "platform/single_instance.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>

namespace {

// Everything on the command line that is not an option names a disk image ("--" ends options).
void register_images(const QStringList &arguments)
{
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (options && arg == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && arg.startsWith(QLatin1Char('-')))
            continue;
        if (platform_add_image(arg) != 0)
            std::fprintf(stderr, "vornrecovery: cannot read image %s\n", qPrintable(arg));
    }
}

} // namespace

int main(int argc, char **argv)
{
    // A second copy leaves at once and says nothing; the first keeps its window.
    if (single_instance_acquire(QStringLiteral("VornRecovery")) != 0)
        return 255;
    load_settings();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("VornRecovery"));
    app.setDesktopFileName(QStringLiteral("vornrecovery"));
    register_images(app.arguments());

    int result = 0;
    {
        main_window_c window;
        init_c worker;
        QObject::connect(&worker, &init_c::init_finished, &window, &main_window_c::on_init_finished);
        worker.start(QThread::InheritPriority);
        window.show();
        result = app.exec();
        // The start-up worker may still be enumerating when the window closes early.
        worker.wait();
        window.shutdown_pages();
    }
    return result;
}
