// The FAT reader on crafted boot sectors and directories: mount checks, FAT type thresholds,
// the partition binding, 8.3 and long names, directory ends, file data reads.

#include "engines/fat/fat_names.h"
#include "engines/fat/fat_volume.h"
#include "engines/fat/sector_layer.h"
#include "tests/fat/fat_fixture.h"
#include "tests/support/test_tools.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr int test_drive = 5;

// A boot sector with 512-byte sectors, one sector per cluster, one reserved sector and one FAT
// large enough for clusters entries of 32 bits.
QByteArray boot_sector(uint32_t clusters, uint16_t root_entries, bool fat32_label)
{
    QByteArray s(512, '\0');
    auto *p = reinterpret_cast<uchar *>(s.data());
    const uint32_t fat_size = ((clusters + 2) * 4 + 511) / 512;
    const uint32_t total = 1 + fat_size + root_entries / 16 + clusters;
    qToLittleEndian<quint16>(512, p + 11);
    p[13] = 1;
    qToLittleEndian<quint16>(1, p + 14);
    p[16] = 1;
    qToLittleEndian<quint16>(root_entries, p + 17);
    if (total < 65536)
        qToLittleEndian<quint16>(static_cast<quint16>(total), p + 19);
    else
        qToLittleEndian<quint32>(total, p + 32);
    if (fat32_label) {
        qToLittleEndian<quint32>(fat_size, p + 36);
        qToLittleEndian<quint32>(2, p + 44);
        memcpy(p + 82, "FAT32   ", 8);
    } else {
        qToLittleEndian<quint16>(static_cast<quint16>(fat_size), p + 22);
        memcpy(p + 54, "FAT16   ", 8);
    }
    p[510] = 0x55;
    p[511] = 0xAA;
    return s;
}

int mount(fat_volume_s &vol, QByteArray disk, int32_t partition = 0, uint64_t start = 0)
{
    sector_layer_attach(test_drive, std::make_unique<memory_source_c>(std::move(disk)));
    fat_binding_s b;
    b.drive = test_drive;
    b.partition_number = partition;
    b.start_sector = start;
    f_mount(vol, b);
    return fat_mount_if_needed(vol);
}

// Serves reads from another source and records each (offset, length).
class recording_source_c final : public source_c {
public:
    explicit recording_source_c(std::unique_ptr<source_c> inner) : inner_(std::move(inner)) {}
    int64_t read_at(uint64_t pos, void *buf, size_t len) const override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reads.emplace_back(pos, len);
        return inner_->read_at(pos, buf, len);
    }
    uint64_t size() const override { return inner_->size(); }
    QString description() const override { return inner_->description(); }
    mutable std::vector<std::pair<uint64_t, size_t>> reads;

private:
    std::unique_ptr<source_c> inner_;
    mutable std::mutex mutex_;
};

QString describe(const fat_info_s &info)
{
    return QString::fromUtf16(info.short_name) + QLatin1Char('|') + QString::fromUtf16(info.long_name) +
           QLatin1Char('|') + QString::number(info.attributes, 16);
}

} // namespace

class test_fat_reader : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    QByteArray floppy; // an empty FAT12 volume from mkfs.fat

