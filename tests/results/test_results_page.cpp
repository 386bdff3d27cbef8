// The results page over fake engines: the scan states and their buttons, the deep-scan question,
// leaving and closing during a scan, tree and table clicks, preview, recovery and the scan file.

#include "page_fixture.h"
#include "app/translations.h"
#include "results/header_view.h"
#include "results/recovery_file.h"
#include "results/recovery_model.h"
#include "results/table_view.h"
#include "results/tree_model.h"
#include "tests/support/test_tools.h"

#include <QBuffer>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

// /DOCS with note.txt, pic.png, big.bin (a size beyond the preview limit), "../escape.txt".
void fill_fat(fake_engine_set_c &e)
{
    QHash<uint32_t, fat_entry_s> index;
    for (fat_entry_s f : {fat_dir(3, 0, "DOCS"), fat_file(10, 3, "note.txt", 11), fat_file(11, 3, "pic.png", 0),
                          fat_file(12, 3, "big.bin", 0x500001), fat_file(13, 3, "../escape.txt", 4)})
        index.insert(f.first_cluster, f);
    e.fat_result = index;
    e.fat.contents[10] = "hello world";
    QImage red(100, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    e.fat.contents[11] = png;
    e.fat_result[11].size = uint32_t(png.size());
    e.fat.contents[12] = "big";
    e.fat.contents[13] = "evil";
}

QModelIndex first_level(recovery_window_c &page, int row = 0)
{
    TreeModel *m = page.tree_model();
    return m->index(row, 0, m->index(0, 0));
}

int row_of(const recovery_window_c &page, const QString &name)
{
    for (int i = 0; i < page.items().size(); ++i)
        if (page.items()[i].name == name)
            return i;
    return -1;
}

} // namespace

