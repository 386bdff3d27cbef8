// Damaged and hostile images through the command-line program: each case breaks one structure of
// a real FAT, NTFS or partitioned image (bit flips at fixed seeds, zeroed sectors, truncation,
// cross-linked and looping structures), then scans, recovers, deep-scans and searches it. Every
// run must end in time with status 0 or 1, without a sanitizer report, and recovered files must
// stay inside the output folder.

#include "tests/damaged/hostile_images.h"
#include "tests/support/test_tools.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct damage_case_s {
    const char *image;
    const char *action; // intact, flip, zero, truncate, field, or a structural damage
    const char *region; // the structure, or the field
    qint64 param;       // flip: seed; truncate: per mille of the size kept; field: its value
};

const damage_case_s cases[] = {
    {"fat12", "intact", "", 0},
    {"fat12", "flip", "boot", 1},
    {"fat12", "flip", "boot", 2},
    {"fat12", "flip", "fat", 3},
    {"fat12", "flip", "root", 4},
    {"fat12", "flip", "subdir", 5},
    {"fat12", "zero", "boot", 0},
    {"fat12", "zero", "fat", 0},
    {"fat12", "truncate", "", 100},
    {"fat12", "truncate", "", 1},
    {"fat12", "crosslink", "", 0},
    {"fat12", "dir_self", "", 0},
    {"fat12", "dir_parent_loop", "", 0},
    {"fat12", "chain_loop", "", 0},
    {"fat16", "intact", "", 0},
    {"fat16", "flip", "boot", 6},
    {"fat16", "flip", "fat", 7},
    {"fat16", "flip", "root", 8},
    {"fat16", "zero", "subdir", 0},
    {"fat16", "truncate", "", 300},
    {"fat16", "crosslink", "", 0},
    {"fat16", "dir_self", "", 0},
    {"fat32", "intact", "", 0},
    {"fat32", "flip", "boot", 9},
    {"fat32", "flip", "boot", 10},
    {"fat32", "flip", "fat", 11},
    {"fat32", "flip", "root", 12},
    {"fat32", "zero", "root", 0},
    {"fat32", "truncate", "", 250},
    {"fat32", "dir_self", "", 0},
    {"fat32", "dir_parent_loop", "", 0},
    {"fat32", "chain_loop", "", 0},
    {"ntfs", "intact", "", 0},
    {"ntfs", "flip", "boot", 13},
    {"ntfs", "flip", "boot", 14},
    {"ntfs", "flip", "mft", 15},
    {"ntfs", "flip", "mft_runlist", 16},
    {"ntfs", "flip", "mft_runlist", 17},
    {"ntfs", "flip", "file_runlist", 18},
    {"ntfs", "flip", "file_runlist", 19},
    {"ntfs", "flip", "root_record", 20},
    {"ntfs", "zero", "boot", 0},
    {"ntfs", "zero", "mft", 0},
    {"ntfs", "truncate", "", 600},
    {"ntfs", "truncate", "", 200},
    {"ntfs", "mft_parent_cycle", "", 0},
    {"ntfs", "mft_self_parent", "", 0},
    {"ntfs", "runlist_beyond_end", "", 0},
    {"ntfs", "runlist_huge", "", 0},
    {"ntfs", "resident_overflow", "", 0},
    {"ntfs", "name_overflow", "", 0},
    {"disk", "intact", "", 0},
    {"disk", "flip", "table", 21},
    {"disk", "flip", "table", 22},
    {"disk", "flip", "ebr", 23},
    {"disk", "zero", "boot", 0},
    {"disk", "truncate", "", 500},
    {"disk", "ebr_loop", "", 0},
    {"disk", "part_beyond_end", "", 0},
    {"disk", "part_overlap", "", 0},
    {"disk", "crosslink", "", 0},
    // Boot-sector fields and entries at the edges of their ranges.
    {"fat12", "field", "bps", 0},
    {"fat12", "field", "bps", 4096},
    {"fat12", "field", "spc", 0},
    {"fat12", "field", "spc", 255},
    {"fat12", "field", "fats", 0},
    {"fat12", "field", "reserved", 0},
    {"fat12", "field", "root_entries", 0xFFFF},
    {"fat16", "field", "fat_size16", 0},
    {"fat16", "field", "a_size", 0xFFFFFFFF},
    {"fat16", "field", "a_cluster", 0xFFFF},
    {"fat16", "field", "a_cluster", 1},
    {"fat32", "field", "root_cluster", 0},
    {"fat32", "field", "root_cluster", 1},
    {"fat32", "field", "root_cluster", 0x0FFFFFFF},
    {"fat32", "field", "fat_size32", 0xFFFFFFFF},
    {"fat32", "field", "total32", 0xFFFFFFFF},
    {"fat32", "field", "a_cluster", 0x0FFFFFF7},
    {"fat32", "field", "a_size", 0x7FFFFFFF},
    {"ntfs", "field", "bps", 0},
    {"ntfs", "field", "bps", 0x8000},
    {"ntfs", "field", "spc", 0},
    {"ntfs", "field", "spc", 0xF4},
    {"ntfs", "field", "total", -1},
    {"ntfs", "field", "mft_lcn", -1},
    {"ntfs", "field", "mft_lcn", 0x7FFFFFFFFFFFLL},
    {"ntfs", "field", "record_size", 0},
    {"ntfs", "field", "record_size", 0xE1},
    {"ntfs", "field", "record_size", 0x7F},
    {"disk", "field", "spc", 0},
};

// Paths below dir that are neither the image nor inside one of the output folders.
QStringList strays(const QString &dir, const QStringList &allowed)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = QDir(dir).relativeFilePath(it.next());
        bool ok = false;
        for (const QString &a : allowed)
            ok = ok || rel == a || rel.startsWith(a + QLatin1Char('/'));
        if (!ok)
            out << rel;
    }
    return out;
}

} // namespace

