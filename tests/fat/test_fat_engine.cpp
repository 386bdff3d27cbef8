// The FAT scan engine on real images made by mkfs.fat and mtools, checked against what mtools
// deleted and against The Sleuth Kit; the index rules on crafted images.

#include "engines/fat/sector_layer.h"
#include "engines/fat_recovery.h"
#include "tests/fat/fat_fixture.h"
#include "tests/support/test_tools.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <functional>

namespace {

QByteArray random_bytes(int n, quint32 seed)
{
    QByteArray b(n, '\0');
    QRandomGenerator gen(seed);
    for (int i = 0; i < n; ++i)
        b[i] = static_cast<char>(gen.bounded(256));
    return b;
}

void scan(fat_recovery_c &engine, const volume_item_s &v)
{
    engine.reset();
    engine.set_volume(v);
    engine.start();
    QVERIFY(engine.wait(60000));
}

QMap<QString, const found_row_s *> rows_by_path(const QList<found_row_s> &rows)
{
    QMap<QString, const found_row_s *> m;
    for (const found_row_s &r : rows)
        m.insert(r.path, &r);
    return m;
}

// Every deleted file The Sleuth Kit lists has its first cluster in our index as a deleted file,
// and what icat writes for it is what recover_file writes.
void compare_with_sleuthkit(const QString &img, fat_recovery_c &engine)
{
    if (!test_have_tool(QStringLiteral("fls")))
        return;
    QByteArray listing;
    QCOMPARE(test_run_tool(QStringLiteral("fls"), {"-rdp", img}, &listing), 0);
    const fat_geometry_s g = fat_geometry(test_read_file(img));
    const QRegularExpression line(QStringLiteral("^r/r \\* (\\d+):\\t(.*)$"), QRegularExpression::MultilineOption);
    int compared = 0;
    for (auto it = line.globalMatch(QString::fromUtf8(listing)); it.hasNext();) {
        const auto m = it.next();
        QByteArray stat;
        QCOMPARE(test_run_tool(QStringLiteral("istat"), {img, m.captured(1)}, &stat), 0);
        const auto sectors = QRegularExpression(QStringLiteral("Sectors:\\s+(\\d+)")).match(QString::fromUtf8(stat));
        if (QString::fromUtf8(stat).contains(QStringLiteral("\nSize: 0\n")) || !sectors.hasMatch())
            continue; // an empty file has no cluster; we do not index it
        const uint32_t cluster = static_cast<uint32_t>(
            (sectors.captured(1).toLongLong() * 512 - g.data_offset) / g.cluster_bytes + 2);
        const auto found = engine.index().constFind(cluster);
        QVERIFY2(found != engine.index().constEnd(), qPrintable(m.captured(2)));
        QVERIFY2(found->attributes & fat_attr_deleted, qPrintable(m.captured(2)));
        QVERIFY(!(found->attributes & fat_attr_directory));
        QByteArray theirs;
        QCOMPARE(test_run_tool(QStringLiteral("icat"), {img, m.captured(1)}, &theirs), 0);
        const QString out = QFileInfo(img).path() + "/ours.bin";
        QCOMPARE(engine.recover_file(cluster, out), 0);
        QCOMPARE(test_read_file(out), theirs);
        ++compared;
    }
    QCOMPARE(compared, 4);
}

QByteArray floppy_image()
{
    static QByteArray image;
    if (image.isEmpty()) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.img"));
        if (fat_make_image(path, 12, 1440))
            image = test_read_file(path);
    }
    return image;
}

const uint16_t day = fat_date(2020, 1, 1);
const uint16_t early = fat_clock(10, 0, 0);
const uint16_t late = fat_clock(11, 0, 0);

QByteArray deleted_file(const char *name11, uint32_t cluster, uint16_t ctime = early, uint32_t size = 100)
{
    QByteArray n(name11);
    n[0] = char(0xE5);
    return fat_short_entry(n, 0x20, cluster, size, day, ctime);
}
QByteArray deleted_dir(const char *name11, uint32_t cluster, uint16_t ctime = early)
{
    QByteArray n(name11);
    n[0] = char(0xE5);
    return fat_short_entry(n, 0x10, cluster, 0, day, ctime);
}
QByteArray live_dir(const char *name11, uint32_t cluster) { return fat_short_entry(name11, 0x10, cluster, 0, day, early); }
QByteArray live_file(const char *name11, uint32_t cluster) { return fat_short_entry(name11, 0x20, cluster, 10, day, early); }

