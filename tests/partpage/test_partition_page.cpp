// The partition page over real disk images whose partition table is wiped: the search lists the
// partitions through the model and delegate, Stop keeps the rows and Start searches afresh,
// Repair asks first and reports what really happened to sector 0.
#include "app/main_window.h"
#include "app/settings.h"
#include "app/translations.h"
#include "cli/cli_partition.h"
#include "partition/partition_delegate.h"
#include "partition/partition_model.h"
#include "pages/drive_window.h"
#include "pages/volume_window.h"
#include "partition/partition_window.h"
#include "platform/paths.h"
#include "tests/gui/gui_fixture.h"
#include "tests/partition/partition_fixture.h"
#include "tests/support/test_tools.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 MiB = 1024 * 1024;
const QRect row_rect(0, 0, 800, 30);

drive_item_s image_drive(const QString &path)
{
    drive_item_s drive;
    cli_drive_record(path, &drive);
    return drive;
}

QByteArray sector0(const QString &path) { return test_read_file(path).left(512); }

QStringList backups()
{
    return QDir(platform_config_dir()).entryList({QStringLiteral("mbr-backup-*")}, QDir::Files);
}

partition_item_s found(const char *fs, uint64_t start, uint64_t sectors)
{
    return partition_item_s{QLatin1String(fs), fs[0] == 'N' ? 7 : 12, start, start + sectors - 1};
}

QImage paint_row(const QAbstractItemModel &model, int row, bool selected = false)
{
    QImage image(row_rect.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    QStyleOptionViewItem option;
    option.rect = row_rect;
    if (selected)
        option.state |= QStyle::State_Selected;
    partition_delegate_c().paint(&p, option, model.index(row, 0));
    return image;
}

QList<partition_item_s> shown(const partition_window_c &page)
{
    QList<partition_item_s> out;
    const QAbstractItemModel *m = page.lv_volumes->model();
    for (int r = 0; r < m->rowCount(); ++r)
        out.append(m->index(r, 0).data().value<partition_item_s>());
    return out;
}

// Waits until the page has seen its search end (the queued finished() delivered).
bool wait_for_end(partition_window_c &page)
{
    if (!page.worker().wait(120000))
        return false;
    for (int i = 0; i < 200 && page.searching(); ++i)
        QTest::qWait(10);
    return !page.searching();
}

} // namespace

class test_partition_page : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString two_parts; // FAT32 at 2048 and NTFS at 83968, table wiped
    // A 6 GiB sparse drive with FAT32 at its start: the search is still walking the empty rest
    // when the page sees the first find.
    QString big;
    const QList<image_part_s> parts{{QStringLiteral("fat32"), 2048, 81920}, {QStringLiteral("ntfs"), 83968, 32768}};

    QString copy_of(const QString &image, const QString &name)
    {
        const QString out = dir.filePath(name);
        QFile::remove(out);
        return test_run_tool(QStringLiteral("cp"), {QStringLiteral("--sparse=always"), image, out}) == 0 ? out : QString();
    }

private slots:
    void initTestCase();
    void model_passes_tester_data();
    void model_passes_tester();
    void rows_are_painted_data();
    void rows_are_painted();
    void search_lists_partitions();
    void scan_and_back_through_the_main_window();
    void stop_keeps_rows_and_start_searches_again();
    void repair_data();
    void repair();
    void repair_with_nothing_found();
};

void test_partition_page::initTestCase()
{
    QVERIFY(dir.isValid());
    const QString lang = dir.filePath(QStringLiteral("language.ini"));
    QVERIFY(test_write_file(lang, "[English]\n"
                                  "btn_stop=\"Halt\"\n"
                                  "btn_start=\"Begin\"\n"
                                  "btn_back=\"Back\"\n"
                                  "btn_repair=\"Repair\"\n"
                                  "partition_text1=\"Searching\"\n"));
    set_language_file(lang);
    translations.clear();
    QCOMPARE(load_language(QStringLiteral("English"), true), 0);

    VORN_REQUIRE_TOOL("sfdisk");
    VORN_REQUIRE_TOOL("mkfs.fat");
    VORN_REQUIRE_TOOL("mkntfs");
    QString error;
    two_parts = build_disk_image(dir.path(), QStringLiteral("two.img"), 128 * MiB, parts, &error);
    QVERIFY2(!two_parts.isEmpty(), qPrintable(error));
    big = build_disk_image(dir.path(), QStringLiteral("big.img"), 6 * 1024 * MiB,
                           {{QStringLiteral("fat32"), 2048, 81920}}, &error);
    QVERIFY2(!big.isEmpty(), qPrintable(error));
}

