// Home, volume and drive pages: geometry, row painting, models, current rows; the progress bar
// and the warning box.

#include "gui_fixture.h"

#include "app/settings.h"
#include "app/translations.h"
#include "pages/drive_delegate.h"
#include "pages/drive_model.h"
#include "pages/drive_window.h"
#include "pages/home_window.h"
#include "pages/volume_delegate.h"
#include "pages/volume_model.h"
#include "pages/volume_window.h"
#include "skin/progress_bar.h"
#include "skin/warning_box.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QRect row_rect(0, 0, 800, 30);

template <class Delegate, class Model>
QImage paint_row(const Model &model, int row, bool selected = false)
{
    QImage image(row_rect.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    QStyleOptionViewItem option;
    option.rect = row_rect;
    if (selected)
        option.state |= QStyle::State_Selected;
    Delegate().paint(&p, option, model.index(row, 0));
    return image;
}

bool reddish(QColor c) { return c.red() > c.green() + 60; }
bool greenish(QColor c) { return c.green() > c.red() + 60; }

// The text drawn alone in the given font at a baseline, on a plain background.
QImage text_alone(const QString &text, const QFont &font, QPoint at)
{
    QImage image(row_rect.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(at, text);
    return image;
}

QImage column(const QImage &image, int from_x) { return image.copy(from_x, 0, 800 - from_x, 30); }

} // namespace

class test_pages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        load_test_language(dir.path());
    }

    void volume_row_layout_data()
    {
        QTest::addColumn<uint64_t>("total");
        QTest::addColumn<uint64_t>("free_bytes");
        QTest::addColumn<bool>("red");
        QTest::addColumn<int>("fill_width"); // -1: no fill
        QTest::addColumn<QString>("size_text");
        // an 800-pixel row: bar frame at x 266, 254 pixels wide
        QTest::newRow("15 % free: red") << 100 * GiB << 15 * GiB << true << 213
                                        << QStringLiteral("15.00G free of 100.00G");
        QTest::newRow("25 % free: green") << 100 * GiB << 25 * GiB << false << 188
                                          << QStringLiteral("25.00G free of 100.00G");
        QTest::newRow("exactly a fifth free: red") << 100 * GiB << 20 * GiB << true << 201
                                                   << QStringLiteral("20.00G free of 100.00G");
        QTest::newRow("full") << 4 * GiB << uint64_t(0) << true << 252
                              << QStringLiteral("0B free of 4.00G");
        QTest::newRow("size 0: frame only") << uint64_t(0) << uint64_t(0) << false << -1
                                            << QStringLiteral("0B free of 0B");
        QTest::newRow("more free than size: no fill") << 3 * GiB << 4 * GiB << false << 0
                                                      << QStringLiteral("4.00G free of 3.00G");
    }
    void volume_row_layout()
    {
        QFETCH(uint64_t, total);
        QFETCH(uint64_t, free_bytes);
        QFETCH(bool, red);
        QFETCH(int, fill_width);
        QFETCH(QString, size_text);
        const volume_item_s v = make_volume(QStringLiteral("/dev/sdb1"), QString(),
                                            QStringLiteral("/media/usb"), total, free_bytes);
        const volume_row_layout_s l = ::volume_row_layout(QRect(0, 60, 800, 30), v, 19);
        QCOMPARE(l.bar_frame, QRect(266, 65, 254, 20));
        QCOMPARE(l.size_text, size_text);
        QCOMPARE(l.size_text_at, QPoint(256 + 254 + 20, 80));
        if (fill_width < 0) {
            QVERIFY(l.bar_fill.isEmpty());
            return;
        }
        QCOMPARE(l.red, red);
        QCOMPARE(l.bar_fill.width(), fill_width);
        QCOMPARE(l.bar_fill.topLeft(), QPoint(267, 66));
        QCOMPARE(l.bar_fill.height(), 19);
    }

    void volume_name_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("mount");
        QTest::addColumn<QString>("name");
        QTest::newRow("label") << QStringLiteral("USB") << QStringLiteral("/media/usb")
                               << QStringLiteral("USB (/media/usb)");
        QTest::newRow("no label") << QString() << QStringLiteral("/media/usb")
                                  << QStringLiteral("Local Disk (/media/usb)");
        QTest::newRow("unmounted") << QString() << QStringLiteral("/dev/sdc1")
                                   << QStringLiteral("Local Disk (/dev/sdc1)");
        QTest::newRow("trailing separator") << QString() << QStringLiteral("/media/x/")
                                            << QStringLiteral("Local Disk (/media/x)");
        QTest::newRow("root stays") << QString() << QStringLiteral("/")
                                    << QStringLiteral("Local Disk (/)");
    }
    void volume_name()
    {
        QFETCH(QString, label);
        QFETCH(QString, mount);
        QFETCH(QString, name);
        const volume_item_s v = make_volume(QStringLiteral("/dev/sdb1"), label, mount, GiB, 0);
        QCOMPARE(::volume_row_layout(row_rect, v, 19).name, name);
    }

    void volume_rows_are_painted()
    {
        const QList<volume_item_s> list{
            volume_item_s{},
            make_volume(QStringLiteral("/dev/a"), QString(), QStringLiteral("/a"), 100 * GiB, 15 * GiB),
            make_volume(QStringLiteral("/dev/b"), QString(), QStringLiteral("/b"), 100 * GiB, 25 * GiB),
            make_volume(QStringLiteral("/dev/c"), QString(), QStringLiteral("/c"), 0, 0)};
        const volume_model_c model(&list);
        const QPoint in_bar(275, 15), past_fill(267 + 213 + 3, 15);
        const QImage title = paint_row<volume_delegate_c>(model, 0);
        QCOMPARE(title.pixelColor(5, 5), QColor(232, 246, 255));
        const QImage nearly_full = paint_row<volume_delegate_c>(model, 1);
        QVERIFY(reddish(nearly_full.pixelColor(in_bar)));
        QVERIFY(!reddish(nearly_full.pixelColor(past_fill)));
        QCOMPARE(nearly_full.pixelColor(5, 2), QColor(Qt::white)); // odd row: untinted
        const QImage roomy = paint_row<volume_delegate_c>(model, 2);
        QVERIFY(greenish(roomy.pixelColor(in_bar)));
        QCOMPARE(roomy.pixelColor(5, 2), QColor(241, 250, 255)); // even row tint
        const QImage no_size = paint_row<volume_delegate_c>(model, 3);
        QCOMPARE(no_size.pixelColor(in_bar), QColor(Qt::white));
        QCOMPARE(no_size.pixelColor(266, 15), QColor(139, 184, 241)); // the frame is still there
        const QImage selected = paint_row<volume_delegate_c>(model, 2, true);
        QCOMPARE(selected.pixelColor(5, 2), QColor(81, 149, 206));
    }

    void drive_row_columns()
    {
        const QList<drive_item_s> list = sample_drives(3);
        const drive_model_c model(&list);
        QCOMPARE(paint_row<drive_delegate_c>(model, 0).pixelColor(5, 5), QColor(232, 246, 255));
        const QImage third = paint_row<drive_delegate_c>(model, 3);
        const QFont verdana(QStringLiteral("Verdana"), 8);
        // The number column shows the row number (the title is row 0), not the drive index.
        QCOMPARE(column(third, 680), column(text_alone(QStringLiteral("3"), verdana, QPoint(695, 20)), 680));
        QVERIFY(column(third, 680) != column(text_alone(QStringLiteral("2"), verdana, QPoint(695, 20)), 680));
        QCOMPARE(third.copy(400, 0, 280, 30),
                 text_alone(QStringLiteral("300.00G"), verdana, QPoint(470, 20)).copy(400, 0, 280, 30));
    }

    void models_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("empty list") << 0;
        QTest::newRow("header only") << 1;
        QTest::newRow("three") << 3;
    }
    void models()
    {
        QFETCH(int, count);
        QList<volume_item_s> volumes;
        QList<drive_item_s> drives;
        for (int i = 0; i < count; ++i) {
            volumes.append(i == 0 ? volume_item_s{} : sample_volumes().value(1));
            drives.append(i == 0 ? drive_item_s{} : make_drive(QStringLiteral("/dev/x"), GiB));
        }
        volume_model_c vm(&volumes);
        drive_model_c dm(&drives);
        QAbstractItemModelTester vt(&vm, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester dt(&dm, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(vm.rowCount(), count);
        QCOMPARE(dm.rowCount(), count);
        QCOMPARE(vm.rowCount(vm.index(0, 0)), 0);
        if (count > 0) {
            QVERIFY(vm.index(0, 0).data().canConvert<volume_item_s>());
            QVERIFY(!vm.index(0, 0).data(Qt::EditRole).isValid());
            QVERIFY(!dm.index(0, 0).data(Qt::DecorationRole).isValid());
        }
    }

    void home_buttons_follow_the_height_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("button_y");
        QTest::addColumn<int>("label_y");
        QTest::newRow("500") << 500 << 119 << 252;
        QTest::newRow("600") << 600 << 164 << 352;
        QTest::newRow("497 (the window's own)") << 497 << 117 << 249;
    }
    void home_buttons_follow_the_height()
    {
        QFETCH(int, height);
        QFETCH(int, button_y);
        QFETCH(int, label_y);
        home_window_c page(nullptr);
        page.resize(794, height);
        page.show();
        QCOMPARE(page.btn_start->geometry(), QRect(40, button_y, 330, 106));
        QCOMPARE(page.btn_resume->geometry(), QRect(425, button_y, 323, 106));
        QCOMPARE(page.lbl_wenzi->pos(), QPoint(55, label_y));
        QVERIFY(page.lbl_wenzi->isHidden());
        QVERIFY(page.btn_start->styleSheet().contains(QStringLiteral("/images/multilang/en/btn_start_scan2.png")));
    }

    void list_pages_place_their_widgets()
    {
        volume_window_c volumes(nullptr);
        drive_window_c drives(nullptr);
        for (QWidget *page : {static_cast<QWidget *>(&volumes), static_cast<QWidget *>(&drives)}) {
            page->resize(795, 497);
            page->show();
            QCOMPARE(page->findChild<QPushButton *>(QStringLiteral("btn_back"))->geometry(),
                     QRect(175, 443, 100, 30));
            QCOMPARE(page->findChild<QPushButton *>(QStringLiteral("btn_refresh"))->pos(), QPoint(347, 443));
            QCOMPARE(page->findChild<QPushButton *>(QStringLiteral("btn_scan"))->pos(), QPoint(520, 443));
            QCOMPARE(page->findChild<QListView *>()->geometry(), QRect(25, 45, 745, 357));
        }
    }

    void volume_page_selection()
    {
        const QList<volume_item_s> list = sample_volumes();
        volume_window_c page(nullptr);
        warning_recorder_c boxes;
        QVERIFY(!page.selected_volume()); // no list yet
        page.set_volume_list(list);
        QVERIFY(!page.selected_volume()); // no row current
        QCOMPARE(boxes.keys(), QStringList(2, QStringLiteral("scan_nosel_warning")));
        QCOMPARE(boxes.last().parent, &page);
        QCOMPARE(boxes.last().title, QStringLiteral("VornRecovery"));
        page.lv_volumes->setCurrentIndex(page.model()->index(2, 0));
        QCOMPARE(page.selected_volume(), &list[2]);
        page.set_volume_list(list); // a refresh forgets the row
        QVERIFY(!page.selected_volume());
        QCOMPARE(boxes.requests.size(), 3);
    }

    void drive_page_selection()
    {
        const QList<drive_item_s> list = sample_drives(2);
        drive_window_c page(nullptr);
        page.set_drive_list(list);
        QCOMPARE(page.selected_drive(), &list[1]); // the first drive is chosen
        page.lv_drives->setCurrentIndex(page.model()->index(2, 0));
        QCOMPARE(page.selected_drive(), &list[2]);
        const QList<drive_item_s> header_only{drive_item_s{}};
        page.set_drive_list(header_only);
        QVERIFY(!page.lv_drives->currentIndex().isValid());
        QVERIFY(page.selected_drive()->device_path.isEmpty());
    }

    void progress_bar_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("fill_right"); // -1: nothing filled
        QTest::addColumn<QString>("text");
        QTest::newRow("half") << 0.5 << 10 + 224 << QStringLiteral("50%");
        QTest::newRow("nearly done") << 0.999 << 10 + 448 << QStringLiteral("99%");
        QTest::newRow("done") << 1.0 << 10 + 449 << QStringLiteral("100%");
        QTest::newRow("start") << 0.0 << -1 << QStringLiteral("0%");
        QTest::newRow("past the end") << 1.7 << 10 + 449 << QStringLiteral("100%");
    }
    void progress_bar()
    {
        QFETCH(double, value);
        QFETCH(int, fill_right);
        QFETCH(QString, text);
        progress_bar_c bar;
        bar.setup(QStringLiteral(":/images/partition_search/loding_on.png"), QColor(226, 240, 253));
        QVERIFY(!bar.fill_image.isNull());
        bar.value = value;
        QCOMPARE(bar.percent_text(), text);
        const QRect rect(10, 5, 450, 12);
        QImage image(480, 20, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        bar.paint(&p, rect);
        p.end();
        const QColor background(226, 240, 253);
        // row 6: above the text, inside the bar
        QCOMPARE(image.pixelColor(rect.right(), 6) != background, fill_right == rect.right());
        QCOMPARE(image.pixelColor(rect.left(), 6) != background, fill_right >= 0);
        if (fill_right >= 0 && fill_right < rect.right()) {
            QVERIFY(image.pixelColor(fill_right, 6) != background);
            QCOMPARE(image.pixelColor(fill_right + 1, 6), background);
        }
        QCOMPARE(image.pixelColor(rect.right() + 1, 6), QColor(Qt::white));
    }

    void warning_box_form()
    {
        QWidget parent;
        auto box = make_warning_box(warning_title_pro, "local_disk", QMessageBox::NoButton, &parent);
        QCOMPARE(box->windowTitle(), QStringLiteral("Vorn Data Recovery Pro"));
        QCOMPARE(box->text(), QStringLiteral("Local Disk"));
        QCOMPARE(box->parentWidget(), &parent);
        QVERIFY(box->windowFlags().testFlag(Qt::Dialog));
        QVERIFY(box->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
        QCOMPARE(box->iconPixmap().toImage(), QPixmap(QStringLiteral(":/images/top.ico")).toImage());
        QVERIFY(!box->iconPixmap().isNull());
    }

    // The real box, answered by closing it: for a Yes/No box that counts as No.
    void closing_a_yes_no_box_answers_no()
    {
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        closer.start(20);
        QCOMPARE(warning_box(warning_title, "quit_warning", QMessageBox::Yes | QMessageBox::No, nullptr),
                 int(QMessageBox::No));
        QCOMPARE(warning_yes("back_warning", nullptr), false);
    }

    void clicking_yes_answers_yes()
    {
        QTimer clicker;
        connect(&clicker, &QTimer::timeout, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Yes)->click();
        });
        clicker.start(20);
        QVERIFY(warning_yes("back_warning", nullptr));
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(test_pages)
#include "test_pages.moc"
