// Search and repair on real disk images: FAT32 and NTFS partitions made by mkfs.fat and mkntfs at
// known places (one beyond 4 GiB in a sparse image), their table wiped; the search must find them,
// the repair must give a table sfdisk reads back, and the file systems must stay intact.
#include "cli/cli_partition.h"
#include "cli/commands.h"
#include "partition/partition_repair.h"
#include "platform/paths.h"
#include "tests/partition/partition_fixture.h"
#include "tests/support/test_tools.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 MiB = 1024 * 1024;

drive_item_s image_drive(const QString &path)
{
    drive_item_s drive;
    cli_drive_record(path, &drive);
    return drive;
}

QByteArray sector0(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(512) : QByteArray();
}

QByteArray file_hash(const QString &path)
{
    QFile f(path);
    QCryptographicHash h(QCryptographicHash::Sha1);
    if (f.open(QIODevice::ReadOnly))
        h.addData(&f);
    return h.result();
}

QStringList backups()
{
    return QDir(platform_config_dir()).entryList({QStringLiteral("mbr-backup-*")}, QDir::Files);
}

// Checks the file system of one partition extracted from the image.
void check_file_system(const QString &image, const image_part_s &p, const QString &folder)
{
    const QString part = QDir(folder).filePath(QStringLiteral("check.part"));
    QFile::remove(part);
    QVERIFY(extract_range(image, p.start, p.sectors, part));
    QByteArray out;
    if (p.fs == QLatin1String("fat32")) {
        QVERIFY2(test_run_tool(QStringLiteral("fsck.fat"), {QStringLiteral("-n"), part}, &out) == 0, out.constData());
    } else {
        QVERIFY2(test_run_tool(QStringLiteral("ntfsinfo"), {QStringLiteral("-m"), part}, &out) == 0, out.constData());
        QVERIFY2(test_run_tool(QStringLiteral("ntfsls"), {part}, &out) == 0, out.constData());
    }
    QFile::remove(part);
}

} // namespace

class test_partition_images : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void search_and_repair_data();
    void search_and_repair();
    void repair_refused_while_searching();
    void repair_refused_without_partition();
    void command_line();
};

void test_partition_images::initTestCase()
{
    VORN_REQUIRE_TOOL("sfdisk");
    VORN_REQUIRE_TOOL("mkfs.fat");
    VORN_REQUIRE_TOOL("fsck.fat");
    VORN_REQUIRE_TOOL("mkntfs");
    VORN_REQUIRE_TOOL("ntfsinfo");
}

void test_partition_images::search_and_repair_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QList<image_part_s>>("parts");
    QTest::newRow("FAT32 then NTFS")
        << 128 * MiB << QList<image_part_s>{{QStringLiteral("fat32"), 2048, 81920}, {QStringLiteral("ntfs"), 83968, 32768}};
    // 4 GiB = sector 8388608; the NTFS partition lies wholly above it.
    QTest::newRow("NTFS beyond 4 GiB in a sparse image")
        << 4 * 1024 * MiB + 256 * MiB
        << QList<image_part_s>{{QStringLiteral("fat32"), 2048, 81920}, {QStringLiteral("ntfs"), 8390656, 65536}};
}

void test_partition_images::search_and_repair()
{
    QFETCH(qint64, size);
    QFETCH(QList<image_part_s>, parts);
    QTemporaryDir dir;
    QString error;
    const QString image = build_disk_image(dir.path(), QStringLiteral("disk.img"), size, parts, &error);
    QVERIFY2(!image.isEmpty(), qPrintable(error));
    const QByteArray old = sector0(image);

    partition_repair_c worker;
    QCOMPARE(worker.start_search(image_drive(image)), 0);
    QVERIFY(worker.wait(120000));
    const QList<partition_item_s> found = worker.snapshot();
    QCOMPARE(found.size(), parts.size());
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QCOMPARE(found[i].fs_name, parts[i].fs == QLatin1String("ntfs") ? QStringLiteral("NTFS") : QStringLiteral("FAT32"));
        QCOMPARE(found[i].start_sector, parts[i].start);
        QCOMPARE(found[i].end_sector, parts[i].start + parts[i].sectors - 1);
    }

    QCOMPARE(worker.repair_partition_table(), 0);
    QVERIFY(worker.last_backup_path().startsWith(platform_config_dir() + QLatin1Char('/')));
    QCOMPARE(test_read_file(worker.last_backup_path()), old);

    QByteArray out;
    QCOMPARE(test_run_tool(QStringLiteral("sfdisk"), {QStringLiteral("-J"), image}, &out), 0);
    const QJsonArray table = QJsonDocument::fromJson(out.mid(out.indexOf('{')))
                                 .object()[QStringLiteral("partitiontable")].toObject()[QStringLiteral("partitions")].toArray();
    QCOMPARE(table.size(), parts.size());
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QJsonObject e = table[i].toObject();
        QCOMPARE(e[QStringLiteral("start")].toInteger(), qint64(parts[i].start));
        QCOMPARE(e[QStringLiteral("size")].toInteger(), qint64(parts[i].sectors));
        QCOMPARE(e[QStringLiteral("type")].toString(), parts[i].fs == QLatin1String("ntfs") ? QStringLiteral("7") : QStringLiteral("c"));
        QCOMPARE(e[QStringLiteral("bootable")].toBool(), i == 0);
    }
    for (const image_part_s &p : parts)
        check_file_system(image, p, dir.path());
}

