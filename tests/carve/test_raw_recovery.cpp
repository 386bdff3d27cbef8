// The deep-scan engine: the found-file handler and its grouping, copying files out, the scan
// file in both directions, and a whole scan of an image file.

#include "engines/carve/carve_config.h"
#include "engines/engine_factory.h"
#include "engines/raw_recovery.h"
#include "tests/carve/carve_fixtures.h"
#include "tests/support/test_tools.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

namespace {

QByteArray record(int64_t index, int64_t offset, int64_t size, const char *ext)
{
    QByteArray r(32, '\0');
    for (int i = 0; i < 8; ++i) {
        r[i] = char(uint64_t(index) >> (8 * i));
        r[8 + i] = char(uint64_t(offset) >> (8 * i));
        r[16 + i] = char(uint64_t(size) >> (8 * i));
    }
    std::memcpy(r.data() + 24, ext, std::min<size_t>(strlen(ext), 8));
    return r;
}

QByteArray header(const QByteArray &device)
{
    QByteArray h = device.left(255);
    h.resize(256, '\0');
    return h;
}

std::vector<int64_t> group(raw_recovery_c &e, const std::string &key)
{
    const auto it = e.by_extension.find(key);
    return it == e.by_extension.end() ? std::vector<int64_t>{} : it->second;
}

} // namespace

