// The main window: every slot and its warning boxes, the navigation buttons, closing, start-up
// with image files, and a walk from the home page into a scan.

#include "gui_fixture.h"

#include "app/init.h"
#include "app/main_window.h"
#include "app/translations.h"
#include "disk/drive_item.h"
#include "disk/volume_item.h"
#include "pages/drive_window.h"
#include "pages/home_window.h"
#include "pages/volume_model.h"
#include "pages/volume_window.h"
#include "partition/partition_window.h"
#include "platform/drives.h"
#include "platform/single_instance.h"
#include "results/recovery_window.h"
#include "tests/support/test_tools.h"

#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Window positions of the navigation buttons.
const QPoint top_button_at[] = {{50, 60}, {160, 60}, {260, 60}};

struct window_s {
    main_window_c w;
    window_s()
    {
        // No real file dialogs in tests: the scan-file chooser answers "cancelled".
        w.results_page()->dialogs.open_file = [](QWidget *, const QString &) { return QString(); };
        w.results_page()->dialogs.choose_folder = [](QWidget *, const QString &, const QString &) { return QString(); };
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    int page() const
    {
        QWidget *const pages[] = {w.home_page(), w.volume_page(), w.drive_page(),
                                  w.partition_page(), w.results_page()};
        for (int i = 0; i < 5; ++i)
            if (w.current_page == pages[i])
                return pages[i]->isVisible() ? i : -1;
        return -1;
    }
    // Lists as the start-up worker leaves them, handed over.
    void start_up()
    {
        volume_list = sample_volumes();
        drive_list = sample_drives(2);
        init_done = 1;
        w.on_init_finished();
    }
    void choose_volume(int row)
    {
        QListView *view = w.volume_page()->lv_volumes;
        view->setCurrentIndex(view->model()->index(row, 0));
    }
};

} // namespace

