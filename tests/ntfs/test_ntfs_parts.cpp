// The NTFS reader's stages on small hand-made buffers: boot sector, record fixups, attribute
// walk, runlist decoding and LZNT1.

#include "engines/ntfs/attributes.h"
#include "engines/ntfs/boot_sector.h"
#include "engines/ntfs/lznt1.h"
#include "engines/ntfs/mft_record.h"
#include "engines/ntfs/ntfs_layout.h"
#include "engines/ntfs/runlist.h"

#include <QTest>

#include <cstring>

using namespace ntfs;

namespace {

QByteArray boot_sector(uint16_t bps, uint8_t spc, int8_t cpr, uint64_t sectors, uint64_t mft)
{
    QByteArray s(512, 0);
    auto *p = reinterpret_cast<uint8_t *>(s.data());
    std::memcpy(p + 3, "NTFS    ", 8);
    p[0x0B] = uint8_t(bps);
    p[0x0C] = uint8_t(bps >> 8);
    p[0x0D] = spc;
    std::memcpy(p + 0x28, &sectors, 8);
    std::memcpy(p + 0x30, &mft, 8);
    const uint64_t mirr = 2;
    std::memcpy(p + 0x38, &mirr, 8);
    p[0x40] = uint8_t(cpr);
    p[510] = 0x55;
    p[511] = 0xAA;
    return s;
}

void put16(QByteArray &b, int off, uint16_t v) { std::memcpy(b.data() + off, &v, 2); }
void put32(QByteArray &b, int off, uint32_t v) { std::memcpy(b.data() + off, &v, 4); }

// A 1024-byte record with fixups applied as on disk, one resident attribute of attr_length bytes
// (a $FILE_NAME of value_length bytes) and an end marker.
QByteArray record(uint32_t attr_length, uint32_t value_length, uint16_t usn = 0x0007)
{
    QByteArray r(1024, 0);
    std::memcpy(r.data(), "FILE", 4);
    put16(r, 0x04, 0x30);
    put16(r, 0x06, 3);
    put16(r, 0x14, 0x38);
    put16(r, 0x16, 0x0001);
    put32(r, 0x18, 0x200);
    put32(r, 0x1C, 1024);
    put32(r, 0x38, attr_file_name);
    put32(r, 0x3C, attr_length);
    put32(r, 0x38 + 0x10, value_length);
    put16(r, 0x38 + 0x14, 0x18);
    if (attr_length >= 0x18 && attr_length < 0x100)
        put32(r, 0x38 + int(attr_length), attr_end);
    // Fixups: the last word of each 512-byte stride moves into the array, the USN replaces it.
    put16(r, 0x30, usn);
    for (int i = 1; i <= 2; ++i) {
        std::memcpy(r.data() + 0x30 + 2 * i, r.data() + 512 * i - 2, 2);
        put16(r, 512 * i - 2, usn);
    }
    return r;
}

} // namespace