// A floppy image whose root holds root, and whose cluster 70 holds inner (a directory body).
QString crafted_image(const QString &dir, const QByteArray &root, const QByteArray &inner = {})
{
    fat_patch_s img(floppy_image());
    img.put(img.root_slot(0), root);
    if (!inner.isEmpty())
        img.put(img.cluster_offset(70), inner);
    img.set_fat(70, 0xFFF);
    static int n = 0;
    const QString path = dir + QStringLiteral("/crafted%1.img").arg(++n);
    test_write_file(path, img.bytes);
    return path;
}

QStringList row_paths(const QList<found_row_s> &rows)
{
    QStringList paths;
    for (const found_row_s &r : rows)
        paths << r.path + (r.directory ? "/" : "");
    return paths;
}

// Every entry whose parent is indexed is among that parent's children, once.
void verify_linked(const QHash<uint32_t, fat_entry_s> &index)
{
    QVERIFY(index.contains(0));
    for (auto it = index.constBegin(); it != index.constEnd(); ++it) {
        if (it.key() == 0)
            continue;
        const auto parent = index.constFind(it->parent_cluster);
        if (parent == index.constEnd())
            continue;
        QCOMPARE(parent->children.count(&it.value()), 1);
    }
}

// Calls a function on the n-th read and serves reads from another source.
class tripwire_source_c final : public source_c {
public:
    tripwire_source_c(std::unique_ptr<source_c> inner, int n, std::function<void()> trip)
        : inner_(std::move(inner)), n_(n), trip_(std::move(trip)) {}
    int64_t read_at(uint64_t pos, void *buf, size_t len) const override
    {
        if (++reads_ == n_)
            trip_();
        return inner_->read_at(pos, buf, len);
    }
    uint64_t size() const override { return inner_->size(); }
    QString description() const override { return inner_->description(); }

private:
    std::unique_ptr<source_c> inner_;
    int n_;
    std::function<void()> trip_;
    mutable std::atomic<int> reads_{0};
};

// A live directory BIG at clusters 100.. holding count deleted files.
QString big_directory_image(const QString &dir, int count)
{
    fat_patch_s img(floppy_image());
    img.put(img.root_slot(0), live_dir("BIG        ", 100));
    const int clusters = (count + 15) / 16;
    for (int c = 0; c < clusters; ++c)
        img.set_fat(100 + c, c + 1 < clusters ? 100 + c + 1 : 0xFFF);
    for (int i = 0; i < count; ++i) {
        const QByteArray name = QByteArray::number(i).rightJustified(8, '0') + "BIN";
        img.put(img.cluster_offset(100 + i / 16) + (i % 16) * 32, deleted_file(name.constData(), 1000 + i));
    }
    const QString path = dir + QStringLiteral("/big%1.img").arg(count);
    test_write_file(path, img.bytes);
    return path;
}

} // namespace

class test_fat_engine : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;