class test_main_window : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        load_test_language(dir.path());
        // No machine drives in these tests: an empty system tree, images only.
        platform_set_root(dir.path());
    }
    void init()
    {
        init_done = 0;
        scan_running = false;
        platform_clear_images();
    }

    void before_start_up_every_way_on_is_held_back_data()
    {
        QTest::addColumn<int>("way"); // 0 start, 1 resume, 2..4 navigation buttons 1..3
        QTest::newRow("home start") << 0;
        QTest::newRow("home resume") << 1;
        QTest::newRow("quick scan button") << 2;
        QTest::newRow("partition button") << 3;
        QTest::newRow("deep scan button") << 4;
    }
    void before_start_up_every_way_on_is_held_back()
    {
        QFETCH(int, way);
        window_s s;
        warning_recorder_c boxes;
        if (way == 0)
            s.w.home_page()->btn_start->click();
        else if (way == 1)
            s.w.home_page()->btn_resume->click();
        else
            click_at(&s.w, top_button_at[way - 2]);
        QCOMPARE(boxes.keys(), QStringList{QStringLiteral("startup_warning")});
        QCOMPARE(boxes.last().title, QStringLiteral("VornRecovery"));
        QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(boxes.last().parent, &s.w);
        QCOMPARE(boxes.last().text, QStringLiteral("Still looking for disks."));
        QCOMPARE(s.page(), 0);
        QVERIFY(!s.w.volume_page()->model());
    }

    void start_up_hands_over_the_lists()
    {
        window_s s;
        s.start_up();
        QCOMPARE(s.w.volume_page()->model()->rowCount(), 3);
        QVERIFY(!s.w.volume_page()->lv_volumes->currentIndex().isValid());
        QCOMPARE(s.w.drive_page()->lv_drives->currentIndex().row(), 1);
        QCOMPARE(s.w.drive_page()->selected_drive()->device_path, QStringLiteral("/dev/sda"));
    }

    void pages_lead_back_and_forth()
    {
        window_s s;
        s.start_up();
        s.w.home_page()->btn_start->click();
        QCOMPARE(s.page(), 1);
        s.w.volume_page()->btn_back->click();
        QCOMPARE(s.page(), 0);
        s.w.show_page(2);
        s.w.drive_page()->btn_back->click();
        QCOMPARE(s.page(), 0);
        s.w.show_page(0); // the page already shown stays current and visible
        QCOMPARE(s.page(), 0);
        warning_recorder_c boxes;
        s.w.home_page()->btn_resume->click(); // no scan file chosen: stay, say nothing
        QCOMPARE(s.page(), 0);
        QVERIFY(boxes.requests.isEmpty());
    }

    void volume_scan_answers()
    {
        window_s s;
        s.start_up();
        s.w.show_page(1);
        warning_recorder_c boxes;
        s.w.volume_page()->btn_scan->click(); // no row chosen
        QCOMPARE(boxes.keys(), QStringList{QStringLiteral("scan_nosel_warning")});
        QCOMPARE(boxes.last().parent, s.w.volume_page());

        s.choose_volume(0); // the title row
        s.w.volume_page()->btn_scan->click();
        QCOMPARE(boxes.last().key, QStringLiteral("main_warning2"));
        QCOMPARE(boxes.last().title, QStringLiteral("Vorn Data Recovery Pro"));
        QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::NoButton));
        QVERIFY(!boxes.last().parent);
        // a double click on the title row is the same as Scan
        QListView *view = s.w.volume_page()->lv_volumes;
        Q_EMIT view->doubleClicked(view->model()->index(0, 0));
        QCOMPARE(boxes.requests.size(), 3);
        QCOMPARE(boxes.last().key, QStringLiteral("main_warning2"));
        QCOMPARE(s.page(), 1);

        s.w.volume_page()->btn_refresh->click(); // a refresh forgets the row
        QVERIFY(!view->currentIndex().isValid());
        s.w.volume_page()->btn_scan->click();
        QCOMPARE(boxes.last().key, QStringLiteral("scan_nosel_warning"));
        QCOMPARE(s.page(), 1);
    }

    void drive_scan_answers()
    {
        window_s s;
        s.start_up();
        s.w.show_page(2);
        warning_recorder_c boxes;
        s.w.drive_page()->btn_scan->click(); // the first drive is current
        QVERIFY(boxes.requests.isEmpty());
        QCOMPARE(s.page(), 3);
        s.w.on_click_partition_back(); // leads to the volume page, not the drive page
        QCOMPARE(s.page(), 1);

        s.w.show_page(2);
        QListView *view = s.w.drive_page()->lv_drives;
        view->setCurrentIndex(view->model()->index(0, 0));
        s.w.drive_page()->btn_scan->click();
        QCOMPARE(boxes.keys(), QStringList{QStringLiteral("main_warning1")});
        QCOMPARE(boxes.last().title, QStringLiteral("Vorn Data Recovery Pro"));
        QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::NoButton));
        QVERIFY(!boxes.last().parent);
        QCOMPARE(s.page(), 2);

        s.w.drive_page()->btn_refresh->click(); // no row current afterwards
        s.w.drive_page()->btn_scan->click();
        QCOMPARE(boxes.requests.size(), 2);
        QCOMPARE(boxes.last().key, QStringLiteral("main_warning1"));
        QCOMPARE(s.page(), 2);
    }

    void navigation_buttons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("deep_before");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("deep_after");
        const int yes = QMessageBox::Yes, no = QMessageBox::No;
        QTest::newRow("quick, idle") << 1 << false << 0 << 1 << 1 << 0;
        QTest::newRow("partitions, idle") << 2 << false << 0 << 1 << 2 << 1;
        QTest::newRow("deep, idle") << 3 << false << 0 << 0 << 1 << 1;
        QTest::newRow("quick, scanning, No") << 1 << true << no << 1 << 4 << 1;
        QTest::newRow("quick, scanning, Yes") << 1 << true << yes << 1 << 1 << 0;
        QTest::newRow("partitions, scanning, Yes") << 2 << true << yes << 0 << 2 << 0;
        QTest::newRow("deep, scanning, No") << 3 << true << no << 0 << 4 << 0;
        QTest::newRow("deep, scanning, box closed") << 3 << true << int(QMessageBox::Escape) << 0
                                                    << 4 << 0;
        QTest::newRow("deep, scanning, Yes") << 3 << true << yes << 0 << 1 << 1;
    }
    void navigation_buttons()
    {
        QFETCH(int, button);
        QFETCH(bool, running);
        QFETCH(int, answer);
        QFETCH(int, deep_before);
        QFETCH(int, page);
        QFETCH(int, deep_after);
        window_s s;
        s.start_up();
        s.w.show_page(4);
        s.w.deep_scan_chosen = static_cast<unsigned char>(deep_before);
        scan_running = running;
        warning_recorder_c boxes;
        boxes.answer_next(answer);
        click_at(&s.w, top_button_at[button - 1]);
        QCOMPARE(boxes.keys(), running ? QStringList{QStringLiteral("back_warning")} : QStringList{});
        if (running) {
            QCOMPARE(boxes.last().buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(boxes.last().parent, &s.w);
        }
        QCOMPARE(s.page(), page);
        QCOMPARE(int(s.w.deep_scan_chosen), deep_after);
    }

    void results_back_button_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("page");
        QTest::newRow("idle") << false << 0 << 1;
        QTest::newRow("scanning, No") << true << int(QMessageBox::No) << 4;
        QTest::newRow("scanning, Yes") << true << int(QMessageBox::Yes) << 1;
    }
    void results_back_button()
    {
        QFETCH(bool, running);
        QFETCH(int, answer);
        QFETCH(int, page);
        window_s s;
        s.start_up();
        s.w.show_page(4);
        scan_running = running;
        warning_recorder_c boxes;
        boxes.answer_next(answer);
        s.w.on_click_recovery_back();
        QCOMPARE(boxes.keys(), running ? QStringList{QStringLiteral("back_warning")} : QStringList{});
        QCOMPARE(s.page(), page);
    }

    void closing_data()
    {
        QTest::addColumn<int>("way"); // 0 close button, 1 the menu's exit entry
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("button, idle") << 0 << false << 0 << true;
        QTest::newRow("button, scanning, No") << 0 << true << int(QMessageBox::No) << false;
        QTest::newRow("button, scanning, Yes") << 0 << true << int(QMessageBox::Yes) << true;
        QTest::newRow("menu, scanning, No") << 1 << true << int(QMessageBox::No) << false;
        QTest::newRow("menu, idle") << 1 << false << 0 << true;
    }
    void closing()
    {
        QFETCH(int, way);
        QFETCH(bool, running);
        QFETCH(int, answer);
        QFETCH(bool, closed);
        window_s s;
        scan_running = running;
        warning_recorder_c boxes;
        boxes.answer_next(answer);
        if (way == 0)
            click_at(&s.w, QPoint(s.w.width() - 15, 10));
        else
            s.w.settings_menu()->actions().last()->trigger();
        QCOMPARE(boxes.keys(), running ? QStringList{QStringLiteral("quit_warning")} : QStringList{});
        QCOMPARE(!s.w.isVisible(), closed);
    }

    // The window system's own close bypasses the question.
    void system_close_does_not_ask()
    {
        window_s s;
        scan_running = true;
        warning_recorder_c boxes;
        s.w.close();
        QVERIFY(!s.w.isVisible());
        QVERIFY(boxes.requests.isEmpty());
    }

    void start_up_lists_image_files()
    {
        VORN_REQUIRE_TOOL("mkfs.fat");
        const QString image = dir.filePath(QStringLiteral("stick.img"));
        QCOMPARE(test_run_tool(QStringLiteral("mkfs.fat"),
                               {QStringLiteral("-C"), QStringLiteral("-n"), QStringLiteral("STICK"),
                                image, QStringLiteral("4096")}),
                 0);
        QCOMPARE(platform_add_image(image), 0);
        window_s s;
        init_c worker;
        connect(&worker, &init_c::init_finished, &s.w, &main_window_c::on_init_finished);
        QSignalSpy finished(&worker, &init_c::init_finished);
        worker.start();
        QVERIFY(finished.wait(20000));
        worker.wait();
        QCoreApplication::processEvents();
        QCOMPARE(int(init_done), 1);
        QCOMPARE(drive_list.size(), 2);
        QCOMPARE(drive_list[1].device_path, QFileInfo(image).absoluteFilePath());
        QCOMPARE(s.w.drive_page()->selected_drive()->device_path, drive_list[1].device_path);
        QCOMPARE(volume_list.size(), 2);
        QCOMPARE(volume_list[1].label, QStringLiteral("STICK"));
        QCOMPARE(s.w.volume_page()->model()->rowCount(), 2);

        // The walk: home, Start, choose the stick, Scan.
        warning_recorder_c boxes(QMessageBox::No);
        s.w.home_page()->btn_start->click();
        QCOMPARE(s.page(), 1);
        s.choose_volume(1);
        s.w.volume_page()->btn_scan->click();
        QVERIFY(boxes.requests.isEmpty());
        if (!s.w.results_page()->findChild<QWidget *>(QStringLiteral("tv_dirtree")))
            QSKIP("the results page is still the placeholder; no scan to start");
        QCOMPARE(s.page(), 4);
        QTRY_VERIFY_WITH_TIMEOUT(!scan_running, 20000);
    }

    // While this process holds the lock, the program started again leaves at once: status 255,
    // no window, no message.
    void second_start_exits_silently()
    {
        QCOMPARE(single_instance_acquire(QStringLiteral("VornRecovery")), 0);
        QByteArray output;
        QCOMPARE(test_run_tool(test_bin_dir() + QStringLiteral("/vornrecovery"), {}, &output, 20000),
                 255);
        QCOMPARE(output, QByteArray());
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(test_main_window)
#include "test_main_window.moc"
