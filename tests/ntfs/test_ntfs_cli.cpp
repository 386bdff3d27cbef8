// scan and recover on an NTFS image from the command line: the JSON listing, every file written
// (deleted ones and, for an unmounted volume, live ones through our reader), --deleted-only.

#include "tests/ntfs/ntfs_fixture.h"
#include "tests/support/test_tools.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class test_ntfs_cli : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ntfs_fixture_s fx_;

    QString cli() const { return test_bin_dir() + QStringLiteral("/vornrecovery-cli"); }

private Q_SLOTS:
    void initTestCase()
    {
        fx_.error = ntfs_fixture_unavailable();
        if (fx_.error.isEmpty())
            fx_ = build_ntfs_fixture(dir_.path());
    }

    void scan_json()
    {
        if (!fx_.error.isEmpty())
            QSKIP(qPrintable(fx_.error));
        QByteArray out;
        QCOMPARE(test_run_tool(cli(), {QStringLiteral("scan"), QStringLiteral("--json"), fx_.image}, &out), 0);
        const QJsonDocument doc = QJsonDocument::fromJson(out.mid(out.indexOf('{')));
        QVERIFY(doc.isObject());
        QCOMPARE(doc[QStringLiteral("volume")][QStringLiteral("file_system")].toString(), QStringLiteral("NTFS"));
        QHash<QString, QJsonObject> by_path;
        for (const QJsonValue &v : doc[QStringLiteral("entries")].toArray())
            by_path.insert(v[QStringLiteral("path")].toString(), v.toObject());
        const QJsonObject big = by_path.value(QStringLiteral("/docs/big.bin"));
        QVERIFY(big[QStringLiteral("deleted")].toBool());
        QCOMPARE(big[QStringLiteral("size")].toInteger(), fx_.find(QStringLiteral("/docs/big.bin"))->content.size());
        QVERIFY(!by_path.contains(QStringLiteral("/keep.txt"))); // scan lists deleted files only
    }

    void recover_data()
    {
        QTest::addColumn<bool>("deleted_only");
        QTest::newRow("every file") << false;
        QTest::newRow("deleted only") << true;
    }
    void recover()
    {
        if (!fx_.error.isEmpty())
            QSKIP(qPrintable(fx_.error));
        QFETCH(bool, deleted_only);
        const QString out = dir_.filePath(deleted_only ? QStringLiteral("deleted") : QStringLiteral("all"));
        QStringList args{QStringLiteral("recover"), fx_.image, QStringLiteral("--out"), out};
        if (deleted_only)
            args << QStringLiteral("--deleted-only");
        QByteArray log;
        QCOMPARE(test_run_tool(cli(), args, &log), 0);
        for (const fixture_file_s &f : fx_.files) {
            if (f.reused || f.path == QLatin1String("/frag2.bin"))
                continue; // overwritten, or listed under a made-up name
            const QString path = out + f.path;
            if (!f.deleted && deleted_only) {
                QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
                continue;
            }
            QVERIFY2(test_read_file(path) == f.content, qPrintable(f.path + QStringLiteral(" differs")));
        }
    }
};

QTEST_GUILESS_MAIN(test_ntfs_cli)
#include "test_ntfs_cli.moc"