void test_partition_page::model_passes_tester_data()
{
    QTest::addColumn<QList<partition_item_s>>("list");
    QTest::newRow("empty") << QList<partition_item_s>{};
    QTest::newRow("title and two partitions")
        << QList<partition_item_s>{{}, found("FAT32", 2048, 81920), found("NTFS", 83968, 32768)};
}

void test_partition_page::model_passes_tester()
{
    QFETCH(QList<partition_item_s>, list);
    partition_model_c model(&list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), list.size());
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    for (int r = 0; r < list.size(); ++r) {
        const QVariant v = model.index(r, 0).data();
        QCOMPARE(v.value<partition_item_s>().start_sector, list[r].start_sector);
        QVERIFY(!model.index(r, 0).data(Qt::DecorationRole).isValid());
    }
    QVERIFY(!model.data(QModelIndex()).isValid());
}

void test_partition_page::rows_are_painted_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QColor>("fill");
    QTest::newRow("title row") << 0 << false << QColor(232, 246, 255);
    QTest::newRow("odd partition row") << 1 << false << QColor(Qt::white);
    QTest::newRow("even partition row") << 2 << false << QColor(241, 250, 255);
    QTest::newRow("selected even row") << 2 << true << QColor(81, 149, 206);
}

void test_partition_page::rows_are_painted()
{
    QFETCH(int, row);
    QFETCH(bool, selected);
    QFETCH(QColor, fill);
    const QList<partition_item_s> list{{}, found("FAT32", 2048, 81920), found("NTFS", 83968, 32768)};
    const partition_model_c model(&list);
    const QImage image = paint_row(model, row, selected);
    QCOMPARE(image.pixelColor(5, 2), fill);
    if (row == 0) {
        QCOMPARE(image.pixelColor(160, 15), QColor(211, 231, 255)); // divider at 0.2 of 800
        return;
    }
    if (selected)
        return;
    // The row's texts drawn alone on its background. Row numbers are list positions: the title
    // is row 0, the first partition shows 1.
    const partition_item_s &p = list[row];
    QImage base(row_rect.size(), QImage::Format_ARGB32_Premultiplied);
    base.fill(fill);
    {
        QPainter q(&base);
        q.setFont(QFont(QStringLiteral("Verdana"), 8));
        q.setPen(Qt::black);
        q.drawText(15, 20, QString::number(row));
        q.drawText(655, 20, format_size((p.end_sector - p.start_sector + 1) * 512));
        q.drawText(335, 20, QString::number(p.start_sector));
    }
    QCOMPARE(image.copy(0, 0, 160, 30), base.copy(0, 0, 160, 30)); // number
    QCOMPARE(image.copy(320, 0, 160, 30), base.copy(320, 0, 160, 30)); // start sector
    QCOMPARE(image.copy(640, 0, 160, 30), base.copy(640, 0, 160, 30)); // size
}

