// The NTFS engine on a real image built by mkntfs and filled through ntfs-3g: listing, times,
// extraction of every kind of file, agreement with The Sleuth Kit, paths and the failure log.

#include "engines/ntfs/ntfs_volume.h"
#include "engines/ntfs_recovery.h"
#include "platform/paths.h"
#include "tests/ntfs/ntfs_fixture.h"
#include "tests/support/test_tools.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class test_ntfs_scan : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ntfs_fixture_s fx_;
    ntfs_recovery_c engine_;
    QHash<QString, found_row_s> rows_; // by path
    const QString frag2 = QStringLiteral("/frag2.bin");

    void require_fixture()
    {
        if (!fx_.error.isEmpty())
            QSKIP(qPrintable(fx_.error));
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString why = ntfs_fixture_unavailable();
        if (!why.isEmpty()) {
            fx_.error = why;
            return;
        }
        if (qEnvironmentVariableIsSet("VORN_KEEP_IMAGES")) {
            dir_.setAutoRemove(false);
            qInfo("images kept in %s", qPrintable(dir_.path()));
        }
        fx_ = build_ntfs_fixture(dir_.path());
        if (!fx_.error.isEmpty())
            return;
        use_image_as_volume(fx_.image, QStringLiteral("/mnt/vol/"));
        engine_.set_volume(volume_list[1]);
        engine_.start();
        QVERIFY(engine_.wait(60000));
        for (const found_row_s &row : engine_.found_rows()) {
            rows_.insert(row.path, row);
            // Its name went with a freed extension record: it is listed as a lost file.
            if (row.name.startsWith(QLatin1String("lost_file_")) && row.size == uint64_t(fx_.find(frag2)->content.size()))
                rows_.insert(frag2, row);
        }
        QVERIFY(rows_.contains(frag2));
    }

    // Every deleted file and directory sits under its real parent with its name, size and time;
    // live files are not listed; the volume's own records never are.
    void listing()
    {
        require_fixture();
        for (const fixture_file_s &f : fx_.files) {
            if (f.reused)
                continue; // its record now belongs to another file
            const auto row = rows_.constFind(f.path);
            if (!f.deleted) {
                QVERIFY2(row == rows_.constEnd(), qPrintable(f.path));
                continue;
            }
            QVERIFY2(row != rows_.constEnd(), qPrintable(f.path + QStringLiteral(" is not listed")));
            QVERIFY(row->deleted && !row->directory);
            if (f.path != frag2)
                QCOMPARE(row->name, f.path.section(QLatin1Char('/'), -1));
            QCOMPARE(row->size, uint64_t(f.content.size()));
            QCOMPARE(row->modified_time, f.modified_time);
            QVERIFY(row->created_time > 0 && row->created_time <= row->modified_time);
        }
        for (const char *d : {"/a", "/a/b", "/a/b/c/d/e/f/g/h"}) {
            const found_row_s row = rows_.value(QString::fromLatin1(d));
            QVERIFY2(row.directory && row.deleted, d);
        }
        for (const char *d : {"/docs", "/comp", "/names", "/fill"}) {
            const found_row_s row = rows_.value(QString::fromLatin1(d));
            QVERIFY2(row.directory && !row.deleted, d);
        }
        for (const found_row_s &row : std::as_const(rows_))
            QVERIFY2(row.id > ntfs_last_system_record, qPrintable(row.path));

        const auto &index = engine_.found_index();
        QCOMPARE(engine_.get_found_count(), int64_t(index.size()));
        QVERIFY(engine_.get_scanned_count() > engine_.get_found_count()); // live files were seen
        QVERIFY(index.value(ntfs_root_record).children.contains(&index.find(ntfs_root_record).value()));
        QVERIFY(index.value(ntfs_root_record).has_files);
        QVERIFY(engine_.get_progress() > 0.9 && engine_.get_progress() <= 1.0); // position grows towards the total
    }

    // The fixture must keep exercising an MFT in several runs.
    void fragmented_mft()
    {
        require_fixture();
        std::unique_ptr<ntfs::volume_c> volume;
        QCOMPARE(ntfs::volume_c::open(file_source_c::open(fx_.image), volume), 0);
        QVERIFY(volume->mft_runs().size() > 1);
        QVERIFY(volume->record_count() > volume->mft_runs().front().length * volume->geometry().cluster_size
                                             / volume->geometry().record_size);
    }

    void extraction_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *p : {"/small.txt", "/docs/a.txt", "/docs/big.bin", "/docs/sparse.bin", "/comp/text.txt",
                              "/comp/mixed.bin", "/a/b/c/d/e/f/g/h/deep.txt", "/a/b/mid.bin", "/frag2.bin",
                              "/names/emoji 😀.txt", "/names/русский текст.txt", "/more/m60"})
            QTest::newRow(p) << QString::fromUtf8(p);
    }
    // Deleted files of every kind come out byte for byte.
    void extraction()
    {
        require_fixture();
        QFETCH(QString, path);
        const fixture_file_s *f = fx_.find(path);
        QVERIFY(f && f->deleted && !f->reused);
        const found_row_s row = rows_.value(path);
        QVERIFY(row.id > 0);
        const QString out = dir_.filePath(QStringLiteral("out.bin"));
        QVERIFY(test_write_file(out, QByteArray(8 * 1024 * 1024, 'x'))); // replaced, not appended to
        QCOMPARE(engine_.recover_file(row.id, out), 0);
        QVERIFY(test_read_file(out) == f->content);
    }

    void live_files_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *p : {"/keep.txt", "/docs/live.txt", "/docs/Long File Name.txt", "/frag.bin", "/fill/f1", "/more/m63"})
            QTest::newRow(p) << QString::fromLatin1(p);
    }
    // Live files of an unmounted volume come out through the library too; the fragmented one
    // has its name and its runs in extension records.
    void live_files()
    {
        require_fixture();
        QFETCH(QString, path);
        ntfs_scan_context ctx{};
        QCOMPARE(ntfs_scan_startup("/dev/hda0", &ctx), 0);
        QHash<int64_t, ntfs_record_s> all;
        ntfs_record_s rec{};
        while (ntfs_scan_next(&ctx, &rec)) {
            all.insert(rec.record_number, rec);
            rec = ntfs_record_s{};
        }
        ntfs_scan_shutdown(&ctx);
        int64_t id = -1;
        for (auto it = all.cbegin(); it != all.cend() && id < 0; ++it) {
            QString p;
            for (int64_t n = it.key(); n != ntfs_root_record && all.contains(n) && p.size() < 4096; n = all[n].parent_record)
                p.prepend(QLatin1Char('/') + QString::fromUtf16(all[n].name));
            if (p == path && !(it->flags & ntfs_flag_deleted))
                id = it.key();
        }
        QVERIFY2(id > 0, qPrintable(path + QStringLiteral(" not delivered by the scan")));
        const QString out = dir_.filePath(QStringLiteral("live.bin"));
        QCOMPARE(engine_.recover_file(id, out), 0);
        QVERIFY(test_read_file(out) == fx_.find(path)->content);
    }

    void extraction_errors()
    {
        require_fixture();
        const QString out = dir_.filePath(QStringLiteral("err.bin"));
        QVERIFY(engine_.recover_file(1 << 30, out) < 0);          // beyond the MFT
        QVERIFY(engine_.recover_file(rows_.value(QStringLiteral("/a")).id, out) < 0); // a directory
        ntfs_recovery_c fresh;                                      // never scanned: closed context
        QVERIFY(fresh.recover_file(rows_.value(QStringLiteral("/small.txt")).id, out) < 0);
    }

    // Every deleted file The Sleuth Kit lists is in our listing under the same path.
    void agrees_with_sleuthkit()
    {
        require_fixture();
        VORN_REQUIRE_TOOL("fls");
        QByteArray out;
        QCOMPARE(test_run_tool(QStringLiteral("fls"), {QStringLiteral("-rdp"), fx_.image}, &out), 0);
        static const QRegularExpression line(QStringLiteral("^[-r]/r \\* [0-9-]+(?:\\(realloc\\))?:\\t(.*)$"));
        int compared = 0;
        for (const QByteArray &l : out.split('\n')) {
            const auto m = line.match(QString::fromUtf8(l));
            if (!m.hasMatch() || l.contains("(realloc)") || m.captured(1).startsWith(QLatin1Char('$')))
                continue;
            const QString path = QLatin1Char('/') + m.captured(1);
            QVERIFY2(rows_.contains(path), qPrintable(path + QStringLiteral(" (listed by fls)")));
            ++compared;
        }
        QVERIFY(compared >= 10);

        // icat agrees on the bytes of deleted files it can read.
        VORN_REQUIRE_TOOL("icat");
        for (const char *p : {"/docs/big.bin", "/docs/sparse.bin", "/comp/text.txt"}) {
            const QString path = QString::fromLatin1(p);
            QByteArray theirs;
            QCOMPARE(test_run_tool(QStringLiteral("icat"), {fx_.image, QString::number(rows_.value(path).id)}, &theirs), 0);
            const QString ours = dir_.filePath(QStringLiteral("ours.bin"));
            QCOMPARE(engine_.recover_file(rows_.value(path).id, ours), 0);
            QVERIFY2(test_read_file(ours) == theirs, p);
        }
    }

    void file_paths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("in the root") << "/small.txt" << "/mnt/vol/small.txt";
        QTest::newRow("below a live directory") << "/docs/big.bin" << "/mnt/vol/docs/big.bin";
        QTest::newRow("below deleted directories") << "/a/b/mid.bin" << "/mnt/vol/a/b/mid.bin";
    }
    void file_paths()
    {
        require_fixture();
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QString out;
        QCOMPARE(engine_.get_file_path(rows_.value(path).id, out), 0);
        QCOMPARE(out, expected);
        QCOMPARE(engine_.get_file_path(1 << 30, out), -1);
    }

    // A volume the library cannot open leaves an empty index, a log line and stays closed.
    void startup_failure_is_logged()
    {
        const QString log = platform_state_dir() + QStringLiteral("/Quillon.log");
        QFile::remove(log);
        ntfs_recovery_c engine;
        volume_item_s missing;
        missing.disk_number = 7;
        missing.partition_number = 3;
        engine.set_volume(missing);
        engine.start();
        QVERIFY(engine.wait(10000));
        QVERIFY(engine.found_index().isEmpty());
        QVERIFY(engine.found_rows().isEmpty());
        const QByteArray text = test_read_file(log);
        QCOMPARE(text.count('\n'), 1);
        QVERIFY2(text.contains("  [ntfs_recovery.cpp:105] ntfs_scan_startup failed with return value (-3)\n"), text.constData());
    }

    // A second scan of the same engine closes the first context and finds the same.
    void rescan()
    {
        require_fixture();
        const qsizetype before = engine_.found_index().size();
        engine_.start();
        QVERIFY(engine_.wait(60000));
        QCOMPARE(engine_.found_index().size(), before);
        QCOMPARE(engine_.recover_file(rows_.value(QStringLiteral("/docs/a.txt")).id, dir_.filePath(QStringLiteral("again"))), 0);
    }
};

QTEST_GUILESS_MAIN(test_ntfs_scan)
#include "test_ntfs_scan.moc"