class test_results_page : public QObject {
    Q_OBJECT
    QTemporaryDir temp_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(temp_.isValid());
        qputenv("TMPDIR", QFile::encodeName(temp_.path()));
        load_language(QStringLiteral("English"), true);
    }

    void before_any_scan_the_inert_engine_is_polled()
    {
        page_fixture_s f;
        QCOMPARE(f.page->current_engine()->get_stop(), 1);
        QCOMPARE(f.page->current_engine()->get_progress(), 0.0);
        QVERIFY(f.page->timer_active());
        QCOMPARE(f.engines->config_loads, 1);
        QVERIFY(f.page->btn_pause->isVisibleTo(f.page.get()));
        QVERIFY(f.page->btn_filter->isVisibleTo(f.page.get()));
        f.page->show();
        // 800 x 600: the preview takes (600 - 143) * 0.4 = 182 px, the table starts at 268.
        QCOMPARE(f.page->table_view()->geometry(), QRect(212, 268, 578, 274));
        QCOMPARE(f.page->tv_dirtree->geometry(), QRect(10, 79, 193, 463));
        QCOMPARE(f.page->btn_recovery->pos(), QPoint(500, 551));
    }

    void pause_resume_stop_follow_the_state_table()
    {
        page_fixture_s f;
        f.page->show();
        f.engines->fat.hold = true;
        QCOMPARE(f.page->begin_scan(test_volume("FAT16"), 0), 0);
        QVERIFY(scan_running);
        QCOMPARE(f.page->current_engine(), &f.engines->fat);
        QVERIFY(!f.page->btn_filter->isVisible());
        QVERIFY(f.page->btn_stop->isVisible());
        QCOMPARE(f.page->btn_pause->text(), text_for("btn_pause"));
        QCOMPARE(f.page->begin_scan(test_volume("NTFS"), 0), -1); // one scan at a time
        QCOMPARE(f.page->current_engine(), &f.engines->fat);

        f.page->on_pause_clicked();
        QCOMPARE(f.engines->fat.pause.load(), 1);
        QCOMPARE(f.page->btn_pause->text(), text_for("btn_resume"));
        f.page->on_pause_clicked();
        QCOMPARE(f.engines->fat.pause.load(), 0);
        QCOMPARE(f.page->btn_pause->text(), text_for("btn_pause"));

        f.page->on_stop_clicked();
        QCOMPARE(f.engines->fat.stop.load(), int(stop_user));
        QVERIFY(!f.page->btn_stop->isVisible());
        QVERIFY(f.wait_finished());
        QCOMPARE(f.page->btn_pause->text(), text_for("btn_start"));
        QCOMPARE(f.page->current_engine()->get_progress(), 1.0);
        QVERIFY(f.boxes.isEmpty()); // stopped by the user: no deep-scan question
        QVERIFY(f.page->timer_active());
    }

    void unknown_file_system_is_refused()
    {
        page_fixture_s f;
        QCOMPARE(f.page->begin_scan(test_volume("exFAT"), 0), -1);
        QVERIFY(!scan_running);
        QVERIFY(!f.page->btn_filter->isVisibleTo(f.page.get()));
        QCOMPARE(f.page->begin_scan(test_volume("exFAT"), 1), 0); // a deep scan reads any volume
        QVERIFY(f.wait_finished());
        QCOMPARE(f.page->engine_kind(), 2);
    }

    void empty_quick_scan_offers_deep_scan_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("deep_ran");
        QTest::newRow("yes runs the deep scan") << true << false << int(QMessageBox::Yes) << true << true;
        QTest::newRow("no") << true << false << int(QMessageBox::No) << true << false;
        QTest::newRow("stopped by the user") << true << true << int(QMessageBox::Yes) << false << false;
        QTest::newRow("page not visible") << false << false << int(QMessageBox::Yes) << false << false;
    }

    void empty_quick_scan_offers_deep_scan()
    {
        QFETCH(bool, visible);
        QFETCH(bool, stop);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, deep_ran);
        page_fixture_s f;
        f.page->setVisible(visible);
        f.box_answer = QMessageBox::StandardButton(answer);
        // Deleted files only in the root: no directory qualifies, so the result is empty.
        f.engines->ntfs_result.insert(5, ntfs_entry(5, 5, ".", ntfs_flag_directory));
        f.engines->ntfs_result.insert(30, ntfs_entry(30, 5, "a.txt", ntfs_flag_file | ntfs_flag_deleted));
        f.engines->raw_result = {raw_entry(0, "jpg", 10)};
        f.engines->ntfs.hold = stop;
        QCOMPARE(f.page->begin_scan(test_volume("NTFS"), 0), 0);
        if (stop)
            f.page->on_stop_clicked();
        QVERIFY(f.wait_finished());
        QCOMPARE(f.boxes, asked ? QStringList{"deep_scan_query"} : QStringList{});
        if (deep_ran) {
            QVERIFY(f.wait_finished()); // the deep scan started from the answer has ended too
            QCOMPARE(f.engines->raw.runs.load(), 1);
            QCOMPARE(f.page->deep_scan(), 1);
            QVERIFY(f.page->btn_filter->isVisibleTo(f.page.get()));
            QCOMPARE(f.page->tree_model()->rowCount(f.page->tree_model()->index(0, 0)), 1);
            QCOMPARE(f.boxes.size(), 1); // a deep scan never asks
        } else {
            QCOMPARE(f.engines->raw.runs.load(), 0);
            QCOMPARE(f.page->tree_model()->rowCount(), 0);
        }
    }

    void empty_deep_scan_shows_save_button_and_asks_nothing()
    {
        page_fixture_s f;
        f.page->show();
        QCOMPARE(f.page->begin_scan(test_volume("FAT32"), 1), 0);
        QVERIFY(f.wait_finished());
        QVERIFY(f.boxes.isEmpty());
        QVERIFY(f.page->btn_filter->isVisible());
        QCOMPARE(f.page->tree_model()->rowCount(), 0);
    }

    void leaving_during_a_scan_discards_its_results()
    {
        page_fixture_s f;
        f.page->show();
        fill_fat(*f.engines);
        f.engines->fat.hold = true;
        QCOMPARE(f.page->begin_scan(test_volume("FAT12"), 0), 0);
        f.page->abort_scan();
        f.page->reset_page();
        QCOMPARE(f.engines->fat.stop.load(), int(stop_discard));
        QVERIFY(!f.page->timer_active());
        QCOMPARE(f.page->progress_value(), 0.0);
        const int resets = f.engines->fat.resets;
        QVERIFY(f.wait_finished());
        QCOMPARE(f.engines->fat.resets.load(), resets + 1);
        QVERIFY(f.engines->fat_index.isEmpty());
        QCOMPARE(f.page->tree_model()->rowCount(), 0);
        QVERIFY(f.boxes.isEmpty());
    }

    void finished_scan_starts_again_with_the_pause_button()
    {
        page_fixture_s f;
        fill_fat(*f.engines);
        QCOMPARE(f.page->begin_scan(test_volume("FAT16"), 0), 0);
        QVERIFY(f.wait_finished());
        QCOMPARE(f.page->tree_model()->rowCount(f.page->tree_model()->index(0, 0)), 1);
        f.page->on_tree_clicked(first_level(*f.page));
        QVERIFY(!f.page->items().isEmpty());
        f.engines->fat.hold = true;
        f.page->on_pause_clicked();
        QVERIFY(scan_running);
        QCOMPARE(f.page->tree_model()->rowCount(), 0);
        QVERIFY(f.page->items().isEmpty());
        QCOMPARE(f.page->btn_pause->text(), text_for("btn_pause"));
        f.engines->fat.hold = false;
        QVERIFY(f.wait_finished());
        QCOMPARE(f.engines->fat.runs.load(), 2);
    }

    void closing_during_a_scan_stops_and_joins_it()
    {
        auto *f = new page_fixture_s;
        f->engines->fat.hold = true;
        QCOMPARE(f->page->begin_scan(test_volume("FAT16"), 0), 0);
        f->page->on_pause_clicked(); // paused engines must end too
        recovery_base_c *engine = &f->engines->fat;
        f->page->shutdown();
        QVERIFY(!engine->isRunning());
        QVERIFY(!scan_running);
        delete f; // destroys the page and its engines without waiting for anything else
    }

    void tree_click_fills_table_and_row_click_previews()
    {
        page_fixture_s f;
        f.page->show();
        fill_fat(*f.engines);
        QCOMPARE(f.page->begin_scan(test_volume("FAT16"), 0), 0);
        QVERIFY(f.wait_finished());
        QVERIFY(f.page->tv_dirtree->isExpanded(f.page->tree_model()->index(0, 0)));
        f.page->on_tree_clicked(first_level(*f.page));
        QCOMPARE(f.page->items().size(), 4);
        QVERIFY(!f.page->header_view()->all_ticked);

        // A picture: drawn scaled to the preview height, centred over the preview area.
        f.page->on_list_clicked(f.page->table_model()->index(row_of(*f.page, "pic.png"), 1));
        QVERIFY(f.page->preview_ready());
        QVERIFY(QFile::exists(QDir(temp_.path()).filePath("pic.png")));
        QImage shot = f.page->grab().toImage();
        // 600 high: preview 172 px high, 344 wide, left (800 - 344 - 222) / 2 + 212 = 329.
        QCOMPARE(QColor(shot.pixel(329 + 172, 84 + 86)), QColor(Qt::red));
        QCOMPARE(QColor(shot.pixel(320, 84 + 86)), QColor(Qt::white));
        QCOMPARE(QColor(shot.pixel(329 + 344 + 5, 84 + 86)), QColor(Qt::white));

        // Text: some dark pixels appear in the preview area.
        f.page->on_list_clicked(f.page->table_model()->index(row_of(*f.page, "note.txt"), 1));
        QVERIFY(f.page->preview_ready());
        shot = f.page->grab().toImage();
        bool ink = false;
        for (int y = 84; y < 110 && !ink; ++y)
            for (int x = 217; x < 400 && !ink; ++x)
                ink = qGray(shot.pixel(x, y)) < 128;
        QVERIFY(ink);

        // A name from the disk cannot leave the temporary folder.
        f.page->on_list_clicked(f.page->table_model()->index(row_of(*f.page, "../escape.txt"), 1));
        QVERIFY(f.page->preview_ready());
        QVERIFY(!QFile::exists(QDir(temp_.path()).filePath("../escape.txt")));
    }

    void preview_size_limit_data()
    {
        QTest::addColumn<uint>("size");
        QTest::addColumn<bool>("ready");
        QTest::newRow("5 MiB") << 5242880u << true;
        QTest::newRow("5 MiB + 1") << 5242881u << false;
    }

    void preview_size_limit()
    {
        QFETCH(uint, size);
        QFETCH(bool, ready);
        page_fixture_s f;
        fill_fat(*f.engines);
        f.engines->fat_result[10].size = size;
        QCOMPARE(f.page->begin_scan(test_volume("FAT16"), 0), 0);
        QVERIFY(f.wait_finished());
        f.page->on_tree_clicked(first_level(*f.page));
        f.page->on_list_clicked(f.page->table_model()->index(row_of(*f.page, "note.txt"), 2));
        QCOMPARE(f.page->preview_ready(), ready);
        // A click on the tree forgets the preview.
        f.page->on_tree_clicked(first_level(*f.page));
        QVERIFY(!f.page->preview_ready());
    }

    void tick_column_click_flips_tick_and_previews()
    {
        page_fixture_s f;
        fill_fat(*f.engines);
        QCOMPARE(f.page->begin_scan(test_volume("FAT16"), 0), 0);
        QVERIFY(f.wait_finished());
        f.page->on_tree_clicked(first_level(*f.page));
        const int row = row_of(*f.page, "note.txt");
        f.page->on_list_clicked(f.page->table_model()->index(row, 0));
        QVERIFY(f.page->items()[row].ticked);
        QVERIFY(f.page->preview_ready());
        f.page->on_list_clicked(f.page->table_model()->index(row, 0));
        QVERIFY(!f.page->items()[row].ticked);
        // Check-all through the header press, and a sort after it starts ascending.
        f.page->on_check_all(true);
        for (const auto &i : f.page->items())
            QVERIFY(i.ticked);
        f.page->on_sort_column(1);
        QCOMPARE(f.page->items().first().name, QStringLiteral("../escape.txt"));
    }

    void recovery_writes_exactly_the_ticked_files()
    {
        page_fixture_s f;
        fill_fat(*f.engines);
        QTemporaryDir out;
        f.folder_answer = out.path();
        QCOMPARE(f.page->begin_scan(test_volume("FAT16"), 0), 0);
        QVERIFY(f.wait_finished());
        f.page->on_tree_clicked(first_level(*f.page));

        f.page->on_recovery_clicked(); // nothing ticked
        QCOMPARE(f.boxes, QStringList{"recovery_check_warning"});
        QVERIFY(f.folder_starts.isEmpty());

        for (const char *name : {"note.txt", "pic.png", "../escape.txt"})
            f.page->on_list_clicked(f.page->table_model()->index(row_of(*f.page, name), 0));
        f.page->on_recovery_clicked();
        QCOMPARE(f.folder_starts, QStringList{QDir::homePath()});
        QVERIFY(f.page->recovery_worker());
        QVERIFY(QTest::qWaitFor([&] { return !f.opened.isEmpty(); }, 10000));
        QCOMPARE(f.opened, QStringList{out.path()});
        QStringList written = QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QCOMPARE(written, (QStringList{".._escape.txt", "note.txt", "pic.png"}));
        QCOMPARE(test_read_file(QDir(out.path()).filePath("note.txt")), QByteArray("hello world"));
        QCOMPARE(test_read_file(QDir(out.path()).filePath("pic.png")), f.engines->fat.contents[11]);
        QVERIFY(!QFile::exists(QDir(out.path()).filePath("../escape.txt")));
        QCOMPARE(f.boxes.size(), 1); // no failures: no report
    }

    void recovery_questions_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("same_device");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("started");
        QTest::newRow("folder cancelled") << true << false << int(QMessageBox::Yes) << QStringList{} << false;
        QTest::newRow("other device") << false << false << int(QMessageBox::No) << QStringList{} << true;
        QTest::newRow("same device, no") << false << true << int(QMessageBox::No)
                                         << QStringList{"recovery_same_volume_warning"} << false;
        QTest::newRow("same device, yes") << false << true << int(QMessageBox::Yes)
                                          << QStringList{"recovery_same_volume_warning"} << true;
    }

    void recovery_questions()
    {
        QFETCH(bool, cancel);
        QFETCH(bool, same_device);
        QFETCH(int, answer);
        QFETCH(QStringList, boxes);
        QFETCH(bool, started);
        page_fixture_s f;
        fill_fat(*f.engines);
        QTemporaryDir out;
        f.folder_answer = cancel ? QString() : out.path();
        f.box_answer = QMessageBox::StandardButton(answer);
        // A mounted volume: its mount point's file system is the one the folder is on.
        volume_item_s v = test_volume("FAT16");
        v.mount_point = same_device ? temp_.path() : QStringLiteral("/nonexistent");
        QCOMPARE(f.page->begin_scan(v, 0), 0);
        QVERIFY(f.wait_finished());
        f.page->on_tree_clicked(first_level(*f.page));
        f.page->on_check_all(true);
        f.page->on_recovery_clicked();
        QCOMPARE(f.boxes, boxes);
        QCOMPARE(bool(f.page->recovery_worker()), started);
        if (started)
            QVERIFY(QTest::qWaitFor([&] { return !f.opened.isEmpty(); }, 10000));
    }

    void partial_and_failed_files_are_reported()
    {
        page_fixture_s f;
        fill_fat(*f.engines);
        f.engines->fat.partial_ids.insert(10);
        f.engines->fat.contents.remove(12);
        QTemporaryDir out;
        f.folder_answer = out.path();
        QCOMPARE(f.page->begin_scan(test_volume("FAT16"), 0), 0);
        QVERIFY(f.wait_finished());
        f.page->on_tree_clicked(first_level(*f.page));
        f.page->on_check_all(true);
        f.page->on_recovery_clicked();
        QVERIFY(QTest::qWaitFor([&] { return !f.boxes.isEmpty(); }, 10000));
        QCOMPARE(f.boxes, QStringList{"recovery_partial_warning"});
        QVERIFY(f.box_texts[0].contains(QStringLiteral("2")) && f.box_texts[0].contains(QStringLiteral("1")));
        QCOMPARE(f.page->recovery_worker()->written(), 2);
        QCOMPARE(f.page->recovery_worker()->partial(), 1);
        QCOMPARE(f.page->recovery_worker()->failed(), 1);
        QCOMPARE(test_read_file(QDir(out.path()).filePath("note.txt")), QByteArray("hello"));
    }

    void ntfs_files_come_from_the_engine_or_their_live_path()
    {
        page_fixture_s f;
        QTemporaryDir live, out;
        test_write_file(live.filePath("alive.txt"), "still here");
        auto &r = f.engines->ntfs_result;
        r.insert(5, ntfs_entry(5, 5, ".", ntfs_flag_directory));
        r.insert(40, ntfs_entry(40, 5, "docs", ntfs_flag_directory));
        r.insert(41, ntfs_entry(41, 40, "gone.txt", ntfs_flag_file | ntfs_flag_deleted, 4));
        r.insert(42, ntfs_entry(42, 40, "alive.txt", ntfs_flag_file, 10));
        r.insert(43, ntfs_entry(43, 40, "orphan.txt", ntfs_flag_file, 10));
        f.engines->ntfs.contents[41] = "gone";
        f.engines->ntfs.live_paths[42] = live.filePath("alive.txt");
        f.folder_answer = out.path();
        QCOMPARE(f.page->begin_scan(test_volume("NTFS"), 0), 0);
        QVERIFY(f.wait_finished());
        f.page->on_tree_clicked(first_level(*f.page));
        QCOMPARE(f.page->items().size(), 3);
        f.page->on_check_all(true);
        f.page->on_recovery_clicked();
        QVERIFY(QTest::qWaitFor([&] { return !f.opened.isEmpty(); }, 10000));
        QCOMPARE(test_read_file(out.filePath("gone.txt")), QByteArray("gone"));
        QCOMPARE(test_read_file(out.filePath("alive.txt")), QByteArray("still here"));
        QVERIFY(!QFile::exists(out.filePath("orphan.txt")));
        QCOMPARE(f.page->recovery_worker()->failed(), 1);
    }

    void deep_scan_save_and_load()
    {
        page_fixture_s f;
        f.engines->raw_result = {raw_entry(0, "jpg", 10), raw_entry(1, "doc", 20), raw_entry(2, "jpg", 30)};
        f.engines->raw.hold = true;
        f.file_answer = temp_.filePath("scan.sav");
        QCOMPARE(f.page->begin_scan(test_volume("FAT16"), 1), 0);
        f.page->on_save_result_clicked(); // refused while the index is being filled
        QVERIFY(f.engines->saved_paths.isEmpty());
        f.engines->raw.hold = false;
        QVERIFY(f.wait_finished());
        QCOMPARE(f.page->tree_model()->rowCount(f.page->tree_model()->index(0, 0)), 2);
        f.page->on_save_result_clicked();
        QCOMPARE(f.engines->saved_paths, QStringList{f.file_answer});

        // Loading: the stored device must name a listed volume.
        const QList<volume_item_s> saved = volume_list;
        volume_list = {volume_item_s{}, test_volume("NTFS", "/images/disk.img#1")};
        f.engines->load_answer = QStringLiteral("/images/disk.img");
        QCOMPARE(f.page->load_scan_file(), 0);
        QCOMPARE(f.page->engine_kind(), 2);
        QCOMPARE(f.page->scan_volume().volume_name, QStringLiteral("/images/disk.img#1"));
        QCOMPARE(f.engines->raw.volume.volume_name, QStringLiteral("/images/disk.img#1"));
        QVERIFY(!f.page->btn_pause->isVisibleTo(f.page.get()));
        QVERIFY(!f.page->btn_filter->isVisibleTo(f.page.get()));
        QVERIFY(!f.page->btn_stop->isVisibleTo(f.page.get()));
        QVERIFY(!f.page->timer_active());
        TreeModel *tree = f.page->tree_model();
        QStringList names;
        for (int i = 0; i < tree->rowCount(tree->index(0, 0)); ++i)
            names << tree->index(i, 0, tree->index(0, 0)).data().toString();
        names.sort();
        QCOMPARE(names, (QStringList{"doc", "jpg"}));

        f.engines->load_answer = QStringLiteral("/images/other.img");
        QCOMPARE(f.page->load_scan_file(), -1);
        QCOMPARE(f.page->tree_model()->rowCount(), 0);
        QVERIFY(f.page->items().isEmpty());
        f.file_answer.clear();
        QCOMPARE(f.page->load_scan_file(), -1);
        volume_list = saved;
    }
};

QTEST_MAIN(test_results_page)
#include "test_results_page.moc"
