// The deep scan on the command line: a scan saved to a scan file, files written from it into
// DIR/<extension>/<name>, and the option errors.

#include "tests/carve/carve_fixtures.h"
#include "tests/support/test_tools.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class test_deep_cli : public QObject {
    Q_OBJECT
private:
    static int cli(const QStringList &args, QByteArray *out = nullptr)
    {
        return test_run_tool(test_bin_dir() + QStringLiteral("/vornrecovery-cli"), args, out);
    }

private Q_SLOTS:
    void scan_save_and_recover()
    {
        QTemporaryDir dir;
        const QByteArray pdf = build_pdf(false), rtf = build_rtf();
        const QString img = dir.filePath(QStringLiteral("raw.img"));
        QVERIFY(test_write_file(img, random_bytes(4096, 1) + pdf + QByteArray((-pdf.size()) & 511, 0) +
                                         rtf + QByteArray((-rtf.size()) & 511, 0) + random_bytes(4096, 2)));
        const QString sav = dir.filePath(QStringLiteral("scan.sav"));
        QByteArray out;
        QCOMPARE(cli({QStringLiteral("scan"), QStringLiteral("--deep"), QStringLiteral("--json"),
                      QStringLiteral("--save"), sav, img}, &out), 0);
        const QJsonArray files = QJsonDocument::fromJson(out.mid(out.indexOf('{'))).object().value(QStringLiteral("files")).toArray();
        QCOMPARE(files.size(), 2);
        QCOMPARE(files[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("00000000.pdf"));
        QCOMPARE(files[1].toObject().value(QStringLiteral("offset")).toInt(), 4096 + int((pdf.size() + 511) / 512 * 512));

        const QString dest = dir.filePath(QStringLiteral("out"));
        QCOMPARE(cli({QStringLiteral("recover"), QStringLiteral("--load"), sav, QStringLiteral("--out"), dest}), 0);
        QCOMPARE(test_read_file(dest + QStringLiteral("/pdf/00000000.pdf")), pdf);
        QCOMPARE(test_read_file(dest + QStringLiteral("/rtf/00000001.rtf")), rtf);
    }

    void option_errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("save without deep") << QStringList{"scan", "--save", "x.sav", "img"} << 2;
        QTest::newRow("load is not a scan file") << QStringList{"recover", "--load", "/nonexistent.sav", "--out", "o"} << 1;
        QTest::newRow("load with a source too") << QStringList{"recover", "--load", "x.sav", "img", "--out", "o"} << 2;
        QTest::newRow("deep of a missing source") << QStringList{"scan", "--deep", "/nonexistent.img"} << 1;
    }
    void option_errors()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        QCOMPARE(cli(args), status);
    }

    // Nothing found: the scan succeeds but no scan file is written and the status says so.
    void nothing_to_save()
    {
        QTemporaryDir dir;
        const QString img = dir.filePath(QStringLiteral("zeros.img"));
        QVERIFY(test_make_sparse_file(img, 1 << 20));
        const QString sav = dir.filePath(QStringLiteral("none.sav"));
        QCOMPARE(cli({QStringLiteral("scan"), QStringLiteral("--deep"), QStringLiteral("--save"), sav, img}), 1);
        QVERIFY(!QFile::exists(sav));
    }
};

QTEST_GUILESS_MAIN(test_deep_cli)
#include "test_deep_cli.moc"