void test_partition_page::search_lists_partitions()
{
    partition_window_c page(nullptr);
    QCOMPARE(page.btn_stop->text(), QStringLiteral("Halt"));
    QCOMPARE(page.lv_volumes->model()->rowCount(), 1); // the column titles only
    QCOMPARE(page.start_search(image_drive(two_parts)), 0);
    QVERIFY(page.searching());
    QCOMPARE(page.btn_stop->text(), QStringLiteral("Halt"));
    QVERIFY(wait_for_end(page));

    const QList<partition_item_s> rows = shown(page);
    QCOMPARE(rows.size(), 3);
    QVERIFY(rows[0].fs_name.isEmpty());
    QCOMPARE(rows[1].fs_name, QStringLiteral("FAT32"));
    QCOMPARE(rows[1].start_sector, uint64_t(2048));
    QCOMPARE(rows[1].end_sector, uint64_t(2048 + 81920 - 1));
    QCOMPARE(rows[2].fs_name, QStringLiteral("NTFS"));
    QCOMPARE(rows[2].start_sector, uint64_t(83968));
    // A natural end: the button offers a new search, the bar shows the whole drive.
    QCOMPARE(page.btn_stop->text(), QStringLiteral("Begin"));
    page.on_timer();
    QCOMPARE(page.progress_bar().value, 1.0);

    // The view paints through the page's delegate.
    page.resize(800, 500);
    QImage shot = page.grab().toImage();
    const QRect first = page.lv_volumes->visualRect(page.lv_volumes->model()->index(0, 0));
    const QPoint title = page.lv_volumes->viewport()->mapTo(&page, first.topLeft() + QPoint(5, 5));
    QCOMPARE(shot.pixelColor(title), QColor(232, 246, 255));
    QAbstractItemModelTester tester(page.lv_volumes->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    // Entering the page again after a finished search: the button offers Stop while it runs.
    QCOMPARE(page.start_search(image_drive(two_parts)), 0);
    QCOMPARE(page.btn_stop->text(), QStringLiteral("Halt"));
    QCOMPARE(page.lv_volumes->model()->rowCount(), 1);
    QVERIFY(wait_for_end(page));
    QCOMPARE(shown(page).size(), 3);
}

void test_partition_page::scan_and_back_through_the_main_window()
{
    const QList<drive_item_s> drives{drive_item_s{}, image_drive(big)};
    main_window_c w;
    w.drive_page()->set_drive_list(drives);
    w.show_page(2);
    w.drive_page()->btn_scan->click();
    partition_window_c *page = w.partition_page();
    QCOMPARE(w.current_page, static_cast<QWidget *>(page));
    QVERIFY(page->searching());
    QTRY_VERIFY_WITH_TIMEOUT(page->lv_volumes->model()->rowCount() == 2, 60000);
    QVERIFY2(page->worker().isRunning(), "the search ended before Back");

    page->btn_back->click(); // stops the search and leads to the volume page
    QCOMPARE(w.current_page, static_cast<QWidget *>(w.volume_page()));
    QVERIFY(!page->searching());
    QCOMPARE(page->btn_stop->text(), QStringLiteral("Begin"));
    QVERIFY(wait_for_end(*page));
    QCOMPARE(page->worker().search_result(), int(search_stopped));
    QCOMPARE(shown(*page).size(), 2);

    // Scan again, then close the window in the middle of the search: the thread is joined.
    w.show_page(2);
    w.drive_page()->btn_scan->click();
    QVERIFY(page->worker().isRunning());
}

void test_partition_page::stop_keeps_rows_and_start_searches_again()
{
    warning_recorder_c boxes;

    auto page = std::make_unique<partition_window_c>(nullptr);
    QCOMPARE(page->start_search(image_drive(big)), 0);
    QTRY_VERIFY_WITH_TIMEOUT(page->lv_volumes->model()->rowCount() == 2, 60000);
    QVERIFY2(page->worker().isRunning(), "the search ended before it could be stopped");

    page->btn_repair->click(); // nothing while searching
    QVERIFY(boxes.requests.isEmpty());

    page->btn_stop->click();
    QVERIFY(!page->searching());
    QCOMPARE(page->btn_stop->text(), QStringLiteral("Begin"));
    QVERIFY(wait_for_end(*page));
    QCOMPARE(page->worker().search_result(), int(search_stopped));
    QCOMPARE(shown(*page).size(), 2); // the find stays after the thread's end
    QCOMPARE(shown(*page)[1].start_sector, uint64_t(2048));
    QCOMPARE(page->btn_stop->text(), QStringLiteral("Begin"));
    page->on_timer();
    QVERIFY(page->progress_bar().value < 1.0);

    page->btn_stop->click(); // Start: a fresh search from sector 0 with an emptied list
    QVERIFY(page->searching());
    QCOMPARE(page->btn_stop->text(), QStringLiteral("Halt"));
    QCOMPARE(page->lv_volumes->model()->rowCount(), 1);
    QCOMPARE(page->progress_bar().value, 0.0);
    QTRY_VERIFY_WITH_TIMEOUT(page->lv_volumes->model()->rowCount() == 2, 60000);
    QVERIFY(page->worker().isRunning());

    // Leaving the page: the search is stopped and its thread joined with the page.
    page->stop_search();
    QCOMPARE(page->btn_stop->text(), QStringLiteral("Begin"));
    page->btn_stop->click();
    QVERIFY(page->worker().isRunning());
    page.reset();
    QVERIFY(boxes.requests.isEmpty());
}

void test_partition_page::repair_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("No writes nothing") << int(QMessageBox::No) << QStringList{QStringLiteral("partition_query")};
    QTest::newRow("Yes writes the table")
        << int(QMessageBox::Yes) << QStringList{QStringLiteral("partition_query"), QStringLiteral("partition_finished")};
}

