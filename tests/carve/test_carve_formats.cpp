// Each format, embedded at a sector boundary between old data, is carved exactly: one file, at
// its offset, of its size, with its extension. Damaged copies never bring the scan down.

#include "engines/carve/carve_config.h"
#include "engines/carve/sc_api.h"
#include "platform/source.h"
#include "tests/carve/carve_fixtures.h"
#include "tests/support/test_tools.h"

#include <QTemporaryDir>
#include <QTest>
#include <random>

class test_carve_formats : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QHash<QString, fixture_s> fixtures_;

    const fixture_s &fixture(const QString &kind)
    {
        auto it = fixtures_.find(kind);
        if (it == fixtures_.end())
            it = fixtures_.insert(kind, make_fixture(kind, dir_.path()));
        return it.value();
    }

    static void add_kind_rows()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("extension");
        for (const auto &[kind, ext] : fixture_kinds())
            QTest::newRow(qPrintable(kind)) << kind << ext;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        carve_set_config({});
    }

    void carved_exactly_data() { add_kind_rows(); }
    void carved_exactly()
    {
        QFETCH(QString, kind);
        QFETCH(QString, extension);
        const fixture_s &f = fixture(kind);
        if (f.bytes.isEmpty())
            QSKIP(qPrintable(f.skip));
        const qsizetype offset = 512 * 37;
        const QByteArray image = random_bytes(offset, 1) + f.bytes + random_bytes(64 * 1024 + 77, 2);
        const QList<carved_s> found = carve_memory(image);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].extension, extension.toLatin1());
        QCOMPARE(found[0].offset, int64_t(offset));
        QCOMPARE(found[0].size, int64_t(f.bytes.size()));
    }

    // Several files back to back, the second straddling the scanner's 8 MiB block boundary so
    // that its walk reads through the source rather than the block in memory.
    void across_block_boundary_data() { add_kind_rows(); }
    void across_block_boundary()
    {
        QFETCH(QString, kind);
        const fixture_s &f = fixture(kind);
        if (f.bytes.isEmpty())
            QSKIP(qPrintable(f.skip));
        const qsizetype boundary = 8 * 1024 * 1024;
        const qsizetype second = boundary - (f.bytes.size() / 2 + 511) / 512 * 512;
        static const QByteArray old_data = random_bytes(9 * 1024 * 1024, 3);
        QByteArray image = old_data.left(second + f.bytes.size() + 4096);
        image.replace(0, f.bytes.size(), f.bytes);
        image.replace(second, f.bytes.size(), f.bytes);
        const QList<carved_s> found = carve_memory(image);
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[1].offset, int64_t(second));
        QCOMPARE(found[1].size, int64_t(f.bytes.size()));
    }

    // Cut short or with bytes overwritten, a file must never crash or hang the scan, and what is
    // reported stays inside the image.
    void damaged_data() { add_kind_rows(); }
    void damaged()
    {
        QFETCH(QString, kind);
        const fixture_s &f = fixture(kind);
        if (f.bytes.isEmpty())
            QSKIP(qPrintable(f.skip));
        std::mt19937 gen(uint32_t(qHash(kind)));
        for (int round = 0; round < 40; ++round) {
            QByteArray copy = f.bytes;
            if (round % 2 == 0) {
                copy.truncate(qsizetype(gen() % uint32_t(copy.size())));
            } else {
                // Overwrite a few bytes, mostly in the headers where the lengths are.
                for (int k = 0; k < 4; ++k) {
                    const qsizetype at = qsizetype(gen() % uint32_t(std::min<qsizetype>(copy.size(), 600)));
                    copy[at] = char(k % 2 ? 0xFF : gen());
                }
            }
            const QByteArray image = copy + random_bytes(2048, uint32_t(round));
            for (const carved_s &c : carve_memory(image)) {
                QVERIFY(c.offset >= 0 && c.size > 0);
                QVERIFY(c.offset + c.size <= image.size());
            }
        }
    }

    // A picture inside another file is not reported a second time.
    void embedded_not_reported_twice()
    {
        const fixture_s &jpg = fixture(QStringLiteral("jpg"));
        if (jpg.bytes.isEmpty())
            QSKIP(qPrintable(jpg.skip));
        const QByteArray inner = QByteArray(512 - 30 - 8, 'a') + jpg.bytes; // lands on a sector start
        QTemporaryDir zdir;
        test_write_file(zdir.filePath(QStringLiteral("in.jpg")), jpg.bytes);
        const QString out = zdir.filePath(QStringLiteral("a.zip"));
        const QString script = QStringLiteral(
            "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1],'w')\n"
            "z.writestr('pad',b'a'*%1,zipfile.ZIP_STORED)\n"
            "z.write(sys.argv[2],'in.jpg',zipfile.ZIP_STORED)\nz.close()\n").arg(512 - 30 - 3);
        QCOMPARE(test_run_tool(QStringLiteral("python3"), {QStringLiteral("-c"), script, out,
                               zdir.filePath(QStringLiteral("in.jpg"))}), 0);
        const QByteArray zip = test_read_file(out);
        Q_UNUSED(inner);
        const QByteArray image = zip + random_bytes(4096, 8);
        const QList<carved_s> found = carve_memory(image);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].extension, QByteArray("zip"));
        QCOMPARE(found[0].size, int64_t(zip.size()));
    }

    // Headers are tested at sector starts only: a file that starts elsewhere is not found.
    void sector_aligned_only()
    {
        const QByteArray png = build_pdf(false);
        const QByteArray image = random_bytes(1000, 4) + png + random_bytes(3000, 5);
        QCOMPARE(carve_memory(image).size(), 0);
    }

    void stop_and_progress()
    {
        const QByteArray image = random_bytes(20 * 1024 * 1024, 6);
        memory_source_c source(image);
        sc_scan_params params;
        sc_scan_source(&params, source);
        QCOMPARE(params.progress.load(), 1.0);

        sc_scan_params stopped;
        stopped.stop.store(3);
        sc_scan_source(&stopped, source);
        QVERIFY(stopped.progress.load() < 1.0);
    }
};

QTEST_GUILESS_MAIN(test_carve_formats)
#include "test_carve_formats.moc"