class test_raw_recovery : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString image_; // 4096 bytes, byte i = i * 7 mod 256
    QByteArray image_bytes_;

    QString path(const QString &name) const { return dir_.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        image_ = path(QStringLiteral("vol.img"));
        image_bytes_.resize(4096);
        for (int i = 0; i < image_bytes_.size(); ++i)
            image_bytes_[i] = char(i * 7);
        QVERIFY(test_write_file(image_, image_bytes_));
        carve_set_config({});
    }

    void handler_groups_by_extension()
    {
        raw_recovery_c e;
        raw_recovery_c::on_found(&e, "jpg", 0, 10);
        raw_recovery_c::on_found(&e, "doc", 512, 20);
        raw_recovery_c::on_found(&e, "jpg", 1024, 30);
        QCOMPARE(int(e.records.size()), 3);
        QCOMPARE(e.by_extension.size(), size_t(2));
        QCOMPARE(group(e, "jpg"), (std::vector<int64_t>{0, 2}));
        QCOMPARE(group(e, "doc"), (std::vector<int64_t>{1}));
        QCOMPARE(e.records[2].index, int64_t(2));
        QCOMPARE(e.records[2].offset, int64_t(1024));
        const QList<found_row_s> rows = e.found_rows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].name, QStringLiteral("00000001.doc"));
        QCOMPARE(rows[1].name, QStringLiteral("00000000.jpg"));
        QCOMPARE(rows[2].path, QStringLiteral("/jpg/00000002.jpg"));
        e.reset();
        QVERIFY(e.records.empty() && e.by_extension.empty());
        QVERIFY(e.by_extension.bucket_count() >= 8);
    }

    // A long extension is stored as 8 characters without terminator; the live key is the whole
    // text, the key after a save and load the stored 8 characters.
    void long_extension()
    {
        raw_recovery_c e;
        e.set_volume(volume_item_s{QString(), image_});
        raw_recovery_c::on_found(&e, "abcdefghij", 0, 100);
        QCOMPARE(QByteArray(e.records[0].extension, 8), QByteArray("abcdefgh"));
        QCOMPARE(group(e, "abcdefghij").size(), size_t(1));
        const QString sav = path(QStringLiteral("long.sav"));
        QCOMPARE(e.save_results(sav), 0);
        raw_recovery_c loaded;
        QCOMPARE(loaded.load_results(sav), image_);
        QCOMPARE(group(loaded, "abcdefgh").size(), size_t(1));
        QCOMPARE(loaded.found_rows().value(0).name, QStringLiteral("00000000.abcdefgh"));
    }

    void scan_file_sizes_data()
    {
        QTest::addColumn<int>("body");
        QTest::addColumn<int>("records"); // -1: refused
        QTest::newRow("header only") << 0 << -1;
        QTest::newRow("short header") << -1 << -1;
        QTest::newRow("one record and a byte") << 33 << -1;
        QTest::newRow("one record") << 32 << 1;
        QTest::newRow("two records") << 64 << 2;
    }
    void scan_file_sizes()
    {
        QFETCH(int, body);
        QFETCH(int, records);
        QByteArray file = header(image_.toUtf8());
        if (body < 0)
            file.chop(1);
        for (int i = 0; i + 32 <= body; i += 32)
            file += record(i / 32, 512 * (i / 32), 100, "png");
        if (body % 32)
            file += QByteArray(body % 32, 'z');
        const QString sav = path(QStringLiteral("sizes.sav"));
        QVERIFY(test_write_file(sav, file));
        raw_recovery_c e;
        raw_recovery_c::on_found(&e, "old", 0, 1);
        const QString device = e.load_results(sav);
        if (records < 0) {
            QVERIFY(device.isEmpty());
            QCOMPARE(int(e.records.size()), 1); // left as it was
        } else {
            QCOMPARE(device, image_);
            QCOMPARE(int(e.records.size()), records);
            QCOMPARE(group(e, "png").size(), size_t(records));
        }
    }

    void save_refusals()
    {
        raw_recovery_c e;
        const QString sav = path(QStringLiteral("empty.sav"));
        QCOMPARE(e.save_results(sav), -1);
        QVERIFY(!QFile::exists(sav));
        raw_recovery_c::on_found(&e, "png", 0, 1);
        QCOMPARE(e.save_results(path(QStringLiteral("no/such/folder.sav"))), -1);
        QCOMPARE(raw_recovery_c().load_results(path(QStringLiteral("missing.sav"))), QString());
    }

    // The device path survives a save and a load in UTF-8, cut to 255 bytes.
    void header_text_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("ascii") << "/dev/sdb1" << "/dev/sdb1";
        QTest::newRow("utf-8") << QString::fromUtf8("/media/jürgen/Fotos 照片.img") << QString::fromUtf8("/media/jürgen/Fotos 照片.img");
        QTest::newRow("trailing backslash removed") << "/dev/sdc1\\" << "/dev/sdc1";
        QTest::newRow("cut to 255 bytes") << ("/" + QString(300, 'a')) << ("/" + QString(254, 'a'));
        QTest::newRow("cut between characters") << ("/" + QString(199, 'a') + QString(30, QChar(0xE9)))
                                                 << ("/" + QString(199, 'a') + QString(27, QChar(0xE9)));
        QTest::newRow("cut inside a three-byte character") << ("/" + QString(253, 'a') + QString(3, QChar(0x7167)))
                                                           << ("/" + QString(253, 'a'));
    }
    void header_text()
    {
        QFETCH(QString, device);
        QFETCH(QString, loaded);
        raw_recovery_c e;
        e.set_volume(volume_item_s{QString(), device});
        raw_recovery_c::on_found(&e, "jpg", 512, 99);
        const QString sav = path(QStringLiteral("header.sav"));
        QCOMPARE(e.save_results(sav), 0);
        QCOMPARE(QFileInfo(sav).size(), qint64(256 + 32));
        raw_recovery_c back;
        QCOMPARE(back.load_results(sav), loaded);
        QCOMPARE(back.device_path(), loaded);
        QCOMPARE(back.records[0].offset, int64_t(512));
        QCOMPARE(back.records[0].size, int64_t(99));
    }

    // Records of a loaded file are checked against the volume named in its header.
    void loaded_records_checked()
    {
        QByteArray file = header(image_.toUtf8());
        file += record(0, 512, 100, "a");    // fine
        file += record(1, 5000, 100, "b");   // starts beyond the 4096-byte volume: dropped
        file += record(2, -512, 100, "c");   // negative offset: dropped
        file += record(3, 512, -5, "d");     // negative size: dropped
        file += record(4, 3072, 5000, "e");  // runs past the end: clipped to 1024
        file += record(99, 0, 10, "f");      // index names no record: not grouped
        const QString sav = path(QStringLiteral("hostile.sav"));
        QVERIFY(test_write_file(sav, file));
        raw_recovery_c e;
        QCOMPARE(e.load_results(sav), image_);
        QCOMPARE(int(e.records.size()), 6);
        QCOMPARE(group(e, "a").size(), size_t(1));
        for (const char *gone : {"b", "c", "d", "f"})
            QVERIFY2(group(e, gone).empty(), gone);
        QCOMPARE(e.records[4].size, int64_t(1024));
        QCOMPARE(e.found_rows().size(), 2);
        QCOMPARE(e.recover_file(1, path(QStringLiteral("b.out"))), -1);
    }

    void recover_data()
    {
        QTest::addColumn<qlonglong>("offset");
        QTest::addColumn<qlonglong>("size");
        QTest::addColumn<int>("result");
        QTest::addColumn<qlonglong>("from");   // first byte copied
        QTest::addColumn<qlonglong>("copied"); // bytes in the file
        QTest::newRow("on a sector start") << 1536ll << 1000ll << 0 << 1536ll << 1000ll;
        QTest::newRow("inside a sector: copied from its start") << 1000ll << 1000ll << 0 << 512ll << 1000ll;
        QTest::newRow("device ends early: partial file kept") << 3584ll << 1000ll << int(recover_partial) << 3584ll << 512ll;
        QTest::newRow("empty file") << 512ll << 0ll << 0 << 512ll << 0ll;
    }
    void recover()
    {
        QFETCH(qlonglong, offset);
        QFETCH(qlonglong, size);
        QFETCH(int, result);
        QFETCH(qlonglong, from);
        QFETCH(qlonglong, copied);
        raw_recovery_c e;
        e.set_volume(volume_item_s{QString(), image_});
        raw_recovery_c::on_found(&e, "bin", offset, size);
        const QString out = path(QStringLiteral("out.bin"));
        QCOMPARE(e.recover_file(0, out), result);
        QCOMPARE(test_read_file(out), image_bytes_.mid(from, copied));
    }

    void recover_refusals()
    {
        raw_recovery_c e;
        e.set_volume(volume_item_s{QString(), image_});
        raw_recovery_c::on_found(&e, "bin", 0, 10);
        QCOMPARE(e.recover_file(1, path(QStringLiteral("x"))), -1);
        QCOMPARE(e.recover_file(0, path(QStringLiteral("no/such/dir/x"))), -1);
        // The low 32 bits are the record number.
        QCOMPARE(e.recover_file(int64_t(1) << 32, path(QStringLiteral("hi.bin"))), 0);
        e.set_volume(volume_item_s{QString(), path(QStringLiteral("gone.img"))});
        QCOMPARE(e.recover_file(0, path(QStringLiteral("y"))), -1);
        QVERIFY(!QFile::exists(path(QStringLiteral("y"))));
    }

    // A whole deep scan of an image file through the engine, its thread and the factory.
    void scan_image()
    {
        const QByteArray pdf = build_pdf(true), rtf = build_rtf(), ole = build_ole(u"Workbook", 5000);
        const QByteArray disk = random_bytes(8192, 1) + pdf + QByteArray((-pdf.size()) & 511, 'x') +
                                random_bytes(4096, 2) + rtf + QByteArray((-rtf.size()) & 511, 'y') + ole +
                                random_bytes(10000, 3);
        const QString img = path(QStringLiteral("scan.img"));
        QVERIFY(test_write_file(img, disk));
        std::unique_ptr<recovery_base_c> engine = make_engine(engine_deep);
        auto *e = dynamic_cast<raw_recovery_c *>(engine.get());
        QVERIFY(e);
        e->set_volume(volume_item_s{img, img});
        e->start();
        QVERIFY(e->wait(60000));
        QCOMPARE(e->get_progress(), 1.0);
        QCOMPARE(e->get_stop(), 0);
        QCOMPARE(e->get_found_count(), 0);
        QCOMPARE(int(e->records.size()), 3);
        const QList<found_row_s> rows = e->found_rows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].extension, QStringLiteral("pdf"));
        QCOMPARE(rows[1].extension, QStringLiteral("rtf"));
        QCOMPARE(rows[2].name, QStringLiteral("00000002.xls"));
        const QString out = path(QStringLiteral("00000001.rtf"));
        QCOMPARE(e->recover_file(1, out), 0);
        QCOMPARE(test_read_file(out), rtf);

        // Saved and loaded back, the same rows.
        const QString sav = path(QStringLiteral("scan.sav"));
        QCOMPARE(e->save_results(sav), 0);
        raw_recovery_c back;
        QCOMPARE(back.load_results(sav), img);
        QCOMPARE(back.found_rows().size(), 3);
        QCOMPARE(back.found_rows()[2].size, uint64_t(ole.size()));
    }

    // Pause holds the scan; stop ends it even while paused.
    void pause_then_stop()
    {
        const QString img = path(QStringLiteral("big.img"));
        QVERIFY(test_make_sparse_file(img, 512ll * 1024 * 1024));
        raw_recovery_c e;
        e.set_volume(volume_item_s{img, img});
        e.start();
        QTest::qWait(20);
        e.set_pause(1);
        QTest::qWait(300);
        const double held = e.get_progress();
        QTest::qWait(300);
        if (e.isRunning())
            QCOMPARE(e.get_progress(), held);
        e.set_stop(stop_user);
        QVERIFY(e.wait(10000));
        QCOMPARE(e.get_stop(), int(stop_user));
    }
};

QTEST_GUILESS_MAIN(test_raw_recovery)
#include "test_raw_recovery.moc"