void test_partition_page::repair()
{
    QFETCH(int, answer);
    QFETCH(QStringList, boxes);
    VORN_REQUIRE_TOOL("cp");
    const QString image = copy_of(two_parts, QStringLiteral("repair.img"));
    QVERIFY(!image.isEmpty());
    const QByteArray old = sector0(image);
    const QStringList backups_before = backups();

    partition_window_c page(nullptr);
    QCOMPARE(page.start_search(image_drive(image)), 0);
    QVERIFY(wait_for_end(page));
    warning_recorder_c recorder;
    recorder.answer_next(answer);
    page.btn_repair->click();
    QCOMPARE(recorder.keys(), boxes);
    QCOMPARE(recorder.requests[0].title, QStringLiteral("VornRecovery"));
    QCOMPARE(recorder.requests[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(recorder.requests[0].parent, &page);

    if (answer == QMessageBox::No) {
        QCOMPARE(sector0(image), old);
        QCOMPARE(backups(), backups_before);
        return;
    }
    QCOMPARE(recorder.requests[1].buttons, QMessageBox::Ok);
    QCOMPARE(test_read_file(page.worker().last_backup_path()), old);
    QByteArray out;
    QCOMPARE(test_run_tool(QStringLiteral("sfdisk"), {QStringLiteral("-J"), image}, &out), 0);
    const QJsonArray table = QJsonDocument::fromJson(out.mid(out.indexOf('{')))
                                 .object()[QStringLiteral("partitiontable")].toObject()[QStringLiteral("partitions")].toArray();
    QCOMPARE(table.size(), parts.size());
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QCOMPARE(table[i].toObject()[QStringLiteral("start")].toInteger(), qint64(parts[i].start));
        QCOMPARE(table[i].toObject()[QStringLiteral("size")].toInteger(), qint64(parts[i].sectors));
    }
    QCOMPARE(shown(page).size(), 3); // the list stays as it was
}

void test_partition_page::repair_with_nothing_found()
{
    const QString empty = dir.filePath(QStringLiteral("empty.img"));
    QVERIFY(test_make_sparse_file(empty, 16 * MiB));
    const QStringList backups_before = backups();
    partition_window_c page(nullptr);
    QCOMPARE(page.start_search(image_drive(empty)), 0);
    QVERIFY(wait_for_end(page));
    QCOMPARE(page.lv_volumes->model()->rowCount(), 1);

    warning_recorder_c recorder(QMessageBox::Yes);
    page.btn_repair->click();
    QCOMPARE(recorder.keys(), (QStringList{QStringLiteral("partition_query"), QStringLiteral("partition_failed")}));
    QCOMPARE(recorder.requests[1].title, QStringLiteral("VornRecovery"));
    QCOMPARE(sector0(empty), QByteArray(512, '\0'));
    QCOMPARE(backups(), backups_before);
}

QTEST_MAIN(test_partition_page)
#include "test_partition_page.moc"
