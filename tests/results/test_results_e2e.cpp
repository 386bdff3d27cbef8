// The results page with the program's own engines on real FAT images made by mkfs.fat and mtools:
// scan, tree, table, preview, recovery of ticked files, the deep-scan question, the scan file.

#include "app/translations.h"
#include "engines/fat/sector_layer.h"
#include "platform/drives.h"
#include "results/recovery_file.h"
#include "results/recovery_model.h"
#include "results/recovery_window.h"
#include "results/tree_model.h"
#include "skin/warning_box.h"
#include "tests/support/test_tools.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool mtools(const QString &tool, const QString &image, const QStringList &args)
{
    QStringList full{QStringLiteral("-i"), image};
    full << args;
    return test_run_tool(tool, full, nullptr, 120000, {QStringLiteral("MTOOLS_SKIP_CHECK=1")}) == 0;
}

QByteArray png_of(QColor colour, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct page_s {
    page_s()
    {
        page = std::make_unique<recovery_window_c>(nullptr);
        page->dialogs.choose_folder = [this](QWidget *, const QString &, const QString &) { return folder; };
        page->dialogs.save_file = [this](QWidget *, const QString &) { return scan_file; };
        page->dialogs.open_file = [this](QWidget *, const QString &) { return scan_file; };
        page->dialogs.open_folder = [this](const QString &f) { opened << f; };
        warning_box_hook = [this](const warning_request_s &r) {
            boxes << r.key;
            return int(answer);
        };
        page->resize(800, 600);
        page->show();
    }
    ~page_s()
    {
        page.reset();
        warning_box_hook = nullptr;
    }
    bool scan(const volume_item_s &v, int deep)
    {
        return page->begin_scan(v, deep) == 0 && QTest::qWaitFor([] { return !scan_running; }, 60000);
    }
    QStringList top_level() const
    {
        QStringList names;
        TreeModel *m = page->tree_model();
        for (int i = 0; i < m->rowCount(m->index(0, 0)); ++i)
            names << m->index(i, 0, m->index(0, 0)).data().toString();
        return names;
    }
    void click_node(const QString &name)
    {
        TreeModel *m = page->tree_model();
        const int row = int(top_level().indexOf(name));
        QVERIFY(row >= 0);
        page->on_tree_clicked(m->index(row, 0, m->index(0, 0)));
    }
    int row_ending(const QString &ending) const
    {
        for (int i = 0; i < page->items().size(); ++i)
            if (page->items()[i].name.endsWith(ending, Qt::CaseInsensitive))
                return i;
        return -1;
    }

    std::unique_ptr<recovery_window_c> page;
    QString folder, scan_file;
    QStringList opened, boxes;
    QMessageBox::StandardButton answer = QMessageBox::No;
};

} // namespace

class test_results_e2e : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString image_;
    QByteArray picture_, note_;
    volume_item_s volume_;