void test_partition_images::repair_refused_while_searching()
{
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("big.img"));
    QVERIFY(test_make_sparse_file(image, 6 * 1024 * MiB));
    const QStringList before = backups();
    partition_repair_c worker;
    QCOMPARE(worker.start_search(image_drive(image)), 0);
    QCOMPARE(worker.start_search(image_drive(image)), -1);
    QCOMPARE(worker.repair_partition_table(), -1);
    worker.request_stop();
    QVERIFY(worker.wait(30000));
    QCOMPARE(sector0(image), QByteArray(512, '\0'));
    QCOMPARE(backups(), before);
}

void test_partition_images::repair_refused_without_partition()
{
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("empty.img"));
    QVERIFY(test_write_file(image, QByteArray(2 * MiB, 'x')));
    const QByteArray hash = file_hash(image);
    const QStringList before = backups();
    partition_repair_c worker;
    QCOMPARE(worker.start_search(image_drive(image)), 0);
    QVERIFY(worker.wait(30000));
    QCOMPARE(worker.partition_count(), 0);
    QCOMPARE(worker.repair_partition_table(), -1);
    QVERIFY(!worker.last_repair_message().isEmpty());
    QCOMPARE(file_hash(image), hash);
    QCOMPARE(backups(), before);
}

// The commands as a user runs them: the listing in JSON, a dry run that writes nothing, a repair.
void test_partition_images::command_line()
{
    QTemporaryDir dir;
    QString error;
    const QList<image_part_s> parts{{QStringLiteral("ntfs"), 63, 20480}, {QStringLiteral("fat32"), 20543, 71680}};
    const QString image = build_disk_image(dir.path(), QStringLiteral("cli.img"), 64 * MiB, parts, &error);
    QVERIFY2(!image.isEmpty(), qPrintable(error));
    const QString cli = test_bin_dir() + QStringLiteral("/vornrecovery-cli");
    QVERIFY(test_have_tool(cli));
    const QStringList env{QStringLiteral("XDG_CONFIG_HOME=") + dir.filePath(QStringLiteral("config"))};

    QByteArray out;
    QCOMPARE(test_run_tool(cli, {QStringLiteral("partitions"), QStringLiteral("--json"), image}, &out, 60000, env), 0);
    const QJsonArray rows = QJsonDocument::fromJson(out.mid(out.indexOf('['))).array();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].toObject()[QStringLiteral("number")].toInt(), 0);
    QCOMPARE(rows[0].toObject()[QStringLiteral("file_system")].toString(), QStringLiteral("NTFS"));
    QCOMPARE(rows[1].toObject()[QStringLiteral("start_sector")].toInteger(), qint64(20543));
    QCOMPARE(rows[1].toObject()[QStringLiteral("end_sector")].toInteger(), qint64(20543 + 71680 - 1));

    const QByteArray hash = file_hash(image);
    QCOMPARE(test_run_tool(cli, {QStringLiteral("repair"), image}, &out, 60000, env), 0);
    QVERIFY2(out.contains("Nothing written"), out.constData());
    QCOMPARE(file_hash(image), hash);

    QCOMPARE(test_run_tool(cli, {QStringLiteral("repair"), QStringLiteral("--yes"), image}, &out, 60000, env), 0);
    QVERIFY2(out.contains("saved to " + dir.filePath(QStringLiteral("config/VornRecovery/mbr-backup-cli.img-")).toUtf8()),
             out.constData());
    QCOMPARE(test_run_tool(QStringLiteral("sfdisk"), {QStringLiteral("-d"), image}, &out), 0);
    QVERIFY2(out.contains("start=          63, size=       20480, type=7, bootable"), out.constData());

    QCOMPARE(test_run_tool(cli, {QStringLiteral("partitions"), dir.filePath(QStringLiteral("missing.img"))}, &out, 60000, env),
             int(cli_failed));
}

QTEST_GUILESS_MAIN(test_partition_images)
#include "test_partition_images.moc"
