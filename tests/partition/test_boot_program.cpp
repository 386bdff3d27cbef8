// The boot program the repair writes, run for real: a repaired image is booted in qemu and the
// text on its serial port is checked.
#include "cli/cli_partition.h"
#include "partition/partition_repair.h"
#include "tests/partition/partition_fixture.h"
#include "tests/support/test_tools.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

constexpr qint64 MiB = 1024 * 1024;
constexpr uint64_t part_start = 2048;

// A partition boot program placed at offset 0x5A of the FAT32 boot sector (mkfs.fat's jump
// EB 58 90 leads there), so it runs at 0:7C5A. It prints "VORN-VBR-OK" through the BIOS teletype
// and to the serial port, then halts:
//     xor ax,ax / mov ds,ax / mov si,0x7C76
//  1: lodsb / test al,al / jz 2f / mov ah,0x0E / mov bx,7 / int 0x10 / mov dx,0x3F8 / out dx,al / jmp 1b
//  2: hlt / jmp 2b
//     "VORN-VBR-OK\r\n", 0
const unsigned char vbr_code[] = {
    0x31, 0xc0, 0x8e, 0xd8, 0xbe, 0x76, 0x7c, 0xac, 0x84, 0xc0, 0x74, 0x0d, 0xb4, 0x0e,
    0xbb, 0x07, 0x00, 0xcd, 0x10, 0xba, 0xf8, 0x03, 0xee, 0xeb, 0xee, 0xf4, 0xeb, 0xfd,
    0x56, 0x4f, 0x52, 0x4e, 0x2d, 0x56, 0x42, 0x52, 0x2d, 0x4f, 0x4b, 0x0d, 0x0a, 0x00};

bool write_at(const QString &path, qint64 offset, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.seek(offset) && f.write(bytes) == bytes.size();
}

// Boots image in qemu until the serial output holds expected or 20 s have passed.
QByteArray boot(const QString &image, const QString &serial, const QByteArray &expected)
{
    QFile::remove(serial);
    QProcess qemu;
    qemu.setProcessChannelMode(QProcess::MergedChannels);
    qemu.start(QStringLiteral("qemu-system-x86_64"),
               {QStringLiteral("-accel"), QStringLiteral("tcg"), QStringLiteral("-m"), QStringLiteral("32"),
                QStringLiteral("-display"), QStringLiteral("none"), QStringLiteral("-no-reboot"),
                QStringLiteral("-monitor"), QStringLiteral("none"), QStringLiteral("-serial"),
                QStringLiteral("file:") + serial, QStringLiteral("-drive"),
                QStringLiteral("file=%1,format=raw,if=ide").arg(image)});
    if (!qemu.waitForStarted(10000))
        return "qemu did not start";
    QByteArray text;
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && qemu.state() == QProcess::Running) {
        text = test_read_file(serial);
        if (text.contains(expected))
            break;
        qemu.waitForFinished(200);
    }
    text = test_read_file(serial);
    qemu.kill();
    qemu.waitForFinished(5000);
    return text;
}

} // namespace

class test_boot_program : public QObject {
    Q_OBJECT
private slots:
    void boots_data();
    void boots();
};

void test_boot_program::boots_data()
{
    // Bytes changed on the image after the repair: (offset, bytes).
    using patch_list = QList<QPair<qint64, QByteArray>>;
    QTest::addColumn<patch_list>("patches");
    QTest::addColumn<QByteArray>("expected");
    const qint64 entry1 = 446, entry2 = 462;
    QTest::newRow("starts the partition's boot program") << patch_list{} << QByteArray("VORN-VBR-OK");
    QTest::newRow("empty partition")
        << patch_list{{qint64(part_start) * 512, QByteArray(512, '\0')}} << QByteArray("Missing operating system");
    QTest::newRow("two active entries") << patch_list{{entry2, QByteArray("\x80", 1)}} << QByteArray("Invalid partition table");
    // Both the LBA and the CHS address point far beyond the 48 MiB disk, so every read fails.
    QTest::newRow("unreadable boot sector")
        << patch_list{{entry1 + 1, QByteArray("\xfe\xff\xff", 3)}, {entry1 + 8, QByteArray("\x00\x00\x00\x70", 4)}}
        << QByteArray("Error loading operating system");
}

void test_boot_program::boots()
{
    if (!test_have_tool(QStringLiteral("qemu-system-x86_64")))
        QSKIP("qemu-system-x86_64 is not installed");
    VORN_REQUIRE_TOOL("sfdisk");
    VORN_REQUIRE_TOOL("mkfs.fat");
    using patch_list = QList<QPair<qint64, QByteArray>>;
    QFETCH(patch_list, patches);
    QFETCH(QByteArray, expected);

    QTemporaryDir dir;
    QString error;
    const QString image = build_disk_image(dir.path(), QStringLiteral("boot.img"), 48 * MiB,
                                           {{QStringLiteral("fat32"), part_start, 81920}}, &error);
    QVERIFY2(!image.isEmpty(), qPrintable(error));
    QVERIFY(write_at(image, part_start * 512 + 0x5A,
                     QByteArray(reinterpret_cast<const char *>(vbr_code), sizeof vbr_code)));

    drive_item_s drive;
    QCOMPARE(cli_drive_record(image, &drive), 0);
    partition_repair_c worker;
    QCOMPARE(worker.start_search(drive), 0);
    QVERIFY(worker.wait(60000));
    QCOMPARE(worker.partition_count(), 1);
    QCOMPARE(worker.repair_partition_table(), 0);
    for (const auto &patch : patches)
        QVERIFY(write_at(image, patch.first, patch.second));

    const QByteArray text = boot(image, dir.filePath(QStringLiteral("serial.txt")), expected);
    QVERIFY2(text.contains(expected), text.constData());
}

QTEST_GUILESS_MAIN(test_boot_program)
#include "test_boot_program.moc"
