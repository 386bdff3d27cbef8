// The sector 0 the repair writes: CHS addresses, the four entries, what is kept from the old
// sector, the refusals, and the embedded boot program.
#include "partition/mbr_backup.h"
#include "partition/mbr_table.h"

#include <QtTest>
#include <cstring>

namespace {

partition_item_s part(const char *fs, int type, uint64_t start, uint64_t sectors)
{
    return {QString::fromLatin1(fs), type, start, start + sectors - 1};
}

QByteArray entry(const uint8_t *sector, int i)
{
    return QByteArray(reinterpret_cast<const char *>(sector + mbr_entry_offset + i * mbr_entry_size), mbr_entry_size);
}

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(static_cast<char>(v));
    return b;
}

// An old sector 0 full of leftovers: none of it may survive except the disk signature area.
void fill_old(uint8_t *sector)
{
    for (int i = 0; i < 512; ++i)
        sector[i] = static_cast<uint8_t>(0x80 + i * 7);
}

} // namespace

class test_mbr_table : public QObject {
    Q_OBJECT
private slots:
    void chs_data();
    void chs();
    void two_partitions();
    void more_than_four();
    void refused_data();
    void refused();
    void boot_program();
    void backup_name_data();
    void backup_name();
};

void test_mbr_table::chs_data()
{
    QTest::addColumn<quint64>("sector");
    QTest::addColumn<uint>("heads");
    QTest::addColumn<uint>("spt");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("sector 0") << quint64(0) << 255u << 63u << bytes({0, 1, 0});
    QTest::newRow("sector 2048") << quint64(2048) << 255u << 63u << bytes({32, 33, 0});
    QTest::newRow("end of 100 MiB at 2048") << quint64(206847) << 255u << 63u << bytes({223, 19, 12});
    QTest::newRow("cylinder 1000 uses bits 8-9") << quint64(1000 * 255 * 63) << 255u << 63u << bytes({0, 0xC1, 0xE8});
    QTest::newRow("cylinder 2000 is kept modulo 1024") << quint64(2000 * 255 * 63 + 5) << 255u << 63u << bytes({0, 0xC6, 0xD0});
    QTest::newRow("above 2^31 stays in range") << quint64(3000000000u) << 255u << 63u << bytes({92, 104, 117});
    QTest::newRow("16 heads, 63 sectors") << quint64(5000) << 16u << 63u << bytes({15, 24, 4});
    QTest::newRow("no geometry is taken as 255 x 63") << quint64(2048) << 0u << 0u << bytes({32, 33, 0});
}

void test_mbr_table::chs()
{
    QFETCH(quint64, sector);
    QFETCH(uint, heads);
    QFETCH(uint, spt);
    QFETCH(QByteArray, expected);
    const auto chs = lba_to_chs(sector, heads, spt);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(chs.data()), 3), expected);
}

void test_mbr_table::two_partitions()
{
    uint8_t old[512];
    fill_old(old);
    old[mbr_entry_offset + mbr_entry_size] = 0x80; // an old second entry marked active
    uint8_t sector[512];
    std::memcpy(sector, old, sizeof sector);
    const QList<partition_item_s> found{part("NTFS", 7, 2048, 204800), part("FAT32", 12, 206848, 409600)};
    QCOMPARE(build_mbr(sector, found, 255, 63), int(mbr_ok));

    QCOMPARE(std::memcmp(sector, mbr_boot_code(), mbr_boot_code_size), 0);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(sector + 440), 6), QByteArray(reinterpret_cast<char *>(old + 440), 6));
    QCOMPARE(entry(sector, 0), bytes({0x80, 32, 33, 0, 7, 223, 19, 12, 0x00, 0x08, 0, 0, 0x00, 0x20, 0x03, 0}));
    const auto s2 = lba_to_chs(206848, 255, 63);
    const auto e2 = lba_to_chs(206848 + 409600 - 1, 255, 63);
    QCOMPARE(entry(sector, 1), bytes({0x00, s2[0], s2[1], s2[2], 12, e2[0], e2[1], e2[2], 0x00, 0x28, 0x03, 0,
                                      0x00, 0x40, 0x06, 0}));
    QCOMPARE(entry(sector, 2), QByteArray(16, '\0'));
    QCOMPARE(entry(sector, 3), QByteArray(16, '\0'));
    QCOMPARE(sector[510], uint8_t(0x55));
    QCOMPARE(sector[511], uint8_t(0xAA));
}

void test_mbr_table::more_than_four()
{
    uint8_t sector[512] = {};
    QList<partition_item_s> found;
    for (int i = 0; i < 5; ++i)
        found << part("NTFS", 7, 2048 + uint64_t(i) * 10000, 10000);
    found << part("NTFS", 7, uint64_t{1} << 40, 100); // a fifth record the table cannot hold anyway
    QCOMPARE(build_mbr(sector, found, 255, 63), int(mbr_ok));
    for (int i = 0; i < 4; ++i) {
        uint32_t start = 0;
        std::memcpy(&start, sector + mbr_entry_offset + i * mbr_entry_size + 8, 4);
        QCOMPARE(start, uint32_t(2048 + i * 10000));
    }
}

void test_mbr_table::refused_data()
{
    QTest::addColumn<QList<partition_item_s>>("found");
    QTest::addColumn<int>("expected");
    QTest::newRow("nothing found") << QList<partition_item_s>{} << int(mbr_no_partitions);
    QTest::newRow("start beyond 32 bits")
        << QList<partition_item_s>{part("NTFS", 7, 2048, 100), part("NTFS", 7, uint64_t{1} << 32, 100)}
        << int(mbr_beyond_32_bits);
    QTest::newRow("count beyond 32 bits")
        << QList<partition_item_s>{part("NTFS", 7, 2048, uint64_t{1} << 32)} << int(mbr_beyond_32_bits);
    QTest::newRow("end clamped at 2^64 - 1")
        << QList<partition_item_s>{{QStringLiteral("NTFS"), 7, 5, UINT64_MAX}} << int(mbr_beyond_32_bits);
}

void test_mbr_table::refused()
{
    QFETCH(QList<partition_item_s>, found);
    QFETCH(int, expected);
    uint8_t old[512];
    fill_old(old);
    uint8_t sector[512];
    std::memcpy(sector, old, sizeof sector);
    QCOMPARE(build_mbr(sector, found, 255, 63), expected);
    QCOMPARE(std::memcmp(sector, old, sizeof sector), 0);
}

void test_mbr_table::boot_program()
{
    const QByteArray code(reinterpret_cast<const char *>(mbr_boot_code()), mbr_boot_code_size);
    for (const char *text : {"Invalid partition table", "Error loading operating system", "Missing operating system"})
        QVERIFY2(code.contains(text), text);
    QCOMPARE(uint8_t(code[0]), uint8_t(0xFA)); // starts with code (cli), not data
}

void test_mbr_table::backup_name_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("expected");
    QTest::newRow("block device") << QStringLiteral("/dev/sdb") << QStringLiteral("mbr-backup-sdb-20260102-030405-006.bin");
    QTest::newRow("image with odd characters")
        << QStringLiteral("/tmp/my disk/..x\u00e9*.img") << QStringLiteral("mbr-backup-drive..x__.img-20260102-030405-006.bin");
}

void test_mbr_table::backup_name()
{
    QFETCH(QString, node);
    QFETCH(QString, expected);
    const QDateTime when(QDate(2026, 1, 2), QTime(3, 4, 5, 6));
    QCOMPARE(mbr_backup_name(node, when), expected);
}

QTEST_GUILESS_MAIN(test_mbr_table)
#include "test_mbr_table.moc"
