// Damaged and hostile NTFS images: each case corrupts one structure of a real image; the scan
// must end, skip what is broken, keep what is sound, and extraction must neither crash nor read
// outside the volume.

#include "engines/ntfs/ntfs_layout.h"
#include "engines/ntfs/ntfs_volume.h"
#include "engines/ntfs_recovery.h"
#include "tests/ntfs/ntfs_fixture.h"
#include "tests/support/test_tools.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <functional>

namespace {

// Offsets of records in the image, from our own reader of the pristine image.
struct layout_s {
    uint32_t record_size = 0;
    uint32_t cluster_size = 0;
    std::vector<ntfs::run_s> mft_runs;
    QHash<QString, int64_t> record_of; // path -> record number

    qint64 record_offset(int64_t n) const
    {
        const uint64_t byte = uint64_t(n) * record_size;
        for (const ntfs::run_s &r : mft_runs)
            if (byte / cluster_size >= uint64_t(r.vcn) && byte / cluster_size < uint64_t(r.vcn) + r.length)
                return qint64(uint64_t(r.lcn) * cluster_size + byte - uint64_t(r.vcn) * cluster_size);
        return -1;
    }
};

// Edits a record as the reader sees it: undo the fixups, change, redo them.
void patch_record(QByteArray &image, qint64 offset, uint32_t size, const std::function<void(uint8_t *)> &edit)
{
    auto *r = reinterpret_cast<uint8_t *>(image.data() + offset);
    const uint16_t usa = ntfs::le16(r + 4), count = ntfs::le16(r + 6);
    for (uint16_t i = 1; i < count; ++i)
        std::memcpy(r + i * 512 - 2, r + usa + 2 * i, 2);
    edit(r);
    for (uint16_t i = 1; i < count && i * 512u <= size; ++i) {
        std::memcpy(r + usa + 2 * i, r + i * 512 - 2, 2);
        std::memcpy(r + i * 512 - 2, r + usa, 2);
    }
}

// Offset of the first attribute of type in a (fixed-up) record, or -1.
int attribute_offset(const uint8_t *r, uint32_t type)
{
    uint32_t off = ntfs::le16(r + 0x14);
    while (off + 8 < 1024 && ntfs::le32(r + off) != ntfs::attr_end) {
        if (ntfs::le32(r + off) == type)
            return int(off);
        const uint32_t len = ntfs::le32(r + off + 4);
        if (len == 0)
            return -1;
        off += len;
    }
    return -1;
}

} // namespace

