// Files of the results side: the same-device check, live-file copies, the recovery worker's
// snapshot of ticked items, and the text preview's decoding.

#include "fake_engines.h"
#include "platform/same_device.h"
#include "results/preview_text.h"
#include "results/recovery_file.h"
#include "results/recovery_window.h"
#include "tests/support/test_tools.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class test_results_files : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private Q_SLOTS:
    void same_device()
    {
        const QString image = dir_.filePath("disk.img");
        QVERIFY(test_make_sparse_file(image, 1 << 20));
        QDir(dir_.path()).mkpath("out");
        volume_item_s v;
        v.volume_name = v.device_name = v.mount_point = image; // an unmounted image
        // A folder beside the image is not on the scanned device.
        QCOMPARE(platform_same_device(dir_.filePath("out"), v), 0);
        // A mounted volume: a folder on the file system at its mount point is.
        v.mount_point = dir_.path();
        QCOMPARE(platform_same_device(dir_.filePath("out"), v), 1);
        QCOMPARE(platform_same_device(dir_.filePath("missing"), v), -1);
        v = volume_item_s{};
        v.device_name = QStringLiteral("/dev/null"); // a character device: never a match
        QCOMPARE(platform_same_device(dir_.path(), v), 0);
    }

    void copy_plain_file()
    {
        const QByteArray bytes = QByteArray("0123456789").repeated(30000); // spans several blocks
        QVERIFY(test_write_file(dir_.filePath("live.bin"), bytes));
        QVERIFY(test_write_file(dir_.filePath("old.bin"), QByteArray(500000, 'x')));
        QCOMPARE(::copy_plain_file(dir_.filePath("live.bin"), dir_.filePath("old.bin")), 0);
        QCOMPARE(test_read_file(dir_.filePath("old.bin")), bytes); // replaced, not appended to
        QCOMPARE(::copy_plain_file(dir_.filePath("absent"), dir_.filePath("c.bin")), -1);
        QVERIFY(!QFile::exists(dir_.filePath("c.bin")));
        QCOMPARE(::copy_plain_file(dir_.filePath("live.bin"), dir_.filePath("no/such/dir/c.bin")), -1);
        // A folder is not a file to copy; nothing is created.
        QCOMPARE(::copy_plain_file(dir_.path(), dir_.filePath("d.bin")), -1);
        QVERIFY(!QFile::exists(dir_.filePath("d.bin")));
    }

    void worker_takes_a_snapshot_of_the_ticked_items()
    {
        auto set = std::make_unique<fake_engine_set_c>();
        fake_engine_set_c *engines = set.get();
        recovery_window_c page(nullptr, std::move(set));
        QHash<uint32_t, fat_entry_s> &r = engines->fat_result;
        r.insert(3, fat_dir(3, 0, "D"));
        for (uint32_t c = 10; c < 20; ++c) {
            r.insert(c, fat_file(c, 3, QStringLiteral("f%1").arg(c), 1));
            engines->fat.contents[c] = QByteArray::number(c);
        }
        QCOMPARE(page.begin_scan(test_volume_fat(), 0), 0);
        QVERIFY(QTest::qWaitFor([] { return !scan_running; }, 10000));

        QList<recovery_item_s> items = items_of(engines->fat_index[3]);
        for (int i : {1, 4, 7})
            items[i].ticked = true;
        QTemporaryDir out;
        recovery_file_c worker(&page);
        worker.prepare(QDir(out.path()), items);
        items.clear(); // the page's list may change once the worker has its copy
        worker.start();
        QVERIFY(worker.wait(10000));
        QStringList written = QDir(out.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(written.size(), 3);
        QCOMPARE(worker.written(), 3);
        for (const QString &name : written)
            QCOMPARE(test_read_file(QDir(out.path()).filePath(name)), name.mid(1).toLatin1());

        // Unsafe names stay inside the folder; an empty name falls back to the identifier.
        recovery_item_s odd;
        odd.file_id = 12;
        odd.name = QStringLiteral("..");
        QCOMPARE(recovery_window_c::output_path(QDir(out.path()), odd), QDir(out.path()).filePath("file_12"));
        odd.name = QStringLiteral("../../etc/passwd");
        QCOMPARE(QFileInfo(recovery_window_c::output_path(QDir(out.path()), odd)).absolutePath(),
                 QFileInfo(out.path()).absoluteFilePath());
    }

    void text_preview_decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("latin-1") << QByteArray("caf\xe9 ok") << QString::fromUtf8("café ok");
        QTest::newRow("ends at zero") << QByteArray("abc\0def", 7) << QStringLiteral("abc");
        QTest::newRow("utf-8 mark removed") << QByteArray("\xef\xbb\xbfgr\xc3\xbc\xc3\x9f") << QString::fromUtf8("grüß");
        QTest::newRow("only the utf-8 mark is latin-1") << QByteArray("\xef\xbb\xbf") << QString::fromLatin1("\xef\xbb\xbf");
        QTest::newRow("utf-16le") << QByteArray("\xff\xfeh\0i\0\0\0x\0", 10) << QStringLiteral("hi");
        QTest::newRow("two bytes ff fe are latin-1") << QByteArray("\xff\xfe") << QString::fromLatin1("\xff\xfe");
        QTest::newRow("odd utf-16 tail dropped") << QByteArray("\xff\xfeh\0i", 5) << QStringLiteral("h");
    }

    void text_preview_decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(preview_text(bytes), text);
    }

private:
    static volume_item_s test_volume_fat()
    {
        volume_item_s v;
        v.volume_name = v.device_name = v.mount_point = QStringLiteral("/nonexistent/fat.img");
        v.file_system = QStringLiteral("FAT32");
        return v;
    }
};

QTEST_MAIN(test_results_files)
#include "test_results_files.moc"
