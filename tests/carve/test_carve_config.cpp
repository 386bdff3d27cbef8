// The carving configuration: byte patterns, sizes, formats switched off or capped, and the
// user's own signatures.

#include "engines/carve/carve_config.h"
#include "engines/carve/sc_api.h"
#include "tests/carve/carve_fixtures.h"
#include "tests/support/test_tools.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(std::vector<int16_t>)

class test_carve_config : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { carve_set_config({}); }

    void patterns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<std::vector<int16_t>>("bytes");
        QTest::newRow("hex") << "\\x41\\xfF" << true << std::vector<int16_t>{0x41, 0xFF};
        QTest::newRow("plain and wildcard") << "a?b" << true << std::vector<int16_t>{'a', -1, 'b'};
        QTest::newRow("escapes") << "\\s\\n\\r\\t\\\\\\?\\0" << true << std::vector<int16_t>{' ', '\n', '\r', '\t', '\\', '?', 0};
        QTest::newRow("short hex") << "\\x4" << false << std::vector<int16_t>{};
        QTest::newRow("bad hex digit") << "\\x4g" << false << std::vector<int16_t>{};
        QTest::newRow("unknown escape") << "\\q" << false << std::vector<int16_t>{};
        QTest::newRow("trailing backslash") << "ab\\" << false << std::vector<int16_t>{};
    }
    void patterns()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(std::vector<int16_t>, bytes);
        std::vector<int16_t> out;
        QCOMPARE(carve_parse_pattern(text.toStdString(), out), ok);
        if (ok)
            QCOMPARE(out, bytes);
    }

    void sizes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qulonglong>("bytes");
        QTest::newRow("bytes") << "512" << true << 512ull;
        QTest::newRow("kib") << "64K" << true << 65536ull;
        QTest::newRow("mib lower case") << "10m" << true << 10485760ull;
        QTest::newRow("gib") << "2G" << true << 2147483648ull;
        QTest::newRow("zero") << "0" << false << 0ull;
        QTest::newRow("unknown unit") << "1T" << false << 0ull;
        QTest::newRow("two units") << "1KM" << false << 0ull;
        QTest::newRow("no digits") << "K" << false << 0ull;
        QTest::newRow("overflow") << "99999999999999999999" << false << 0ull;
        QTest::newRow("unit overflow") << "17179869184G" << false << 0ull;
    }
    void sizes()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qulonglong, bytes);
        uint64_t out = 0;
        QCOMPARE(carve_parse_size(text.toStdString(), out), ok);
        if (ok)
            QCOMPARE(qulonglong(out), bytes);
    }

    void parse_lines()
    {
        int bad = 0;
        const carve_config_s c = carve_parse_config(
            "# comment\n[formats]\npdf = off\nrtf = on 1K\nzip = maybe\njunk line\n"
            "[signatures]\nvrn y 4K \\x7fVRN END!\ntoolongext y 4K abc\nbad q 4K abc\nnul y 4K ?abc\n", &bad);
        QCOMPARE(bad, 5);
        QVERIFY(!c.enabled("pdf"));
        QVERIFY(c.enabled("rtf"));
        QVERIFY(c.enabled("png"));
        QCOMPARE(c.max_size("rtf", 7), uint64_t(1024));
        QCOMPARE(c.max_size("png", 7), uint64_t(7));
        QCOMPARE(int(c.signatures.size()), 1);
        QCOMPARE(c.signatures[0].extension, std::string("vrn"));
    }

    // A format switched off, or capped below a file's size, is not carved.
    void off_and_capped_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<int>("found");
        QTest::newRow("defaults") << QByteArray() << 1;
        QTest::newRow("off") << QByteArray("[formats]\npdf = off\n") << 0;
        QTest::newRow("cap below size") << QByteArray("[formats]\npdf = on 200\n") << 0;
        QTest::newRow("cap above size") << QByteArray("[formats]\npdf = on 64K\n") << 1;
    }
    void off_and_capped()
    {
        QFETCH(QByteArray, config);
        QFETCH(int, found);
        carve_set_config(carve_parse_config(config));
        const QByteArray image = random_bytes(4096, 1) + build_pdf(true) + random_bytes(4096, 2);
        QCOMPARE(carve_memory(image).size(), found);
    }

    void user_signatures_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qlonglong>("size"); // -1: none expected
        const QByteArray body = "\x7fVRN" + QByteArray(700, 'x') + "END!" + QByteArray(10, 'y');
        QTest::newRow("footer") << QByteArray("vrn y 64K \\x7fVRN END!") << body << qlonglong(708);
        QTest::newRow("footer not within max") << QByteArray("vrn y 512 \\x7fVRN END!") << body << qlonglong(-1);
        QTest::newRow("case-insensitive header and footer")
            << QByteArray("txt n 64K hello\\sworld the\\send") << QByteArray("HeLLo World ... THE END.") << qlonglong(23);
        QTest::newRow("case-sensitive header does not match") << QByteArray("txt y 64K hello world") << QByteArray("HELLO world") << qlonglong(-1);
        QTest::newRow("wildcard header, no footer") << QByteArray("bin y 2K AB??CD") << QByteArray("AB12CD") << qlonglong(2048);
        QTest::newRow("no footer, clipped to volume end") << QByteArray("bin y 1G AB??CD") << QByteArray("ABxxCD") << qlonglong(512 * 8 + 100);
    }
    void user_signatures()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, file);
        QFETCH(qlonglong, size);
        carve_set_config(carve_parse_config("[signatures]\n" + line + "\n"));
        // The file sits in the last sectors of the image: 8 sectors + 100 bytes from its start to the end.
        QByteArray image = QByteArray(1024, '\0') + file;
        image += QByteArray(1024 + 512 * 8 + 100 - image.size(), '\0');
        const QList<carved_s> found = carve_memory(image);
        if (size < 0) {
            QCOMPARE(found.size(), 0);
            return;
        }
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].offset, int64_t(1024));
        QCOMPARE(found[0].size, int64_t(size));
    }

    void load_file()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("my.conf"));
        QVERIFY(test_write_file(path, "[formats]\npdf = off\n"));
        QCOMPARE(sc_load_config(path.toUtf8().constData()), 0);
        QVERIFY(!carve_current_config().enabled("pdf"));
        QCOMPARE(sc_load_config(dir.filePath(QStringLiteral("missing.conf")).toUtf8().constData()), -1);
        QVERIFY(!carve_current_config().enabled("pdf")); // the last good one stays
        // The shipped file is found among the program's data files and parses cleanly.
        QCOMPARE(sc_load_config("./Vornrecovery.conf"), 0);
        QVERIFY(carve_current_config().enabled("pdf"));
        int bad = -1;
        carve_parse_config(test_read_file(test_source_dir() + QStringLiteral("/data/Vornrecovery.conf")), &bad);
        QCOMPARE(bad, 0);
    }
};

QTEST_GUILESS_MAIN(test_carve_config)
#include "test_carve_config.moc"
