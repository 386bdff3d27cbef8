// vornrecovery-cli scan and recover on FAT images: partitions of a disk image, JSON listing,
// recovered folders, hostile names kept inside the output folder.

#include "tests/fat/fat_fixture.h"
#include "tests/support/test_tools.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QString cli() { return test_bin_dir() + QStringLiteral("/vornrecovery-cli"); }

int run_cli(const QStringList &args, QByteArray *out = nullptr)
{
    return test_run_tool(cli(), args, out);
}

// stdout only: the JSON document begins at the first "{".
QJsonObject json_of(const QByteArray &output)
{
    return QJsonDocument::fromJson(output.mid(output.indexOf('{'), output.lastIndexOf('}') - output.indexOf('{') + 1)).object();
}

QStringList files_below(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

void mbr_entry(QByteArray &disk, int slot, uint8_t type, uint32_t start, uint32_t count)
{
    auto *p = reinterpret_cast<uchar *>(disk.data()) + 446 + slot * 16;
    p[4] = type;
    qToLittleEndian<quint32>(start, p + 8);
    qToLittleEndian<quint32>(count, p + 12);
    disk[510] = char(0x55);
    disk[511] = char(0xAA);
}

} // namespace

class test_fat_cli : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    QString disk; // MBR: partition 1 empty at 2048, partition 2 FAT16 at 6144
    QByteArray secret;