class test_ntfs_damage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ntfs_fixture_s fx_;
    QByteArray pristine_;
    layout_s layout_;

    void edit_attribute(QByteArray &img, const QString &path, uint32_t type,
                        const std::function<void(uint8_t *record, int attr)> &edit)
    {
        const qint64 off = layout_.record_offset(layout_.record_of.value(path));
        QVERIFY(off > 0);
        patch_record(img, off, layout_.record_size, [&](uint8_t *r) {
            const int a = attribute_offset(r, type);
            if (a > 0)
                edit(r, a);
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        fx_.error = ntfs_fixture_unavailable();
        if (!fx_.error.isEmpty())
            return;
        fx_ = build_ntfs_fixture(dir_.path());
        if (!fx_.error.isEmpty())
            return;
        pristine_ = test_read_file(fx_.image);
        use_image_as_volume(fx_.image);
        ntfs_recovery_c engine;
        engine.set_volume(volume_list[1]);
        engine.start();
        QVERIFY(engine.wait(60000));
        for (const found_row_s &row : engine.found_rows())
            layout_.record_of.insert(row.path, row.id);
        std::unique_ptr<ntfs::volume_c> v;
        QCOMPARE(ntfs::volume_c::open(std::make_unique<memory_source_c>(pristine_), v), 0);
        layout_.record_size = v->geometry().record_size;
        layout_.cluster_size = v->geometry().cluster_size;
        layout_.mft_runs = v->mft_runs();
    }

    void damage_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("missing");   // a path the scan must not list
        QTest::addColumn<QString>("present");   // a path it must still list
        QTest::addColumn<QString>("extract");   // a path whose extraction must fail
        QTest::newRow("random bytes over the MFT") << "random_mft" << true << "" << "" << "";
        QTest::newRow("random bytes over $MFT itself") << "random_record0" << true << "" << "/docs/big.bin" << "";
        QTest::newRow("attribute length 0") << "attr_zero" << true << "/docs/big.bin" << "/docs/a.txt" << "/docs/big.bin";
        QTest::newRow("attribute beyond the record") << "attr_huge" << true << "/docs/big.bin" << "/docs/a.txt" << "";
        QTest::newRow("cut-off runlist") << "runlist_cut" << true << "" << "/docs/big.bin" << "/docs/big.bin";
        QTest::newRow("runlist outside the volume") << "runlist_outside" << true << "" << "/docs/big.bin" << "/docs/big.bin";
        QTest::newRow("torn record") << "torn" << true << "/docs/big.bin" << "/docs/a.txt" << "/docs/big.bin";
        QTest::newRow("cycle in parent references") << "cycle" << true << "/a/b/c/d/e/f/g/h/deep.txt" << "/a/b/mid.bin" << "";
        QTest::newRow("directory is its own parent") << "self_parent" << true << "/names/emoji 😀.txt" << "/docs/a.txt" << "";
        QTest::newRow("0 sectors per cluster") << "boot_spc0" << false << "" << "" << "";
        QTest::newRow("huge record size") << "boot_record" << false << "" << "" << "";
        QTest::newRow("MFT beyond the volume") << "boot_mft" << false << "" << "" << "";
        QTest::newRow("$MFT runlist beyond the volume") << "mft_runs_outside" << false << "" << "" << "";
        QTest::newRow("$MFT claims a huge size") << "mft_size" << true << "" << "/docs/big.bin" << "";
    }
    void damage()
    {
        if (!fx_.error.isEmpty())
            QSKIP(qPrintable(fx_.error));
        QFETCH(QString, kind);
        QFETCH(bool, opens);
        QFETCH(QString, missing);
        QFETCH(QString, present);
        QFETCH(QString, extract);
        QByteArray img = pristine_;
        const uint32_t rs = layout_.record_size;
        auto boot = reinterpret_cast<uint8_t *>(img.data());
        const qint64 mft0 = layout_.record_offset(0);
        if (kind == QLatin1String("random_mft")) {
            QRandomGenerator gen(42);
            for (int64_t n = 16; n < 4000; n += 3) { // every third record from 16 on
                const qint64 off = layout_.record_offset(n);
                for (uint32_t i = 0; off > 0 && i < rs; ++i)
                    img[off + i] = char(gen.bounded(256));
            }
        } else if (kind == QLatin1String("random_record0")) {
            QRandomGenerator gen(7);
            for (uint32_t i = 0; i < rs; ++i)
                img[mft0 + i] = char(gen.bounded(256)); // the copy in $MFTMirr is still sound
        } else if (kind == QLatin1String("attr_zero") || kind == QLatin1String("attr_huge")) {
            const uint32_t len = kind == QLatin1String("attr_zero") ? 0 : 0x7FFFFFF8;
            edit_attribute(img, QStringLiteral("/docs/big.bin"), ntfs::attr_standard_information,
                           [len](uint8_t *r, int a) { std::memcpy(r + a + 4, &len, 4); });
        } else if (kind == QLatin1String("runlist_cut") || kind == QLatin1String("runlist_outside")) {
            const bool outside = kind == QLatin1String("runlist_outside");
            edit_attribute(img, QStringLiteral("/docs/big.bin"), ntfs::attr_data, [outside](uint8_t *r, int a) {
                const uint32_t len = ntfs::le32(r + a + 4);
                uint8_t *pairs = r + a + ntfs::le16(r + a + 0x20);
                const size_t room = size_t(r + a + len - pairs);
                if (outside) {
                    // One run of 16 clusters at cluster 2^36.
                    const uint8_t run[] = {0x51, 0x10, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00};
                    std::memcpy(pairs, run, std::min(room, sizeof run));
                } else {
                    std::memset(pairs, 0x44, room); // every pair claims more bytes than remain
                }
            });
        } else if (kind == QLatin1String("torn")) {
            const qint64 off = layout_.record_offset(layout_.record_of.value(QStringLiteral("/docs/big.bin")));
            img[off + 1022] = char(img[off + 1022] ^ 0x5A);
        } else if (kind == QLatin1String("cycle") || kind == QLatin1String("self_parent")) {
            const bool cycle = kind == QLatin1String("cycle");
            const QString path = cycle ? QStringLiteral("/a/b/c") : QStringLiteral("/names");
            const uint64_t parent = uint64_t(layout_.record_of.value(cycle ? QStringLiteral("/a/b/c/d") : path));
            QVERIFY(parent > 0);
            edit_attribute(img, path, ntfs::attr_file_name, [parent](uint8_t *r, int a) {
                uint8_t *value = r + a + ntfs::le16(r + a + 0x14);
                std::memcpy(value, &parent, 6);
            });
        } else if (kind == QLatin1String("boot_spc0")) {
            boot[0x0D] = 0;
        } else if (kind == QLatin1String("boot_record")) {
            boot[0x40] = 0x7F;
        } else if (kind == QLatin1String("boot_mft")) {
            const uint64_t far = uint64_t(1) << 40;
            std::memcpy(boot + 0x30, &far, 8);
        } else if (kind == QLatin1String("mft_runs_outside") || kind == QLatin1String("mft_size")) {
            const bool runs = kind == QLatin1String("mft_runs_outside");
            for (qint64 copy : {mft0, layout_.record_offset(1) > 0 ? qint64(ntfs::le64(boot + 0x38)) * layout_.cluster_size : -1}) {
                if (copy <= 0)
                    continue;
                patch_record(img, copy, rs, [runs](uint8_t *r) {
                    const int a = attribute_offset(r, ntfs::attr_data);
                    if (a <= 0)
                        return;
                    if (runs) {
                        uint8_t *pairs = r + a + ntfs::le16(r + a + 0x20);
                        const uint8_t run[] = {0x51, 0x40, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00};
                        std::memcpy(pairs, run, sizeof run);
                    } else {
                        const uint64_t huge = uint64_t(1) << 50;
                        std::memcpy(r + a + 0x30, &huge, 8);
                    }
                });
            }
        }
        const QString image = dir_.filePath(QStringLiteral("damaged.img"));
        QVERIFY(test_write_file(image, img));
        use_image_as_volume(image, QStringLiteral("/mnt/x"));

        ntfs_recovery_c engine;
        engine.set_volume(volume_list[1]);
        engine.start();
        QVERIFY(engine.wait(60000));
        QCOMPARE(!engine.found_index().isEmpty(), opens);
        QHash<QString, found_row_s> rows;
        for (const found_row_s &row : engine.found_rows())
            rows.insert(row.path, row);
        if (!missing.isEmpty())
            QVERIFY2(!rows.contains(missing), qPrintable(missing));
        if (!present.isEmpty())
            QVERIFY2(rows.contains(present), qPrintable(present));

        // Every indexed entry: a path or -1, and an extraction that ends and stays in bounds.
        const QString out = dir_.filePath(QStringLiteral("x.bin"));
        for (auto it = engine.found_index().cbegin(); it != engine.found_index().cend(); ++it) {
            QString path;
            const int r = engine.get_file_path(it.key(), path);
            QVERIFY(r == 0 || r == -1);
            if (it->flags & ntfs_flag_file) {
                engine.recover_file(it.key(), out);
                QVERIFY(QFileInfo(out).size() <= qMax<qint64>(it->size, 0));
            }
        }
        if (!extract.isEmpty()) {
            const int64_t id = layout_.record_of.value(extract);
            QVERIFY(engine.recover_file(id, out) < 0);
        }
        if (kind == QLatin1String("runlist_outside"))
            QCOMPARE(engine.recover_file(layout_.record_of.value(extract), out), int32_t(ntfs_x_outside));
    }
};

QTEST_GUILESS_MAIN(test_ntfs_damage)
#include "test_ntfs_damage.moc"
