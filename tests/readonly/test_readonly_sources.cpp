// Scans and recoveries never write to their source: every command runs against read-only image
// files, and since the tests run as root (where the mode alone stops nothing) the size, SHA-256
// and modification time before and after are the real check.

#include "tests/damaged/hostile_images.h"
#include "tests/support/test_tools.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class test_readonly_sources : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    QHash<QString, QString> paths; // image name -> read-only copy
    int serial = 0;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QFileInfo(test_bin_dir() + QStringLiteral("/vornrecovery-cli")).isExecutable());
        QString error;
        const QList<hostile_image_s> built = hostile_build_images(tmp.path(), &error);
        if (built.isEmpty() && error.contains(QLatin1String("not installed")))
            QSKIP(qPrintable(error));
        QVERIFY2(!built.isEmpty(), qPrintable(error));
        for (const hostile_image_s &img : built) {
            QVERIFY(QFile::setPermissions(img.path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            paths.insert(img.name, img.path);
        }
    }

    void source_unchanged_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("args"); // SRC: the image, OUT: a fresh output folder
        const QStringList scan{"scan", "--json", "SRC"}, recover{"recover", "SRC", "--out", "OUT"};
        for (const char *fat : {"fat12", "fat16", "fat32"}) {
            QTest::addRow("%s scan", fat) << fat << scan;
            QTest::addRow("%s recover", fat) << fat << recover;
        }
        QTest::newRow("ntfs scan") << "ntfs" << scan;
        QTest::newRow("ntfs recover") << "ntfs" << recover;
        QTest::newRow("ntfs recover deleted only") << "ntfs" << QStringList{"recover", "--deleted-only", "SRC", "--out", "OUT"};
        QTest::newRow("deep scan fat32") << "fat32" << QStringList{"scan", "--deep", "SRC"};
        QTest::newRow("deep scan and save") << "disk" << QStringList{"scan", "--deep", "--save", "OUT.sav", "SRC"};
        QTest::newRow("deep recover ntfs") << "ntfs" << QStringList{"recover", "--deep", "SRC", "--out", "OUT"};
        QTest::newRow("deep recover disk") << "disk" << QStringList{"recover", "--deep", "SRC", "--out", "OUT"};
        QTest::newRow("partition scan") << "disk" << QStringList{"scan", "--json", "--partition", "1", "SRC"};
        QTest::newRow("partition recover") << "disk" << QStringList{"recover", "--partition", "1", "SRC", "--out", "OUT"};
        QTest::newRow("partitions") << "disk" << QStringList{"partitions", "--json", "SRC"};
        QTest::newRow("partitions of a bare NTFS") << "ntfs" << QStringList{"partitions", "SRC"};
        QTest::newRow("repair without --yes") << "ntfs" << QStringList{"repair", "SRC"};
        QTest::newRow("repair of fat32 without --yes") << "fat32" << QStringList{"repair", "SRC"};
    }
    void source_unchanged()
    {
        QFETCH(QString, image);
        QFETCH(QStringList, args);
        const QString src = paths.value(image);
        QVERIFY(!src.isEmpty());
        const QString out = tmp.filePath(QStringLiteral("out%1").arg(++serial));
        args.replaceInStrings(QStringLiteral("SRC"), src);
        args.replaceInStrings(QStringLiteral("OUT"), out);
        const QString before = hostile_file_digest(src);
        const QDateTime modified = QFileInfo(src).lastModified();
        QVERIFY(!before.isEmpty());

        const cli_run_s run = hostile_run_cli(args);
        QVERIFY2(run.finished && !run.crashed, run.err.constData());
        QVERIFY2(run.exit_code == 0, run.err.constData());
        QVERIFY2(hostile_sanitizer_report(run.err).isEmpty(), run.err.constData());

        QCOMPARE(hostile_file_digest(src), before);
        QCOMPARE(QFileInfo(src).lastModified(), modified);
        QCOMPARE(QFileInfo(src).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
    }
};

QTEST_GUILESS_MAIN(test_readonly_sources)
#include "test_readonly_sources.moc"