private Q_SLOTS:
    void cleanupTestCase() { shutdown_sector_layer(); }

    // Live and deleted directories, deleted files in deleted directories, a long name, an empty
    // file: what mtools deleted is found, named and recovered byte for byte.
    void real_images_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("size_kib");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("fat12") << 12 << 1440 << QStringList{};
        QTest::newRow("fat16") << 16 << 16384 << QStringList{};
        QTest::newRow("fat32") << 32 << 40000 << QStringList{QStringLiteral("-s"), QStringLiteral("1")};
    }
    void real_images()
    {
        VORN_REQUIRE_TOOL("mkfs.fat");
        VORN_REQUIRE_TOOL("mcopy");
        QFETCH(int, bits);
        QFETCH(int, size_kib);
        QFETCH(QStringList, extra);
        const QString dir = tmp.path();
        const QString img = dir + QStringLiteral("/real%1.img").arg(bits);
        QVERIFY(fat_make_image(img, bits, size_kib, extra));
        const QByteArray big = random_bytes(10000, 1), longer = random_bytes(3000, 2),
                         inner = random_bytes(700, 3), deep = random_bytes(5000, 4);
        QVERIFY(fat_mtools("mmd", img, {"::/docs", "::/docs/sub", "::/keep", "::/gone", "::/gone/deeper"}));
        QVERIFY(fat_mtools("mcopy", img, {fat_host_file(dir, "a.txt", "live"), "::/docs/a.txt"}));
        QVERIFY(fat_mtools("mcopy", img, {fat_host_file(dir, "big", big), "::/docs/BIG.BIN"}));
        QVERIFY(fat_mtools("mcopy", img, {fat_host_file(dir, "long", longer), "::/docs/sub/A long file name.bin"}));
        QVERIFY(fat_mtools("mcopy", img, {fat_host_file(dir, "live", "keep me"), "::/keep/LIVE.TXT"}));
        QVERIFY(fat_mtools("mcopy", img, {fat_host_file(dir, "inner", inner), "::/gone/INNER.TXT"}));
        QVERIFY(fat_mtools("mcopy", img, {fat_host_file(dir, "deep", deep), "::/gone/deeper/X.BIN"}));
        QVERIFY(fat_mtools("mcopy", img, {fat_host_file(dir, "empty", ""), "::/docs/EMPTY.TXT"}));
        QVERIFY(fat_mtools("mdel", img, {"::/docs/BIG.BIN", "::/docs/EMPTY.TXT"}));
        QVERIFY(fat_mtools("mdeltree", img, {"::/docs/sub", "::/gone"}));

        fat_recovery_c engine;
        scan(engine, fat_use_image(img));
        const QList<found_row_s> rows = engine.found_rows();
        QStringList paths;
        for (const found_row_s &r : rows)
            paths << r.path + (r.directory ? "/" : "") + (r.deleted ? " *" : "");
        // Deleted entries keep only their 8.3 name: "#" stands for the byte the deletion mark
        // replaced, and an ASCII second character stays ("BIG" -> "#IG"). mtools stores
        // all-lower-case names with the case flags.
        const QStringList expected{"/#one/ *",          "/#one/#eeper/ *",        "/#one/#eeper/#.BIN *",
                                   "/#one/#NNER.TXT *", "/docs/",                 "/docs/#IG.BIN *",
                                   "/docs/#ub/ *",      "/docs/#ub/#LONGF~1.BIN *", "/keep/"};
        QCOMPARE(paths, expected);
        QCOMPARE(engine.get_found_count(), qint64(rows.size()));

        const QMap<QString, const found_row_s *> by_path = rows_by_path(rows);
        const QList<QPair<QString, QByteArray>> contents{{"/docs/#IG.BIN", big},
                                                         {"/docs/#ub/#LONGF~1.BIN", longer},
                                                         {"/#one/#NNER.TXT", inner},
                                                         {"/#one/#eeper/#.BIN", deep}};
        for (const auto &[path, bytes] : contents) {
            const found_row_s *row = by_path.value(path);
            QVERIFY2(row, qPrintable(path));
            QCOMPARE(row->size, uint64_t(bytes.size()));
            const QString out = dir + "/out.bin";
            QCOMPARE(engine.recover_file(row->id, out), 0);
            QCOMPARE(test_read_file(out), bytes);
        }
        compare_with_sleuthkit(img, engine);
        QString live;
        QCOMPARE(engine.get_file_path(by_path.value("/#one/#eeper/#.BIN")->id, live), 0);
        QCOMPARE(live, QStringLiteral("/media/test/#one/#eeper/#.BIN"));
    }

    // Which entry keeps a first cluster that two entries claim.
    void duplicates_data()
    {
        QTest::addColumn<QByteArray>("root");
        QTest::addColumn<QByteArray>("inner");
        QTest::addColumn<uint>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("attributes");
        QTest::newRow("later deleted file wins")
            << deleted_file("X1      TXT", 50, early) + deleted_file("X2      TXT", 50, late) << QByteArray()
            << 50u << "#2.TXT" << 0x60;
        QTest::newRow("equal times: the first stays")
            << deleted_file("X1      TXT", 50) + deleted_file("X2      TXT", 50) << QByteArray() << 50u << "#1.TXT" << 0x60;
        QTest::newRow("live directory takes the slot")
            << deleted_file("X1      TXT", 50, late) + live_dir("LIVE       ", 50) << QByteArray() << 50u << "LIVE" << 0x10;
        QTest::newRow("a deleted file does not replace a live directory")
            << live_dir("LIVE       ", 50) + deleted_file("X1      TXT", 50, late) << QByteArray() << 50u << "LIVE" << 0x10;
        QTest::newRow("deleted directory keeps out of a live one")
            << live_dir("LIVE       ", 50) + deleted_dir("X1         ", 50, late) << QByteArray() << 50u << "LIVE" << 0x10;
        QTest::newRow("later deleted directory wins over a file")
            << deleted_file("X1      TXT", 50, early) + deleted_dir("X2         ", 50, late) << QByteArray()
            << 50u << "#2" << 0x50;
        QTest::newRow("live entry not replaced from inside a deleted directory")
            << live_dir("KEEP       ", 60) + deleted_dir("X9DEL      ", 70) << live_dir("SUB        ", 60)
            << 60u << "KEEP" << 0x10;
        QTest::newRow("intact directory inside a deleted one is marked")
            << deleted_dir("X9DEL      ", 70) << live_dir("INNER      ", 90) + live_file("LIVE    TXT", 91)
            << 90u << "#NNER" << 0x50;
    }
    void duplicates()
    {
        QFETCH(QByteArray, root);
        QFETCH(QByteArray, inner);
        QFETCH(uint, key);
        QFETCH(QString, name);
        QFETCH(int, attributes);
        fat_recovery_c engine;
        scan(engine, fat_use_image(crafted_image(tmp.path(), root, inner)));
        const auto it = engine.index().constFind(key);
        QVERIFY(it != engine.index().constEnd());
        QCOMPARE(it->name_text(), name);
        QCOMPARE(int(it->attributes), attributes);
        QVERIFY(!engine.index().contains(91)); // live files are never indexed
        verify_linked(engine.index());
    }

    // Progress before the n-th directory read is (n - 1) / 2000, 0.99 once that passes 1.0.
    void progress_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<qint64>("reads");
        QTest::addColumn<double>("progress");
        QTest::newRow("small") << 3 << qint64(6) << 5 / 2000.0;
        QTest::newRow("1998 files: exactly 1.0") << 1998 << qint64(2001) << 1.0;
        QTest::newRow("2100 files") << 2100 << qint64(2103) << 0.99;
    }
    void progress()
    {
        QFETCH(int, files);
        QFETCH(qint64, reads);
        QFETCH(double, progress);
        fat_recovery_c engine;
        scan(engine, fat_use_image(big_directory_image(tmp.path(), files)));
        QCOMPARE(engine.get_scanned_count(), reads); // root entry, the files, two directory ends
        QCOMPARE(engine.get_progress(), progress);
        QCOMPARE(engine.get_found_count(), qint64(files + 1));
    }

    // Stopping part way keeps what was found, linked into a tree.
    void stop_keeps_a_tree()
    {
        const QString img = big_directory_image(tmp.path(), 2100);
        fat_recovery_c engine;
        auto source = std::make_unique<tripwire_source_c>(file_source_c::open(img), 40,
                                                          [&engine] { engine.set_stop(stop_user); });
        scan(engine, fat_use_image(img, std::move(source)));
        QCOMPARE(engine.get_stop(), int(stop_user));
        QVERIFY(engine.get_found_count() > 1);
        QVERIFY(engine.get_found_count() < 2101);
        verify_linked(engine.index());
        QCOMPARE(engine.found_rows().size(), engine.index().size() - 1);
        QCOMPARE(engine.found_rows().first().path, QStringLiteral("/BIG"));
    }

    // Pausing holds the walk; stop still ends it.
    void pause_then_stop()
    {
        const QString img = big_directory_image(tmp.path(), 2100);
        fat_recovery_c engine;
        auto source = std::make_unique<tripwire_source_c>(file_source_c::open(img), 10,
                                                          [&engine] { engine.set_pause(1); });
        engine.set_volume(fat_use_image(img, std::move(source)));
        engine.start();
        while (!engine.get_pause())
            QThread::msleep(5);
        const qint64 held = engine.get_scanned_count();
        QThread::msleep(250);
        QCOMPARE(engine.get_scanned_count(), held);
        engine.set_stop(stop_user);
        QVERIFY(engine.wait(10000));
        verify_linked(engine.index());
    }

    // Damaged and hostile volumes end with what could be read.
    void bad_volumes_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QStringList>("paths");
        const QByteArray floppy = floppy_image();
        {
            fat_patch_s img(floppy);
            img.put(img.root_slot(0), live_dir("LOOP       ", 40) + deleted_file("X1      TXT", 300));
            img.put(img.cluster_offset(40), live_dir("LOOP       ", 40) + deleted_file("X2      TXT", 301));
            img.set_fat(40, 0xFFF);
            QTest::newRow("directory containing itself") << img.bytes << QStringList{"/#1.TXT", "/LOOP/", "/LOOP/#2.TXT"};
        }
        {
            fat_patch_s img(floppy);
            img.put(img.root_slot(0), live_dir("CHAIN      ", 40));
            QStringList paths{"/CHAIN/"};
            for (int i = 0; i < 17; ++i) { // 16 in cluster 40, one in 41, which leads back to 40
                const QByteArray name = "X" + QByteArray::number(i).rightJustified(2, '0') + "     TXT";
                img.put(img.cluster_offset(40 + i / 16) + (i % 16) * 32, deleted_file(name.constData(), 300 + i));
                paths << QStringLiteral("/CHAIN/#%1.TXT").arg(i, 2, 10, QLatin1Char('0'));
            }
            img.set_fat(40, 41);
            img.set_fat(41, 40);
            QTest::newRow("looping directory chain") << img.bytes << paths;
        }
        {
            fat_patch_s img(floppy);
            img.put(img.root_slot(0), live_dir("FAR        ", 0xFF0) + live_dir("ONE        ", 1) +
                                          deleted_file("X1      TXT", 0xFF5, early, 5000));
            QTest::newRow("clusters beyond the end") << img.bytes << QStringList{"/#1.TXT", "/FAR/", "/ONE/"};
        }
        {
            QByteArray img = floppy;
            img[11] = 0;
            img[12] = 0x10;
            QTest::newRow("4096 bytes per sector") << img << QStringList{};
        }
        {
            QByteArray img = floppy;
            img.replace(0, 512, QByteArray(512, '\0'));
            QTest::newRow("zeroed boot sector") << img << QStringList{};
        }
        {
            fat_patch_s img(floppy);
            img.put(img.root_slot(0), live_dir("DIR        ", 40) + deleted_file("X1      TXT", 300));
            QTest::newRow("truncated inside the root") << img.bytes.left(int(img.root_slot(0)) + 512) << QStringList{"/#1.TXT", "/DIR/"};
            QTest::newRow("truncated before the root") << img.bytes.left(int(img.root_slot(0))) << QStringList{};
        }
    }
    void bad_volumes()
    {
        QFETCH(QByteArray, image);
        QFETCH(QStringList, paths);
        const QString path = tmp.filePath(QStringLiteral("bad.img"));
        QVERIFY(test_write_file(path, image));
        fat_recovery_c engine;
        scan(engine, fat_use_image(path));
        QCOMPARE(row_paths(engine.found_rows()), paths);
        verify_linked(engine.index());
    }

    // recover_file: missing key, a read that fails at once, one that fails part way.
    void recover_results_data()
    {
        QTest::addColumn<uint>("key");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("bytes"); // -1: no file created
        QTest::newRow("not in the index") << 777u << -1 << -1;
        QTest::newRow("first cluster beyond the end") << 0xFF5u << -1 << -1;
        QTest::newRow("runs off the last cluster") << 2848u << int(recover_partial) << 512;
        QTest::newRow("whole") << 300u << 0 << 100;
    }
    void recover_results()
    {
        QFETCH(uint, key);
        QFETCH(int, result);
        QFETCH(int, bytes);
        fat_patch_s img(floppy_image());
        QCOMPARE(img.g.data_offset / 512 + 2847, qint64(2880)); // cluster 2848 is the last
        img.put(img.root_slot(0), deleted_file("X1      TXT", 0xFF5, early, 5000) +
                                      deleted_file("X2      TXT", 2848, early, 3 * 512) +
                                      deleted_file("X3      TXT", 300, early, 100));
        const QString path = tmp.filePath(QStringLiteral("recover.img"));
        QVERIFY(test_write_file(path, img.bytes));
        fat_recovery_c engine;
        scan(engine, fat_use_image(path));
        const QString out = tmp.filePath(QStringLiteral("recovered-%1").arg(key));
        QCOMPARE(engine.recover_file(key, out), result);
        QCOMPARE(QFileInfo::exists(out) ? int(QFileInfo(out).size()) : -1, bytes);
    }

    // A volume that cannot be bound yields the root alone, also after an earlier good scan, and
    // the earlier volume is no longer read by recover_file.
    void binding_failure()
    {
        fat_recovery_c engine;
        scan(engine, fat_use_image(crafted_image(tmp.path(), deleted_file("X1      TXT", 300))));
        QCOMPARE(engine.get_found_count(), qint64(1));
        volume_item_s missing;
        missing.volume_name = tmp.filePath(QStringLiteral("no-such.img"));
        scan(engine, missing);
        QCOMPARE(engine.index().size(), 1);
        QCOMPARE(engine.get_found_count(), qint64(0));
        QVERIFY(engine.found_rows().isEmpty());
        QCOMPARE(engine.recover_file(300, tmp.filePath(QStringLiteral("x"))), -1);
    }

    // A deleted directory lists the entries of its first cluster, the last slot included.
    void deleted_directory_first_cluster()
    {
        VORN_REQUIRE_TOOL("mcopy");
        const QString img = tmp.filePath(QStringLiteral("many.img"));
        QVERIFY(fat_make_image(img, 12, 1440));
        QVERIFY(fat_mtools("mmd", img, {"::/many"}));
        QStringList args;
        for (int i = 0; i < 30; ++i)
            args << fat_host_file(tmp.path(), QStringLiteral("F%1.TXT").arg(i, 2, 10, QLatin1Char('0')), QByteArray(10, 'a'));
        args << "::/many/";
        QVERIFY(fat_mtools("mcopy", img, args));
        QVERIFY(fat_mtools("mdeltree", img, {"::/many"}));
        fat_recovery_c engine;
        scan(engine, fat_use_image(img));
        const auto root = engine.index().value(0);
        QCOMPARE(root.children.size(), 1);
        QCOMPARE(root.children.first()->children.size(), 14); // 16 slots less "." and ".."
    }

    // On FAT32 the upper half of a first cluster counts, for deleted entries too.
    void fat32_upper_cluster_half()
    {
        const QString path = tmp.filePath(QStringLiteral("high.img"));
        QVERIFY(fat_make_image(path, 32, 40000, {QStringLiteral("-s"), QStringLiteral("1")}));
        fat_patch_s img(test_read_file(path));
        QCOMPARE(img.g.bits, 32);
        const uint32_t cluster = 70000;
        const QByteArray data = QByteArray(512, 'Z') + QByteArray(88, 'z');
        img.put(img.root_slot(0), deleted_file("X1      BIN", cluster, early, uint32_t(data.size())));
        img.put(img.cluster_offset(cluster), data);
        QVERIFY(test_write_file(path, img.bytes));
        fat_recovery_c engine;
        scan(engine, fat_use_image(path));
        QVERIFY(engine.index().contains(cluster));
        const QString out = tmp.filePath(QStringLiteral("high.bin"));
        QCOMPARE(engine.recover_file(cluster, out), 0);
        QCOMPARE(test_read_file(out), data);
    }
};

QTEST_GUILESS_MAIN(test_fat_engine)
#include "test_fat_engine.moc"
