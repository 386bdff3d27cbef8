// vorn_screenshots <output folder> [image files...]
// Renders the window's pages into PNG files for review: every page in English, and the home,
// volume and drive pages in every language of language.ini. Image files given are registered
// and enumerated like the program does; otherwise a small sample list is shown.

#include "app/init.h"
#include "app/main_window.h"
#include "app/translations.h"
#include "disk/drive_enum.h"
#include "disk/drive_item.h"
#include "disk/volume_enum.h"
#include "disk/volume_item.h"
#include "engines/fat/sector_layer.h"
#include "platform/drives.h"
#include "results/recovery_model.h"
#include "results/recovery_window.h"
#include "results/tree_model.h"
#include "skin/warning_box.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QThread>
#include <QTreeView>
#include <cstdio>

namespace {

void sample_lists()
{
    volume_list = {volume_item_s{}};
    const auto add = [](const char *dev, const char *label, const char *fs, const char *mount,
                        double total_gib, double free_gib) {
        volume_item_s v;
        v.device_name = QString::fromLatin1(dev);
        v.volume_name = v.device_name;
        v.label = QString::fromUtf8(label);
        v.file_system = QString::fromLatin1(fs);
        v.mount_point = QString::fromLatin1(mount);
        v.total_bytes = uint64_t(total_gib * 1073741824.0);
        v.free_bytes = uint64_t(free_gib * 1073741824.0);
        volume_list.append(v);
    };
    add("/dev/sda1", "", "NTFS", "/media/windows", 100, 15);
    add("/dev/sdb1", "USB STICK", "FAT32", "/media/usb", 29.8, 25.1);
    add("/dev/sdc1", "", "exFAT", "/dev/sdc1", 0, 0);
    drive_list = {drive_item_s{}};
    const auto drive = [](const char *path, double gib) {
        drive_item_s d;
        d.device_path = QString::fromLatin1(path);
        d.size_bytes = uint64_t(gib * 1073741824.0);
        d.geometry = std::make_shared<disk_geometry_s>();
        drive_list.append(d);
    };
    drive("/dev/sda", 500);
    drive("/dev/sdb", 29.8);
}

QImage on_grey(const QImage &window)
{
    QImage out(window.size(), QImage::Format_RGB32);
    out.fill(QColor(120, 120, 120));
    QPainter p(&out);
    p.drawImage(0, 0, window);
    return out;
}

bool shoot(main_window_c &window, int page, const QString &path)
{
    window.show_page(page);
    if (page == 1 && window.volume_page())
        QApplication::processEvents();
    QApplication::processEvents();
    return on_grey(window.grab().toImage()).save(path);
}

// The results page after a quick scan of the first listed volume: the tree opened on the first
// folder that holds deleted files, its table filled and the first row previewed.
bool shoot_scan(main_window_c &window, const QString &path)
{
    if (volume_list.size() < 2 || window.results_page()->begin_scan(volume_list.at(1), 0) != 0)
        return false;
    // A question (no deleted files: deep scan?) is answered No instead of waiting for a person.
    warning_box_hook = [](const warning_request_s &) { return int(QMessageBox::No); };
    window.show_page(4);
    QDeadlineTimer deadline(60000);
    while (scan_running && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    recovery_window_c *page = window.results_page();
    TreeModel *tree = page->tree_model();
    auto *view = page->findChild<QTreeView *>(QStringLiteral("tv_dirtree"));
    if (tree && view) {
        view->expandAll();
        // Depth first: the first node whose table is not empty.
        QList<QModelIndex> todo{tree->index(0, 0)};
        while (!todo.isEmpty()) {
            const QModelIndex node = todo.takeFirst();
            if (!node.isValid())
                continue;
            page->on_tree_clicked(node);
            if (!page->items().isEmpty()) {
                view->setCurrentIndex(node);
                break;
            }
            for (int r = tree->rowCount(node) - 1; r >= 0; --r)
                todo.prepend(tree->index(r, 0, node));
        }
        if (!page->items().isEmpty())
            page->on_list_clicked(page->table_model()->index(0, 1));
    }
    QApplication::processEvents();
    return on_grey(window.grab().toImage()).save(path);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vorn_screenshots <output folder> [images...]\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    if (argc > 2) {
        for (int i = 2; i < argc; ++i)
            platform_add_image(QString::fromLocal8Bit(argv[i]));
        enumerate_volumes();
        enumerate_drives();
        init_sector_layer();
    } else {
        sample_lists();
    }
    init_done = 1;

    load_language(QStringLiteral("English"), false);
    const QStringList languages = language_names.isEmpty() ? QStringList{QStringLiteral("English")}
                                                           : language_names;
    int failures = 0;
    for (int n = 0; n < languages.size(); ++n) {
        translations.clear();
        load_language(QStringLiteral("English"), false);
        load_language(languages[n], true);
        current_language = languages[n];
        main_window_c window;
        window.move(0, 0);
        window.show();
        window.on_init_finished();
        QApplication::processEvents();
        const QString code = image_language_code() + QStringLiteral("-%1").arg(n);
        const int pages = n == 0 ? 5 : 3;
        const char *names[] = {"home", "volumes", "drives", "partition", "results"};
        for (int page = 0; page < pages; ++page)
            if (!shoot(window, page, QStringLiteral("%1/%2-%3.png").arg(out, code,
                                                                        QLatin1String(names[page]))))
                ++failures;
        if (n == 0 && argc > 2 && !shoot_scan(window, QStringLiteral("%1/%2-results-scan.png").arg(out, code)))
            ++failures;
        window.shutdown_pages();
        window.close();
    }
    return failures == 0 ? 0 : 1;
}
