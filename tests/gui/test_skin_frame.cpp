// The skinned frame: button hit tests and states, the title band, maximise/restore, the frame
// picture and the settings menu.

#include "gui_fixture.h"

#include "app/settings.h"
#include "app/translations.h"
#include "skin/skin_widget.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Button list order of the frame.
enum { top1, top2, top3, close_button, max_button, min_button, settings_button };

class frame_probe_c : public QSkinWidget {
public:
    frame_probe_c() { resize(800, 600); }
    void show_page(int) override {}
    void leave_results_page() override {}
    void on_click_close() override { ++closes; }
    int closes = 0;
    int tops[3] = {0, 0, 0};

protected:
    void on_click_top_button1() override { ++tops[0]; }
    void on_click_top_button2() override { ++tops[1]; }
    void on_click_top_button3() override { ++tops[2]; }
};

QList<int> states(const QSkinWidget &frame)
{
    QList<int> out;
    for (const auto &b : frame.buttons())
        out.append(b->state);
    return out;
}

bool same_picture(const QPixmap &a, const QString &path)
{
    return !a.isNull() && a.toImage() == QPixmap(path).toImage();
}

} // namespace

class test_skin_frame : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        load_test_language(dir.path());
    }

    void hit_test_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("window_width");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("hit");
        QTest::newRow("top 1, top left corner") << int(top1) << 800 << QPoint(10, 25) << true;
        QTest::newRow("top 1, bottom right corner") << int(top1) << 800 << QPoint(104, 94) << true;
        QTest::newRow("top 1, right of it") << int(top1) << 800 << QPoint(105, 50) << false;
        QTest::newRow("top 1, below it") << int(top1) << 800 << QPoint(50, 95) << false;
        QTest::newRow("top 3, left edge") << int(top3) << 800 << QPoint(216, 60) << true;
        QTest::newRow("close, left edge") << int(close_button) << 800 << QPoint(769, 1) << true;
        QTest::newRow("close, right edge") << int(close_button) << 800 << QPoint(798, 21) << true;
        QTest::newRow("close, left of it") << int(close_button) << 800 << QPoint(768, 10) << false;
        QTest::newRow("close, last column") << int(close_button) << 800 << QPoint(799, 10) << false;
        QTest::newRow("close, below it") << int(close_button) << 800 << QPoint(780, 22) << false;
        QTest::newRow("close follows the width") << int(close_button) << 1000 << QPoint(969, 5) << true;
        QTest::newRow("settings, left edge") << int(settings_button) << 800 << QPoint(679, 5) << true;
    }
    void hit_test()
    {
        QFETCH(int, button);
        QFETCH(int, window_width);
        QFETCH(QPoint, point);
        QFETCH(bool, hit);
        frame_probe_c frame;
        QCOMPARE(frame.buttons()[button]->hit_test(point, QRect(0, 0, window_width, 600)), hit);
    }

    void system_button_is_drawn_from_the_right_edge()
    {
        frame_probe_c frame;
        auto &close = *frame.buttons()[close_button];
        QPixmap solid(30, 21);
        solid.fill(Qt::red);
        close.images = {solid, solid, solid};
        QImage image(800, 30, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        close.paint(p, QRect(0, 0, 800, 600));
        p.end();
        QCOMPARE(image.pixelColor(769, 5), QColor(Qt::red));
        QCOMPARE(image.pixelColor(798, 5), QColor(Qt::red));
        QCOMPARE(image.pixelColor(768, 5).alpha(), 0);
        QCOMPARE(image.pixelColor(799, 5).alpha(), 0);
    }

    void press_and_release_on_close_runs_it_once()
    {
        frame_probe_c frame;
        frame.show();
        send_mouse(&frame, QEvent::MouseButtonPress, QPoint(780, 10));
        QCOMPARE(frame.buttons()[close_button]->state, 2);
        QCOMPARE(frame.closes, 0); // clicks fire on release
        send_mouse(&frame, QEvent::MouseButtonRelease, QPoint(780, 10));
        QCOMPARE(frame.buttons()[close_button]->state, 1);
        QCOMPARE(frame.closes, 1);
        // The same release seen again finds the button in state 1 and leaves it.
        send_mouse(&frame, QEvent::MouseButtonRelease, QPoint(780, 10));
        QCOMPARE(frame.closes, 1);
    }

    void top_buttons_run_their_operation()
    {
        frame_probe_c frame;
        frame.show();
        click_at(&frame, QPoint(50, 60));
        click_at(&frame, QPoint(160, 60));
        click_at(&frame, QPoint(160, 60));
        click_at(&frame, QPoint(250, 30));
        QCOMPARE(frame.tops[0], 1);
        QCOMPARE(frame.tops[1], 2);
        QCOMPARE(frame.tops[2], 1);
    }

    void hover_moves_take_one_state_change_each()
    {
        frame_probe_c frame;
        frame.show();
        // min covers x 709 ... 738, max 739 ... 768 on an 800-pixel window
        send_mouse(&frame, QEvent::MouseMove, QPoint(720, 10));
        QCOMPARE(frame.buttons()[min_button]->state, 1);
        QList<int> before = states(frame);
        send_mouse(&frame, QEvent::MouseMove, QPoint(750, 10));
        QList<int> after = states(frame);
        int changed = 0;
        for (int i = 0; i < before.size(); ++i)
            changed += before[i] != after[i];
        QCOMPARE(changed, 1);
        send_mouse(&frame, QEvent::MouseMove, QPoint(750, 10));
        QCOMPARE(frame.buttons()[max_button]->state, 1);
        QCOMPARE(frame.buttons()[min_button]->state, 0);
        // Leaving every button puts the lit one back to normal.
        send_mouse(&frame, QEvent::MouseMove, QPoint(400, 300));
        QCOMPARE(states(frame), QList<int>(7, 0));
    }

    void title_band_drags_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("drags");
        QTest::newRow("last row of the band") << 100 << true;
        QTest::newRow("first row below it") << 101 << false;
        QTest::newRow("on a top button") << 60 << false;
    }
    void title_band_drags()
    {
        QFETCH(int, y);
        QFETCH(bool, drags);
        frame_probe_c frame;
        frame.move(40, 40);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const QPoint start = frame.pos();
        const int x = y == 60 ? 50 : 400;
        send_mouse(&frame, QEvent::MouseButtonPress, QPoint(x, y));
        QCOMPARE(frame.moving_enabled(), drags);
        send_mouse(&frame, QEvent::MouseMove, QPoint(x + 30, y + 20), Qt::NoButton, Qt::LeftButton);
        send_mouse(&frame, QEvent::MouseButtonRelease, QPoint(x + 30, y + 20));
        QCOMPARE(frame.pos() - start, drags ? QPoint(30, 20) : QPoint(0, 0));
    }

    void right_border_resizes()
    {
        frame_probe_c frame;
        frame.setMinimumSize(400, 300);
        frame.setGeometry(20, 20, 800, 600);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        send_mouse(&frame, QEvent::MouseButtonPress, QPoint(798, 300));
        send_mouse(&frame, QEvent::MouseMove, QPoint(758, 300), Qt::NoButton, Qt::LeftButton);
        send_mouse(&frame, QEvent::MouseButtonRelease, QPoint(758, 300));
        QCOMPARE(frame.width(), 760);
        QCOMPARE(frame.height(), 600);
        QCOMPARE(frame.pos(), QPoint(20, 20));
    }

    void maximise_and_restore()
    {
        frame_probe_c frame;
        frame.setGeometry(30, 40, 700, 500);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const QRect normal_geometry = frame.geometry();
        click_at(&frame, QPoint(frame.width() - 45, 10)); // the maximise button
        QVERIFY(!frame.is_normal());
        QCOMPARE(frame.geometry(), QGuiApplication::primaryScreen()->availableGeometry());
        QVERIFY(same_picture(frame.maximise_button()->images[0],
                             QStringLiteral(":/images/system/resumeButton1.png")));
        // A double click on a button does nothing; on the free band it restores.
        send_mouse(&frame, QEvent::MouseButtonDblClick, QPoint(60, 60));
        QVERIFY(!frame.is_normal());
        send_mouse(&frame, QEvent::MouseButtonDblClick, QPoint(450, 60));
        QVERIFY(frame.is_normal());
        QCOMPARE(frame.geometry(), normal_geometry);
        QVERIFY(same_picture(frame.maximise_button()->images[0],
                             QStringLiteral(":/images/system/maxButton1.png")));
        // and a double click below the band does nothing
        send_mouse(&frame, QEvent::MouseButtonDblClick, QPoint(450, 101));
        QVERIFY(frame.is_normal());
    }

    void minimise_puts_every_button_back()
    {
        frame_probe_c frame;
        frame.show();
        send_mouse(&frame, QEvent::MouseMove, QPoint(50, 50));
        QCOMPARE(frame.buttons()[top1]->state, 1);
        click_at(&frame, QPoint(frame.width() - 75, 10));
        QCOMPARE(states(frame), QList<int>(7, 0));
    }

    void frame_picture_is_transparent_inside()
    {
        frame_probe_c frame;
        frame.resize(900, 650);
        const QImage image = frame.window_image();
        QCOMPARE(image.size(), QSize(900, 650));
        QCOMPARE(image.pixelColor(450, 50).alpha(), 255); // title band
        QCOMPARE(image.pixelColor(450, 300).alpha(), 0);  // the pages' place
        const int edge_alpha = image.pixelColor(0, 300).alpha();
        QVERIFY(edge_alpha > 0 && edge_alpha < 255); // soft shadow
        QVERIFY(image.pixelColor(450, 649).alpha() < 255);
        frame.resize(820, 610);
        QCOMPARE(frame.window_image().size(), QSize(820, 610));
    }

    void close_event_announces_itself()
    {
        frame_probe_c frame;
        frame.show();
        QSignalSpy spy(&frame, &QSkinWidget::aboutToClose);
        frame.close();
        QCOMPARE(spy.count(), 1);
    }

    void language_menu()
    {
        frame_probe_c frame;
        QMenu *menu = frame.settings_menu();
        const QList<QAction *> entries = menu->actions();
        QCOMPARE(entries.size(), 5);
        QVERIFY(entries[1]->isSeparator() && entries[3]->isSeparator());
        QCOMPARE(entries[2]->text(), QStringLiteral("Help"));
        QCOMPARE(entries[4]->text(), QStringLiteral("Exit"));
        QMenu *languages = entries[0]->menu();
        QVERIFY(languages);
        const QList<QAction *> choices = languages->actions();
        QCOMPARE(choices.size(), 2);
        QCOMPARE(choices[0]->text(), QStringLiteral("Deutsch")); // last section first
        QCOMPARE(choices[0]->data().toInt(), 1);
        QCOMPARE(choices[1]->data().toInt(), 0);

        warning_recorder_c boxes;
        choices[1]->trigger(); // English is current: nothing happens
        QVERIFY(boxes.requests.isEmpty());
        choices[0]->trigger();
        QCOMPARE(boxes.keys(), QStringList{QStringLiteral("language_warning")});
        QCOMPARE(boxes.last().parent, &frame);
        QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(current_language, QStringLiteral("Deutsch"));
        QCOMPARE(current_language_index, 1);
        QSettings written(settings_file_path(), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("language")).toString(), QStringLiteral("Deutsch"));
        // Texts on screen stay: the new language shows at the next start.
        QCOMPARE(text_for("local_disk"), QStringLiteral("Local Disk"));

        entries[4]->trigger();
        QCOMPARE(frame.closes, 1);
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(test_skin_frame)
#include "test_skin_frame.moc"