private Q_SLOTS:
    void initTestCase()
    {
        VORN_REQUIRE_TOOL("mkfs.fat");
        VORN_REQUIRE_TOOL("mcopy");
        QVERIFY(QFileInfo(cli()).isExecutable());
        const QString vol = tmp.filePath(QStringLiteral("vol.img"));
        QVERIFY(fat_make_image(vol, 16, 8192, {QStringLiteral("-s"), QStringLiteral("1")}));
        secret = QByteArray(6000, 's') + "end";
        QVERIFY(fat_mtools("mmd", vol, {"::/Reports"}));
        QVERIFY(fat_mtools("mcopy", vol, {fat_host_file(tmp.path(), "s", secret), "::/Reports/Q3.DOC"}));
        QVERIFY(fat_mtools("mcopy", vol, {fat_host_file(tmp.path(), "k", "kept"), "::/Reports/KEEP.TXT"}));
        QVERIFY(fat_mtools("mdel", vol, {"::/Reports/Q3.DOC"}));
        QByteArray bytes(6144 * 512, '\0');
        mbr_entry(bytes, 0, 0x83, 2048, 4096);
        mbr_entry(bytes, 1, 0x06, 6144, 8192 * 2);
        bytes += test_read_file(vol);
        disk = tmp.filePath(QStringLiteral("disk.img"));
        QVERIFY(test_write_file(disk, bytes));
    }

    void scan_partition_as_json()
    {
        QByteArray out;
        QCOMPARE(run_cli({"scan", "--json", disk, "--partition", "2"}, &out), 0);
        const QJsonObject doc = json_of(out);
        QCOMPARE(doc.value("volume").toObject().value("file_system").toString(), QStringLiteral("FAT16"));
        const QJsonArray entries = doc.value("entries").toArray();
        QCOMPARE(entries.size(), 2);
        const QJsonObject dir = entries[0].toObject(), file = entries[1].toObject();
        QCOMPARE(dir.value("path").toString(), QStringLiteral("/Reports"));
        QVERIFY(dir.value("parent_id").isNull());
        QCOMPARE(file.value("path").toString(), QStringLiteral("/Reports/#3.DOC"));
        QCOMPARE(file.value("parent_id").toInteger(), dir.value("id").toInteger());
        QCOMPARE(file.value("size").toInteger(), qint64(secret.size()));
        QVERIFY(file.value("deleted").toBool());
        QVERIFY(!file.value("directory").toBool());
        QVERIFY(file.value("modified_time").toInteger() > 0);
    }

    void scan_for_people()
    {
        QByteArray out;
        QCOMPARE(run_cli({"scan", disk, "--partition", "2"}, &out), 0);
        QVERIFY(out.contains("Reports/"));
        QVERIFY(out.contains("  #3.DOC"));
        QVERIFY(out.contains("deleted"));
    }

    void usage_errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("no source") << QStringList{"scan"} << 2 << QByteArray("one SOURCE");
        QTest::newRow("several volumes") << QStringList{"scan", "DISK"} << 1 << QByteArray("--partition");
        QTest::newRow("no such partition") << QStringList{"scan", "DISK", "--partition", "7"} << 1 << QByteArray("no partition 7");
        QTest::newRow("no file system") << QStringList{"scan", "DISK", "--partition", "1"} << 1 << QByteArray("no quick scan");
        QTest::newRow("deep scan of the whole disk") << QStringList{"scan", "--deep", "DISK"} << 0 << QByteArray("deep scan");
        QTest::newRow("recover without --out") << QStringList{"recover", "DISK"} << 2 << QByteArray("--out");
        QTest::newRow("missing file") << QStringList{"scan", "/nonexistent/x.img"} << 1 << QByteArray("not a listed volume");
    }
    void usage_errors()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        args.replaceInStrings(QStringLiteral("DISK"), disk);
        QByteArray out;
        QCOMPARE(run_cli(args, &out), status);
        QVERIFY2(out.contains(message), out.constData());
    }

    void recover_keeps_folders()
    {
        const QString dest = tmp.filePath(QStringLiteral("out"));
        QByteArray out;
        QCOMPARE(run_cli({"recover", disk, "--partition", "2", "--out", dest}, &out), 0);
        QVERIFY(out.contains("1 files written, 0 partially recovered, 0 failed"));
        QCOMPARE(files_below(dest), QStringList{"Reports/#3.DOC"});
        QCOMPARE(test_read_file(dest + "/Reports/#3.DOC"), secret);
    }

    // Names from the disk never lead outside the output folder, and two deleted files of the
    // same name in one folder are both written.
    void hostile_names()
    {
        const QString img = tmp.filePath(QStringLiteral("hostile.img"));
        QVERIFY(fat_make_image(img, 12, 1440));
        fat_patch_s p(test_read_file(img));
        const QByteArray up("UP~1       ");
        const QByteArray dots("DOTS~1     ");
        auto deleted = [](QByteArray name, uint32_t cluster) {
            name[0] = char(0xE5);
            return fat_short_entry(name, 0x20, cluster, 4);
        };
        p.put(p.root_slot(0), fat_long_entries(QStringLiteral("../../evil"), up) + fat_short_entry(up, 0x10, 40, 0) +
                                  fat_long_entries(QStringLiteral(".."), dots) + fat_short_entry(dots, 0x10, 41, 0) +
                                  deleted("X/../AB TXT", 300) + deleted("X1      TXT", 301) + deleted("X1      TXT", 302));
        p.put(p.cluster_offset(40), deleted("X2      TXT", 303));
        p.put(p.cluster_offset(41), deleted("X3      TXT", 304));
        p.set_fat(40, 0xFFF);
        p.set_fat(41, 0xFFF);
        QVERIFY(test_write_file(img, p.bytes));
        const QString dest = tmp.filePath(QStringLiteral("hostile/out"));
        QByteArray out;
        QCOMPARE(run_cli({"recover", img, "--out", dest}, &out), 0);
        QVERIFY2(out.contains("5 files written"), out.constData());
        const QStringList expected{"#1.TXT", "#1~302.TXT", "#_.._AB.TXT", ".._.._evil/#2.TXT", "id41/#3.TXT"};
        QCOMPARE(files_below(dest), expected);
        QCOMPARE(files_below(tmp.filePath(QStringLiteral("hostile"))).size(), 5); // nothing beside out/
    }
};

QTEST_GUILESS_MAIN(test_fat_cli)
#include "test_fat_cli.moc"