class test_damaged_images : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    QHash<QString, hostile_image_s> images;
    QHash<QString, QByteArray> pristine;
    int serial = 0;

    void check_run(const QString &what, const cli_run_s &run)
    {
        QVERIFY2(run.finished, qPrintable(what + QStringLiteral(": did not finish in time")));
        QVERIFY2(!run.crashed, qPrintable(what + QStringLiteral(": crashed\n") + QString::fromUtf8(run.err.right(3000))));
        const QByteArray report = hostile_sanitizer_report(run.err + run.out);
        QVERIFY2(report.isEmpty(), qPrintable(what + QStringLiteral(": ") + QString::fromUtf8(report)));
        QVERIFY2(run.exit_code == 0 || run.exit_code == 1,
                 qPrintable(what + QStringLiteral(": status %1\n").arg(run.exit_code) + QString::fromUtf8(run.err.right(2000))));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QFileInfo(test_bin_dir() + QStringLiteral("/vornrecovery-cli")).isExecutable());
        QString error;
        const QList<hostile_image_s> built = hostile_build_images(tmp.path(), &error);
        if (built.isEmpty() && error.contains(QLatin1String("not installed")))
            QSKIP(qPrintable(error));
        QVERIFY2(!built.isEmpty(), qPrintable(error));
        for (const hostile_image_s &img : built) {
            images.insert(img.name, img);
            pristine.insert(img.name, test_read_file(img.path));
        }
    }

    void damaged_image_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("region");
        QTest::addColumn<qint64>("param");
        for (const damage_case_s &c : cases)
            QTest::addRow("%s %s %s %lld", c.image, c.action, c.region, c.param)
                << QString::fromLatin1(c.image) << QString::fromLatin1(c.action) << QString::fromLatin1(c.region) << c.param;
    }
    void damaged_image()
    {
        QFETCH(QString, image);
        QFETCH(QString, action);
        QFETCH(QString, region);
        QFETCH(qint64, param);
        QByteArray bytes = pristine.value(image);
        QVERIFY(!bytes.isEmpty());
        if (action == QLatin1String("flip")) {
            const QByteArray before = bytes;
            hostile_flip_bits(bytes, image, region, quint32(param), 8);
            QVERIFY2(bytes != before, "the region was not found");
        } else if (action == QLatin1String("zero")) {
            const hostile_region_s r = hostile_region(bytes, image, region);
            QVERIFY(r.length > 0);
            bytes.replace(r.offset, r.length, QByteArray(r.length, '\0'));
        } else if (action == QLatin1String("truncate")) {
            bytes.truncate(qMax<qsizetype>(1, (bytes.size() * param / 1000 & ~qsizetype(511)) + param % 7));
        } else if (action == QLatin1String("field")) {
            QVERIFY2(hostile_set_field(bytes, image, region, param), "no such field");
        } else if (action != QLatin1String("intact")) {
            QVERIFY2(hostile_structural(bytes, image, action), "no such structure in this image");
        }

        if (action != QLatin1String("intact"))
            QVERIFY2(bytes != pristine.value(image), "the damage changed nothing");
        const QString dir = tmp.filePath(QStringLiteral("case%1").arg(++serial));
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QStringLiteral("/image.img");
        QVERIFY(test_write_file(path, bytes));
        const QStringList vol = images.value(image).volume_args;

        const cli_run_s scan = hostile_run_cli(QStringList{"scan", "--json"} + vol + QStringList{path});
        check_run(QStringLiteral("scan --json"), scan);
        const cli_run_s recover = hostile_run_cli(QStringList{"recover"} + vol + QStringList{path, "--out", dir + "/out"});
        check_run(QStringLiteral("recover"), recover);
        const cli_run_s deep = hostile_run_cli({"scan", "--deep", path});
        check_run(QStringLiteral("scan --deep"), deep);
        check_run(QStringLiteral("recover --deep"), hostile_run_cli({"recover", "--deep", path, "--out", dir + "/deep"}));
        check_run(QStringLiteral("partitions"), hostile_run_cli({"partitions", "--json", path}));
        const QStringList outside = strays(dir, {QStringLiteral("image.img"), QStringLiteral("out"), QStringLiteral("deep")});
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QLatin1Char(' '))));

        if (action == QLatin1String("intact")) {
            // The harness itself: the sound image scans and gives back its deleted file.
            QVERIFY2(scan.exit_code == 0 && recover.exit_code == 0, recover.err.constData());
            QVERIFY2(scan.out.contains(image == QLatin1String("ntfs") ? "gone.bin" : "NE.TXT"), scan.out.constData());
            QVERIFY2(deep.exit_code == 0 && deep.out.contains(".pdf"), deep.out.constData());
        }
    }

    // A source that exists but cannot be read as a device is an error, not an empty result.
    void unreadable_source_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("deep scan") << QStringList{"scan", "--deep", "SRC"};
        QTest::newRow("deep recover") << QStringList{"recover", "--deep", "SRC", "--out", "SRC/out"};
    }
    void unreadable_source()
    {
        QFETCH(QStringList, args);
        const QString folder = tmp.filePath(QStringLiteral("a folder"));
        QVERIFY(QDir().mkpath(folder));
        args.replaceInStrings(QStringLiteral("SRC"), folder);
        const cli_run_s run = hostile_run_cli(args);
        check_run(args.first(), run);
        QCOMPARE(run.exit_code, 1);
        QVERIFY2(run.err.contains("cannot read"), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(test_damaged_images)
#include "test_damaged_images.moc"
