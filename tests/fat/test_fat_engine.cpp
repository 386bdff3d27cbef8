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
        // Deleted entries keep only their 8.3 name, decoded as code page 936: the deletion mark
        // 0xE5 absorbs a following trail byte ("BIG" -> one character + "G"), and "#" replaces
        // that character. mtools stores all-lower-case names with the case flags.
        const QStringList expected{"/#ne/ *",          "/#ne/#eper/ *",        "/#ne/#eper/#.BIN *",
                                   "/#ne/#NER.TXT *",  "/docs/",               "/docs/#b/ *",
                                   "/docs/#b/#ONGF~1.BIN *",                   "/docs/#G.BIN *",
                                   "/keep/"};
        QCOMPARE(paths, expected);
        QCOMPARE(engine.get_found_count(), qint64(rows.size()));

        const QMap<QString, const found_row_s *> by_path = rows_by_path(rows);
        const QList<QPair<QString, QByteArray>> contents{{"/docs/#G.BIN", big},
                                                         {"/docs/#b/#ONGF~1.BIN", longer},
                                                         {"/#ne/#NER.TXT", inner},
                                                         {"/#ne/#eper/#.BIN", deep}};
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
        QCOMPARE(engine.get_file_path(by_path.value("/#ne/#eper/#.BIN")->id, live), 0);
        QCOMPARE(live, QStringLiteral("/media/test/#ne/#eper/#.BIN"));
    }
};

QTEST_GUILESS_MAIN(test_fat_engine)
#include "test_fat_engine.moc"