class test_ntfs_parts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boot_data()
    {
        QTest::addColumn<QByteArray>("sector");
        QTest::addColumn<int>("result");
        QTest::addColumn<uint>("record_size");
        QTest::addColumn<uint>("cluster_size");
        const uint64_t big = 100000;
        QTest::newRow("usual") << boot_sector(512, 8, -10, big, 4) << int(boot_ok) << 1024u << 4096u;
        QTest::newRow("records of two clusters") << boot_sector(512, 1, 2, big, 4) << int(boot_ok) << 1024u << 512u;
        QTest::newRow("4k sectors, 4k records") << boot_sector(4096, 1, -12, big, 4) << int(boot_ok) << 4096u << 4096u;
        QTest::newRow("cluster as negative shift") << boot_sector(512, 0xF4, -10, big * 64, 4) << int(boot_ok) << 1024u << 2097152u;
        QTest::newRow("0 sectors per cluster") << boot_sector(512, 0, -10, big, 4) << int(boot_geometry) << 0u << 0u;
        QTest::newRow("3 sectors per cluster") << boot_sector(512, 3, -10, big, 4) << int(boot_geometry) << 0u << 0u;
        QTest::newRow("huge record size (clusters)") << boot_sector(512, 128, 127, big, 4) << int(boot_geometry) << 0u << 0u;
        QTest::newRow("huge record size (shift)") << boot_sector(512, 8, -31, big, 4) << int(boot_geometry) << 0u << 0u;
        QTest::newRow("record size 0") << boot_sector(512, 8, 0, big, 4) << int(boot_geometry) << 0u << 0u;
        QTest::newRow("bytes per sector 0") << boot_sector(0, 8, -10, big, 4) << int(boot_geometry) << 0u << 0u;
        QTest::newRow("no sectors") << boot_sector(512, 8, -10, 0, 4) << int(boot_geometry) << 0u << 0u;
        QTest::newRow("volume beyond 2^62 bytes") << boot_sector(512, 8, -10, uint64_t(1) << 60, 4) << int(boot_geometry) << 0u << 0u;
        QTest::newRow("MFT beyond the volume") << boot_sector(512, 8, -10, big, big) << int(boot_location) << 0u << 0u;
        QByteArray fat = boot_sector(512, 8, -10, big, 4);
        std::memcpy(fat.data() + 3, "MSDOS5.0", 8);
        QTest::newRow("not NTFS") << fat << int(boot_not_ntfs) << 0u << 0u;
    }
    void boot()
    {
        QFETCH(QByteArray, sector);
        QFETCH(int, result);
        QFETCH(uint, record_size);
        QFETCH(uint, cluster_size);
        geometry_s g;
        QCOMPARE(parse_boot_sector(reinterpret_cast<const uint8_t *>(sector.constData()), 0, g), result);
        if (result == boot_ok) {
            QCOMPARE(g.record_size, record_size);
            QCOMPARE(g.cluster_size, cluster_size);
        }
    }

    void fixups_data()
    {
        QTest::addColumn<QByteArray>("rec");
        QTest::addColumn<int>("result");
        QByteArray good = record(0x60, 0x42);
        put16(good, 0x30 + 2, 0xBEEF); // the saved word comes back at offset 510
        QTest::newRow("good") << good << int(record_ok);
        QByteArray torn = record(0x60, 0x42);
        torn[1022] = 0x55; // the second stride was written by another update
        QTest::newRow("torn second sector") << torn << int(record_bad_fixup);
        QByteArray count = record(0x60, 0x42);
        put16(count, 0x06, 9);
        QTest::newRow("update sequence too long") << count << int(record_bad_header);
        QByteArray usa = record(0x60, 0x42);
        put16(usa, 0x04, 1020);
        QTest::newRow("update sequence beyond the record") << usa << int(record_bad_header);
        QByteArray in_use = record(0x60, 0x42);
        put32(in_use, 0x18, 5000);
        QTest::newRow("bytes in use beyond the record") << in_use << int(record_bad_header);
        QByteArray baad = record(0x60, 0x42);
        std::memcpy(baad.data(), "BAAD", 4);
        QTest::newRow("BAAD") << baad << int(record_no_magic);
        QTest::newRow("zeros") << QByteArray(1024, 0) << int(record_no_magic);
    }
    void fixups()
    {
        QFETCH(QByteArray, rec);
        QFETCH(int, result);
        record_header_s h;
        auto *p = reinterpret_cast<uint8_t *>(rec.data());
        QCOMPARE(load_record(p, 1024, h), result);
        if (result == record_ok) {
            QCOMPARE(uint16_t(p[510] | p[511] << 8), uint16_t(0xBEEF));
            QCOMPARE(uint16_t(p[1022] | p[1023] << 8), uint16_t(0));
        }
    }

    void attribute_walk_data()
    {
        QTest::addColumn<uint>("attr_length");
        QTest::addColumn<uint>("value_length");
        QTest::addColumn<bool>("walked");
        QTest::addColumn<bool>("name_parsed");
        QTest::newRow("good") << 0x60u << 0x42u << true << true;
        QTest::newRow("length 0") << 0u << 0x42u << false << false;
        QTest::newRow("length not a multiple of 8") << 0x61u << 0x42u << false << false;
        QTest::newRow("length beyond bytes in use") << 0x10000u << 0x42u << false << false;
        QTest::newRow("value beyond the attribute") << 0x60u << 0x400u << false << false;
        QTest::newRow("value too short for a name") << 0x60u << 0x20u << true << false;
    }
    void attribute_walk()
    {
        QFETCH(uint, attr_length);
        QFETCH(uint, value_length);
        QFETCH(bool, walked);
        QFETCH(bool, name_parsed);
        QByteArray rec = record(attr_length, value_length);
        auto *p = reinterpret_cast<uint8_t *>(rec.data());
        record_header_s h;
        QCOMPARE(load_record(p, 1024, h), int(record_ok));
        attribute_walker_c walker(p, h);
        attribute_s a;
        int count = 0;
        bool parsed = false;
        while (walker.next(a)) {
            ++count;
            file_name_s fn;
            parsed = parse_file_name(a, fn);
            QVERIFY(a.value >= p && a.value + a.value_length <= p + h.bytes_in_use);
        }
        QCOMPARE(count, walked ? 1 : 0);
        QCOMPARE(parsed, name_parsed);
    }

    void runlists_data()
    {
        QTest::addColumn<QByteArray>("pairs");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("runs"); // "vcn:lcn:length ..." with lcn -1 for sparse
        QTest::newRow("one run") << QByteArray::fromHex("21 18 34 56 00") << int(runlist_ok) << "0:22068:24";
        QTest::newRow("negative delta") << QByteArray::fromHex("11 10 40 11 08 f0 00") << int(runlist_ok)
                                        << "0:64:16 16:48:8";
        QTest::newRow("sparse between") << QByteArray::fromHex("11 04 20 01 10 11 04 10 00") << int(runlist_ok)
                                        << "0:32:4 4:-1:16 20:48:4";
        QTest::newRow("cut off inside a pair") << QByteArray::fromHex("31 20 00") << int(runlist_truncated) << "";
        QTest::newRow("no end marker") << QByteArray::fromHex("11 04 20") << int(runlist_truncated) << "0:32:4";
        QTest::newRow("zero length") << QByteArray::fromHex("11 00 20 00") << int(runlist_malformed) << "";
        QTest::newRow("negative length") << QByteArray::fromHex("11 f0 20 00") << int(runlist_malformed) << "";
        QTest::newRow("before cluster 0") << QByteArray::fromHex("11 04 20 11 04 c0 00") << int(runlist_malformed)
                                          << "0:32:4";
        QTest::newRow("nine length bytes") << QByteArray::fromHex("19 01 01 01 01 01 01 01 01 01 00")
                                           << int(runlist_malformed) << "";
    }
    void runlists()
    {
        QFETCH(QByteArray, pairs);
        QFETCH(int, result);
        QFETCH(QString, runs);
        std::vector<run_s> out;
        QCOMPARE(decode_runlist(reinterpret_cast<const uint8_t *>(pairs.constData()), size_t(pairs.size()), 0, out), result);
        QStringList got;
        for (const run_s &r : out)
            got << QStringLiteral("%1:%2:%3").arg(r.vcn).arg(r.lcn).arg(r.length);
        QCOMPARE(got.join(QLatin1Char(' ')), runs);
    }

    void runs_inside_volume()
    {
        QVERIFY(runs_inside({{0, 10, 5}, {5, -1, 1000000}}, 15));
        QVERIFY(!runs_inside({{0, 10, 6}}, 15));
        QVERIFY(!runs_inside({{0, 15, 1}}, 15));
    }

    void lznt1_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<int>("covered");
        QTest::addColumn<QByteArray>("expected");
        // "abc" then a back reference 3 back, 9 long: the overlap repeats the pattern.
        QTest::newRow("back reference") << QByteArray::fromHex("05b0 08 616263 0620") << 12 << QByteArray("abcabcabcabc");
        QTest::newRow("literals") << QByteArray::fromHex("04b0 00 61626364 0000") << 4 << QByteArray("abcd");
        QByteArray raw = QByteArray::fromHex("ff3f") + QByteArray(4096, 'r');
        QTest::newRow("stored chunk then a compressed one")
            << raw + QByteArray::fromHex("02b0 00 7879") << 4098 << QByteArray(4096, 'r') + "xy";
        QTest::newRow("reference before the chunk start") << QByteArray::fromHex("02b0 01 0010") << -1 << QByteArray();
        QTest::newRow("reference too far back") << QByteArray::fromHex("03b0 02 61 0070") << -1 << QByteArray();
        QTest::newRow("chunk longer than the input") << QByteArray::fromHex("ffb0 00 61") << -1 << QByteArray();
        QTest::newRow("empty") << QByteArray() << 0 << QByteArray();
    }
    void lznt1()
    {
        QFETCH(QByteArray, in);
        QFETCH(int, covered);
        QFETCH(QByteArray, expected);
        QByteArray out(16384, 0);
        const int64_t n = lznt1_decompress(reinterpret_cast<const uint8_t *>(in.constData()), size_t(in.size()),
                                           reinterpret_cast<uint8_t *>(out.data()), size_t(out.size()));
        QCOMPARE(n, int64_t(covered));
        if (n > 0)
            QCOMPARE(out.left(n), expected);
    }
};

QTEST_GUILESS_MAIN(test_ntfs_parts)
#include "test_ntfs_parts.moc"