private Q_SLOTS:
    void initTestCase()
    {
        VORN_REQUIRE_TOOL("mkfs.fat");
        const QString img = tmp.filePath(QStringLiteral("floppy.img"));
        QVERIFY(fat_make_image(img, 12, 1440));
        floppy = test_read_file(img);
        QCOMPARE(floppy.size(), 1440 * 1024);
    }
    void cleanupTestCase() { shutdown_sector_layer(); }

    void mount_checks_data()
    {
        QTest::addColumn<QByteArray>("sector");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("type");
        QTest::newRow("4085 clusters: FAT12") << boot_sector(4085, 16, false) << 0 << int(fat_12);
        QTest::newRow("4086 clusters: FAT16") << boot_sector(4086, 16, false) << 0 << int(fat_16);
        QTest::newRow("65525 clusters: FAT16") << boot_sector(65525, 16, false) << 0 << int(fat_16);
        QTest::newRow("65526 clusters: FAT32") << boot_sector(65526, 0, true) << 0 << int(fat_32);
        QTest::newRow("FAT32 with a fixed root") << boot_sector(65526, 16, true) << 13 << 0;
        QTest::newRow("FAT16 without a root") << boot_sector(5000, 0, false) << 13 << 0;
        auto patched = [](QByteArray s, int offset, QByteArray bytes) { return s.replace(offset, bytes.size(), bytes); };
        const QByteArray good = boot_sector(5000, 16, false);
        QTest::newRow("4096-byte sectors") << patched(good, 11, QByteArray("\x00\x10", 2)) << 13 << 0;
        QTest::newRow("zeroed") << QByteArray(512, '\0') << 13 << 0;
        QTest::newRow("no 55 AA") << patched(good, 510, QByteArray(2, '\0')) << 13 << 0;
        QTest::newRow("no FAT name") << patched(good, 54, "NTFS    ") << 13 << 0;
        QTest::newRow("three FATs") << patched(good, 16, "\x03") << 13 << 0;
        QTest::newRow("3 sectors per cluster") << patched(good, 13, "\x03") << 13 << 0;
        QTest::newRow("no sectors per cluster") << patched(good, 13, QByteArray(1, '\0')) << 13 << 0;
        QTest::newRow("root entries not a multiple of 16") << patched(good, 17, QByteArray("\x11\x00", 2)) << 13 << 0;
        QTest::newRow("no reserved sectors") << patched(good, 14, QByteArray(2, '\0')) << 13 << 0;
        QTest::newRow("FAT too small") << patched(good, 22, QByteArray("\x01\x00", 2)) << 13 << 0;
        QTest::newRow("total below the system area") << patched(good, 19, QByteArray("\x02\x00", 2)) << 13 << 0;
    }
    void mount_checks()
    {
        QFETCH(QByteArray, sector);
        QFETCH(int, result);
        QFETCH(int, type);
        fat_volume_s vol;
        QCOMPARE(mount(vol, sector), result);
        QCOMPARE(int(vol.fat_type), type);
    }

    // Which sector holds the boot sector: sector 0, or the binding's start sector.
    void binding_data()
    {
        QTest::addColumn<QString>("sector0");
        QTest::addColumn<int>("partition");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("clusters"); // tells the two boot sectors apart
        QTest::newRow("partition table, partition 1") << "mbr" << 1 << 0 << 5000;
        QTest::newRow("partition table, no number") << "mbr" << 0 << 0 << 5000;
        QTest::newRow("bare FAT, no number: sector 0") << "fat" << 0 << 0 << 3000;
        QTest::newRow("bare FAT, partition 2: start sector") << "fat" << 2 << 0 << 5000;
        QTest::newRow("zeroed sector 0, partition 1") << "zero" << 1 << 0 << 5000;
    }
    void binding()
    {
        QFETCH(QString, sector0);
        QFETCH(int, partition);
        QFETCH(int, result);
        QFETCH(int, clusters);
        QByteArray disk(2049 * 512, '\0');
        if (sector0 == QLatin1String("mbr")) {
            disk[510] = char(0x55);
            disk[511] = char(0xAA);
        } else if (sector0 == QLatin1String("fat")) {
            disk.replace(0, 512, boot_sector(3000, 16, false));
        }
        disk.replace(2048 * 512, 512, boot_sector(5000, 16, false));
        fat_volume_s vol;
        QCOMPARE(mount(vol, disk, partition, 2048), result);
        QCOMPARE(int(vol.fat_entries), clusters + 2);
    }

    void short_names_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("case_flags");
        QTest::addColumn<QString>("name");
        const QString gbk_e54f(QChar(0x9319));
        QTest::newRow("plain") << QByteArray("README  TXT") << 0 << "README.TXT";
        QTest::newRow("no extension") << QByteArray("FOO        ") << 0 << "FOO";
        QTest::newRow("lower-case name") << QByteArray("README  TXT") << 0x08 << "readme.TXT";
        QTest::newRow("lower-case extension") << QByteArray("README  TXT") << 0x10 << "README.txt";
        QTest::newRow("deleted mark keeps an ASCII second character") << QByteArray("\xE5OO     TXT") << 0 << "?OO.TXT";
        QTest::newRow("deleted mark absorbs a non-ASCII trail byte") << QByteArray("\xE5\xA1O     TXT") << 0 << QString(QChar(0x6FC9)) + "O.TXT";
        QTest::newRow("0x05 stands for 0xE5") << QByteArray("\x05OO     TXT") << 0 << gbk_e54f + "O.TXT";
        QTest::newRow("code page 936 pairs") << QByteArray("\xD6\xD0\xCE\xC4    TXT") << 0 << QString::fromUtf8("中文.TXT");
        QTest::newRow("pair not joined across the dot") << QByteArray("ABCDEFG\xD6\xD0\xCE\xC4") << 0 << "ABCDEFG?." + QString(QChar(0x5F62)) + "?";
        QTest::newRow("lead byte without trail") << QByteArray("\xD6 FOO   TXT") << 0 << "?.TXT";
        QTest::newRow("unmapped pair") << QByteArray("\xAA\xA1      TXT") << 0 << "?.TXT";
        QTest::newRow("single byte 0x80") << QByteArray("\x80       TXT") << 0 << QString(QChar(0x20AC)) + ".TXT";
    }
    void short_names()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, case_flags);
        QFETCH(QString, name);
        QByteArray entry = fat_short_entry(bytes, 0x20, 0, 0, 0, 0, static_cast<uint8_t>(case_flags));
        char16_t out[13];
        fat_decode_short_name(reinterpret_cast<const uint8_t *>(entry.constData()), out);
        QCOMPARE(QString::fromUtf16(out), name);
    }

    // Long names belong to the short entry that follows them only when every piece is there, in
    // order, with the right checksum.
    void long_names_data()
    {
        QTest::addColumn<QByteArray>("entries");
        QTest::addColumn<QStringList>("listing");
        const QByteArray sfn("ALONGF~1BIN");
        const QByteArray lfn = fat_long_entries(QStringLiteral("A long file name.bin"), sfn);
        const QByteArray file = fat_short_entry(sfn, 0x20, 5, 10);
        QTest::newRow("complete") << lfn + file << QStringList{"ALONGF~1.BIN|A long file name.bin|20"};
        QTest::newRow("checksum of another name")
            << lfn + fat_short_entry("OTHER   BIN", 0x20, 5, 10) << QStringList{"OTHER.BIN||20"};
        QTest::newRow("piece missing") << lfn.mid(32) + file << QStringList{"ALONGF~1.BIN||20"};
        QByteArray deleted = lfn + file;
        deleted[0] = char(0xE5);
        deleted[32] = char(0xE5);
        deleted[64] = char(0xE5);
        QTest::newRow("deleted") << deleted << QStringList{"?LONGF~1.BIN||60"};
        QTest::newRow("label between pieces and entry")
            << lfn + fat_short_entry("LABEL      ", 0x08, 0, 0) + file << QStringList{"ALONGF~1.BIN||20"};
        const QString longest(255, QChar('x'));
        QTest::newRow("255 characters")
            << fat_long_entries(longest, sfn) + file << QStringList{"ALONGF~1.BIN|" + longest + "|20"};
        QTest::newRow("260 characters do not fit")
            << fat_long_entries(QString(260, QChar('x')), sfn) + file << QStringList{"ALONGF~1.BIN||20"};
        QTest::newRow("dot entries skipped")
            << fat_short_entry(".          ", 0x10, 9, 0) + fat_short_entry("..         ", 0x10, 0, 0) + file
            << QStringList{"ALONGF~1.BIN||20"};
        QTest::newRow("ends at a zero slot")
            << file + QByteArray(32, '\0') + fat_short_entry("HIDDEN  TXT", 0x20, 6, 1)
            << QStringList{"ALONGF~1.BIN||20"};
    }
    void long_names()
    {
        QFETCH(QByteArray, entries);
        QFETCH(QStringList, listing);
        fat_patch_s img(floppy);
        img.put(img.root_slot(0), entries);
        fat_volume_s vol;
        QCOMPARE(mount(vol, img.bytes), 0);
        fat_dir_s dir;
        QCOMPARE(f_opendir(vol, dir, u"/"), 0);
        QStringList got;
        fat_info_s info;
        while (f_readdir(dir, &info) == 0 && info.short_name[0])
            got << describe(info);
        QCOMPARE(got, listing);
    }

    // A directory whose cluster chain loops ends instead of repeating forever; one whose chain
    // breaks still delivers the last entry of the cluster it could read.
    void directory_chains_data()
    {
        QTest::addColumn<uint32_t>("next_of_second");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("final_result");
        QTest::newRow("end of chain") << uint32_t(0xFFF) << 48 << 0;
        QTest::newRow("loop back to the first cluster") << uint32_t(100) << 48 << 2;
        QTest::newRow("loop onto itself") << uint32_t(101) << 48 << 2;
        QTest::newRow("cleared (deleted directory)") << uint32_t(0) << 48 << 2;
        QTest::newRow("beyond the last cluster") << uint32_t(0xFF0) << 48 << 0;
    }
    void directory_chains()
    {
        QFETCH(uint32_t, next_of_second);
        QFETCH(int, entries);
        QFETCH(int, final_result);
        // Clusters 100 -> 101 -> 102 -> next_of_second, 16 deleted files in each.
        fat_patch_s img(floppy);
        img.set_fat(100, 101);
        img.set_fat(101, 102);
        img.set_fat(102, next_of_second);
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 16; ++i)
                img.put(img.cluster_offset(100 + c) + i * 32,
                        fat_short_entry(QByteArray("\xE5") + QByteArray::number(c * 16 + i).leftJustified(10, ' '),
                                        0x20, 200 + c * 16 + i, 1));
        fat_volume_s vol;
        QCOMPARE(mount(vol, img.bytes), 0);
        fat_dir_s dir;
        QCOMPARE(f_opendir(vol, dir, u"/"), 0);
        QCOMPARE(fat_dir_open_cluster(dir, 100), 0);
        int count = 0;
        int r = 0;
        fat_info_s info;
        while ((r = f_readdir(dir, &info)) == 0 && info.short_name[0]) {
            QCOMPARE(info.first_cluster, uint32_t(200 + count));
            ++count;
        }
        QCOMPARE(count, entries);
        QCOMPARE(r, final_result);
    }

    void open_cluster_out_of_range()
    {
        fat_volume_s vol;
        QCOMPARE(mount(vol, floppy), 0);
        fat_dir_s dir;
        QCOMPARE(f_opendir(vol, dir, u"/"), 0);
        QCOMPARE(fat_dir_open_cluster(dir, 1), 2);
        fat_info_s info;
        QCOMPARE(f_readdir(dir, &info), 0);
        QCOMPARE(info.short_name[0], u'\0'); // nothing, and not the root's entries
        QCOMPARE(fat_dir_open_cluster(dir, vol.fat_entries), 2);
    }

    // Cluster k, k + 1, k + 2 hold "A", "B", "C"; the FAT says k -> k + 5 -> end. A deleted file
    // is read as contiguous, a live one by its chain.
    void file_clusters_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("result");
        QTest::newRow("deleted: contiguous") << true << QByteArray(512, 'A') + QByteArray(512, 'B') + QByteArray(512, 'C') << 0;
        QTest::newRow("live: by the FAT, chain too short") << false << QByteArray(512, 'A') + QByteArray(512, 'X') << 2;
    }
    void file_clusters()
    {
        QFETCH(bool, deleted);
        QFETCH(QByteArray, expected);
        QFETCH(int, result);
        fat_patch_s img(floppy);
        const uint32_t k = 300;
        img.put(img.cluster_offset(k), QByteArray(512, 'A'));
        img.put(img.cluster_offset(k + 1), QByteArray(512, 'B'));
        img.put(img.cluster_offset(k + 2), QByteArray(512, 'C'));
        img.put(img.cluster_offset(k + 5), QByteArray(512, 'X'));
        img.set_fat(k, k + 5);
        img.set_fat(k + 5, 0xFFF);
        fat_volume_s vol;
        QCOMPARE(mount(vol, img.bytes), 0);
        fat_file_s file;
        fat_file_setup(file, vol, k, 3 * 512);
        QByteArray got;
        int r = 0;
        for (;;) {
            char buf[700]; // not a multiple of the sector size
            uint32_t n = 0;
            r = f_read(file, buf, sizeof buf, n, deleted);
            got.append(buf, n);
            if (r != 0 || n == 0)
                break;
        }
        QCOMPARE(r, result);
        QCOMPARE(got, expected);
    }

    // A deleted file whose recorded size runs past the last cluster stops there.
    void file_past_the_end()
    {
        fat_volume_s vol;
        QCOMPARE(mount(vol, floppy), 0);
        fat_file_s file;
        fat_file_setup(file, vol, vol.fat_entries - 1, 4 * 512);
        char buf[4096];
        uint32_t n = 0;
        QCOMPARE(f_read(file, buf, sizeof buf, n, true), 2);
        QCOMPARE(n, 512u); // the last cluster was read, the next one does not exist
        QCOMPARE(f_read(file, buf, sizeof buf, n, true), 2); // the error sticks
    }

    // 4096-byte requests on 64-sector clusters are served as direct reads of 8 sectors.
    void direct_multi_sector_reads()
    {
        const QString img = tmp.filePath(QStringLiteral("big_clusters.img"));
        QVERIFY(fat_make_image(img, 16, 160 * 1024, {QStringLiteral("-s"), QStringLiteral("64")}));
        auto file_source = file_source_c::open(img);
        QVERIFY(file_source);
        auto recording = std::make_unique<recording_source_c>(std::move(file_source));
        recording_source_c *rec = recording.get();
        sector_layer_attach(test_drive, std::move(recording));
        fat_binding_s b;
        b.drive = test_drive;
        fat_volume_s vol;
        f_mount(vol, b);
        QCOMPARE(fat_mount_if_needed(vol), 0);
        QCOMPARE(int(vol.cluster_size), 64);
        fat_file_s file;
        fat_file_setup(file, vol, 10, 3 * 32768);
        rec->reads.clear();
        char buf[4096];
        uint32_t n = 0;
        int requests = 0;
        while (f_read(file, buf, sizeof buf, n, true) == 0 && n) {
            QCOMPARE(n, 4096u);
            ++requests;
        }
        QCOMPARE(requests, 24);
        QCOMPARE(rec->reads.size(), size_t(24));
        for (const auto &read : rec->reads)
            QCOMPARE(read.second, size_t(4096));
    }

    // The boot sector may claim more sectors than the volume's range holds: reads stop at the
    // range's end rather than run into what lies behind it.
    void reads_stay_inside_the_range()
    {
        QByteArray disk(2048 * 512, '\0');
        disk[510] = char(0x55);
        disk[511] = char(0xAA);
        disk += floppy;
        auto recording = std::make_unique<recording_source_c>(std::make_unique<memory_source_c>(disk));
        recording_source_c *rec = recording.get();
        sector_layer_attach(test_drive, std::move(recording));
        fat_binding_s b;
        b.drive = test_drive;
        b.partition_number = 1;
        b.start_sector = 2048;
        b.sector_limit = 1000;
        fat_volume_s vol;
        f_mount(vol, b);
        QCOMPARE(fat_mount_if_needed(vol), 0);
        const uint64_t end = (2048 + 1000) * 512;
        const uint32_t first_outside = static_cast<uint32_t>(2048 + 1000 - vol.data_start + 2);
        fat_file_s file;
        fat_file_setup(file, vol, first_outside - 9, 20 * 512);
        QByteArray buf(20 * 512, '\0');
        uint32_t n = 0;
        QCOMPARE(f_read(file, buf.data(), 20 * 512, n, true), 1);
        QCOMPARE(n, 9u * 512);
        for (const auto &read : rec->reads)
            QVERIFY(read.first + read.second <= end);
    }
};

QTEST_GUILESS_MAIN(test_fat_reader)
#include "test_fat_reader.moc"