private Q_SLOTS:
    void initTestCase()
    {
        VORN_REQUIRE_TOOL("mkfs.fat");
        VORN_REQUIRE_TOOL("mcopy");
        qputenv("TMPDIR", QFile::encodeName(dir_.filePath("tmp")));
        QDir().mkpath(dir_.filePath("tmp"));
        load_language(QStringLiteral("English"), true);

        // /photos holds a deleted picture and a deleted text among live files; /empty holds none.
        image_ = dir_.filePath("fat16.img");
        QVERIFY(test_run_tool("mkfs.fat", {"-C", "-F", "16", image_, "16384"}) == 0);
        picture_ = png_of(QColor(0, 200, 0), 120, 60);
        note_ = QByteArray("recovered text\n").repeated(200);
        QByteArray noise(70000, Qt::Uninitialized);
        for (char &c : noise)
            c = char(QRandomGenerator::global()->bounded(256));
        test_write_file(dir_.filePath("pic.png"), picture_);
        test_write_file(dir_.filePath("note.txt"), note_);
        test_write_file(dir_.filePath("keep.bin"), noise);
        QVERIFY(mtools("mmd", image_, {"::/photos", "::/empty"}));
        QVERIFY(mtools("mcopy", image_, {dir_.filePath("pic.png"), "::/photos/PIC.PNG"}));
        QVERIFY(mtools("mcopy", image_, {dir_.filePath("note.txt"), "::/photos/NOTE.TXT"}));
        QVERIFY(mtools("mcopy", image_, {dir_.filePath("keep.bin"), "::/photos/KEEP.BIN"}));
        QVERIFY(mtools("mdel", image_, {"::/photos/PIC.PNG", "::/photos/NOTE.TXT"}));

        platform_clear_images();
        QCOMPARE(platform_add_image(image_), 0);
        init_sector_layer();
        volume_ = volume_item_s{};
        volume_.volume_name = volume_.device_name = volume_.mount_point = QFileInfo(image_).absoluteFilePath();
        volume_.file_system = QStringLiteral("FAT16");
        volume_.total_bytes = uint64_t(QFileInfo(image_).size());
    }

    void cleanupTestCase() { shutdown_sector_layer(); }

    void quick_scan_preview_and_recovery()
    {
        page_s p;
        QVERIFY(p.scan(volume_, 0));
        QCOMPARE(p.top_level(), QStringList{"photos"});
        p.click_node("photos");
        QCOMPARE(p.page->items().size(), 2); // the deleted files only
        const int pic = p.row_ending(".PNG");
        const int note = p.row_ending(".TXT");
        QStringList names;
        for (const auto &i : p.page->items())
            names << i.name;
        QVERIFY2(pic >= 0 && note >= 0, qPrintable(names.join(QLatin1Char(','))));
        // The name as the disk holds it, with "#" for the deletion mark (fls shows "_IC.PNG").
        QVERIFY2(names.contains(QStringLiteral("#IC.PNG")), qPrintable(names.join(QLatin1Char(','))));

        p.page->on_list_clicked(p.page->table_model()->index(pic, 1));
        QVERIFY(p.page->preview_ready());
        const QImage shot = p.page->grab().toImage();
        // 120x60 drawn 172 high and 344 wide from x = 329.
        QCOMPARE(QColor(shot.pixel(329 + 100, 84 + 50)), QColor(0, 200, 0));

        QTemporaryDir out;
        p.folder = out.path();
        p.page->on_list_clicked(p.page->table_model()->index(pic, 0));
        p.page->on_list_clicked(p.page->table_model()->index(note, 0));
        p.page->on_recovery_clicked();
        QVERIFY(QTest::qWaitFor([&] { return !p.opened.isEmpty(); }, 30000));
        QVERIFY(p.boxes.isEmpty()); // an image elsewhere is not the destination's device
        const QStringList written = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(written.size(), 2);
        QCOMPARE(test_read_file(QDir(out.path()).filePath(p.page->items()[pic].name)), picture_);
        QCOMPARE(test_read_file(QDir(out.path()).filePath(p.page->items()[note].name)), note_);
    }

    void deep_scan_save_and_load()
    {
        page_s p;
        QVERIFY(p.scan(volume_, 1));
        QVERIFY(p.page->btn_filter->isVisible());
        const QStringList categories = p.top_level();
        QVERIFY2(categories.contains("png"), qPrintable(categories.join(',')));
        p.click_node("png");
        QList<recovery_item_s> found = p.page->items();
        QVERIFY(!found.isEmpty());
        QVERIFY(found.first().name.endsWith(".png"));

        p.scan_file = dir_.filePath("result.sav");
        p.page->on_save_result_clicked();
        QVERIFY(QFileInfo(p.scan_file).size() > 256);

        page_s q;
        const QList<volume_item_s> saved = volume_list;
        volume_list = {volume_item_s{}, volume_};
        q.scan_file = p.scan_file;
        QCOMPARE(q.page->load_scan_file(), 0);
        volume_list = saved;
        QCOMPARE(q.top_level(), categories);
        q.click_node("png");
        QCOMPARE(q.page->items().size(), found.size());
        for (int i = 0; i < found.size(); ++i) {
            QCOMPARE(q.page->items()[i].name, found[i].name);
            QCOMPARE(q.page->items()[i].size, found[i].size);
        }
        // The carved picture comes back with the original bytes.
        QTemporaryDir out;
        q.folder = out.path();
        q.page->on_check_all(true);
        q.page->on_recovery_clicked();
        QVERIFY(QTest::qWaitFor([&] { return !q.opened.isEmpty(); }, 30000));
        QCOMPARE(test_read_file(QDir(out.path()).filePath(found.first().name)), picture_);
    }

    void ntfs_scan_and_recovery()
    {
        VORN_REQUIRE_TOOL("mkntfs");
        VORN_REQUIRE_TOOL("ntfs-3g");
        if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
            QSKIP("FUSE is not available");
        const QString image = dir_.filePath("ntfs.img");
        const QString mnt = dir_.filePath("mnt");
        QDir().mkpath(mnt);
        QVERIFY(test_make_sparse_file(image, 16 * 1024 * 1024));
        QCOMPARE(test_run_tool("mkntfs", {"-F", "-Q", "-q", image}), 0);
        if (test_run_tool("ntfs-3g", {image, mnt}) != 0)
            QSKIP("ntfs-3g cannot mount here");
        QDir(mnt).mkpath("photos/old");
        const bool filled = test_write_file(mnt + "/photos/pic.png", picture_) &&
                            test_write_file(mnt + "/photos/old/note.txt", note_) &&
                            test_write_file(mnt + "/photos/live.txt", "live");
        QFile::remove(mnt + "/photos/pic.png");
        QFile::remove(mnt + "/photos/old/note.txt");
        QCOMPARE(test_run_tool("umount", {mnt}), 0);
        QVERIFY(filled);

        QCOMPARE(platform_add_image(image), 0);
        volume_item_s v;
        v.volume_name = v.device_name = v.mount_point = QFileInfo(image).absoluteFilePath();
        v.file_system = QStringLiteral("NTFS");
        v.total_bytes = uint64_t(QFileInfo(image).size());
        const QList<volume_item_s> saved = volume_list;
        volume_list = {volume_item_s{}, v};
        page_s p;
        QVERIFY(p.scan(v, 0));
        volume_list = saved;
        QCOMPARE(p.top_level(), QStringList{"photos"});
        TreeModel *m = p.page->tree_model();
        const QModelIndex photos = m->index(0, 0, m->index(0, 0));
        QCOMPARE(m->index(0, 0, photos).data().toString(), QStringLiteral("old"));
        p.click_node("photos");
        QCOMPARE(p.page->items().size(), 1);
        QCOMPARE(p.page->items()[0].name, QStringLiteral("pic.png"));

        p.page->on_list_clicked(p.page->table_model()->index(0, 1));
        QVERIFY(p.page->preview_ready());
        QCOMPARE(QColor(p.page->grab().toImage().pixel(329 + 100, 84 + 50)), QColor(0, 200, 0));

        QTemporaryDir out;
        p.folder = out.path();
        p.page->on_list_clicked(p.page->table_model()->index(0, 0));
        p.page->on_recovery_clicked();
        QVERIFY(QTest::qWaitFor([&] { return !p.opened.isEmpty(); }, 30000));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{"pic.png"});
        QCOMPARE(test_read_file(out.filePath("pic.png")), picture_);

        p.page->on_tree_clicked(m->index(0, 0, photos));
        QCOMPARE(p.page->items().size(), 1);
        QCOMPARE(p.page->items()[0].name, QStringLiteral("note.txt"));
    }

    void empty_quick_scan_offers_deep_scan()
    {
        // A deleted picture directly in the root: no directory qualifies, the tree is empty.
        const QString image = dir_.filePath("root_only.img");
        QVERIFY(test_run_tool("mkfs.fat", {"-C", "-F", "12", image, "2048"}) == 0);
        QVERIFY(mtools("mcopy", image, {dir_.filePath("pic.png"), "::/PIC.PNG"}));
        QVERIFY(mtools("mdel", image, {"::/PIC.PNG"}));
        QCOMPARE(platform_add_image(image), 0);
        shutdown_sector_layer();
        init_sector_layer();
        volume_item_s v = volume_;
        v.volume_name = v.device_name = v.mount_point = QFileInfo(image).absoluteFilePath();
        v.file_system = QStringLiteral("FAT12");

        page_s p;
        p.answer = QMessageBox::Yes;
        QVERIFY(p.scan(v, 0));
        QCOMPARE(p.boxes, QStringList{"deep_scan_query"});
        QVERIFY(QTest::qWaitFor([&] { return !scan_running; }, 60000));
        QCOMPARE(p.page->engine_kind(), 2);
        QVERIFY(p.top_level().contains("png"));
    }
};

QTEST_MAIN(test_results_e2e)
#include "test_results_e2e.moc"
