// The engines under a second thread that polls them the way the results page's timer does:
// whole scans with pause and resume, scans stopped (results kept) or discarded, a new scan on the
// same engine, and recovery of what was found while the polling goes on. Built with
// ThreadSanitizer by the test script, where any data race fails the run.

#include "engines/engine_factory.h"
#include "tests/damaged/hostile_images.h"
#include "tests/fat/fat_fixture.h"
#include "tests/ntfs/ntfs_fixture.h"
#include "tests/support/test_tools.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Polls every getter of the page's timer until stopped; counts the rounds so the test can wait
// for the poller to have seen the engine at work.
class poller_c {
public:
    explicit poller_c(recovery_base_c &engine)
        : thread_([this, &engine] {
              while (!done_.load()) {
                  const double p = engine.get_progress();
                  sink_ += int64_t(p * 100) + engine.get_scanned_count() + engine.get_found_count() + engine.get_pause() +
                           engine.get_stop();
                  rounds_.fetch_add(1);
                  std::this_thread::sleep_for(std::chrono::microseconds(200));
              }
          })
    {
    }
    ~poller_c()
    {
        done_.store(true);
        thread_.join();
    }
    void wait_rounds(int n) const
    {
        const int until = rounds_.load() + n;
        while (rounds_.load() < until)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }

private:
    std::atomic<bool> done_{false};
    std::atomic<int> rounds_{0};
    int64_t sink_ = 0; // only the poller thread touches it
    std::thread thread_;
};

} // namespace

class test_engine_threads : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    QHash<QString, QString> images;
    int serial = 0;

    // The volume record each engine is given for its image.
    volume_item_s volume_for(const QString &kind)
    {
        if (kind == QLatin1String("fat"))
            return fat_use_image(images.value(QStringLiteral("fat16")));
        volume_item_s v;
        if (kind == QLatin1String("ntfs")) {
            use_image_as_volume(images.value(QStringLiteral("ntfs")));
            v = volume_list.last();
        } else {
            v.volume_name = v.device_name = v.mount_point = images.value(QStringLiteral("disk"));
        }
        return v;
    }
    static engine_kind_e kind_of(const QString &kind)
    {
        return kind == QLatin1String("fat") ? engine_fat : kind == QLatin1String("ntfs") ? engine_ntfs : engine_deep;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        const QList<hostile_image_s> built = hostile_build_images(tmp.path(), &error);
        if (built.isEmpty() && error.contains(QLatin1String("not installed")))
            QSKIP(qPrintable(error));
        QVERIFY2(!built.isEmpty(), qPrintable(error));
        for (const hostile_image_s &img : built)
            images.insert(img.name, img.path);
    }

    void engines_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fat") << "fat";
        QTest::newRow("ntfs") << "ntfs";
        QTest::newRow("deep") << "deep";
    }

    // Start, pause, resume to the end, then copy out every file found, all under polling; then a
    // second scan on the same engine finds the same.
    void pause_resume_recover_data() { engines_data(); }
    void pause_resume_recover()
    {
        QFETCH(QString, kind);
        std::unique_ptr<recovery_base_c> engine = make_engine(kind_of(kind));
        QVERIFY(engine);
        const volume_item_s volume = volume_for(kind);
        poller_c poller(*engine);
        QList<found_row_s> first;
        for (int round = 0; round < 2; ++round) {
            engine->reset();
            engine->set_volume(volume);
            engine->start();
            engine->set_pause(1);
            poller.wait_rounds(3);
            engine->set_pause(0);
            QVERIFY(engine->wait(60000));
            poller.wait_rounds(2);
            const QList<found_row_s> rows = engine->found_rows();
            QVERIFY(!rows.isEmpty());
            if (round == 0)
                first = rows;
            else
                QCOMPARE(rows.size(), first.size());
        }
        int written = 0;
        for (const found_row_s &row : first) {
            if (row.directory)
                continue;
            const QString out = tmp.filePath(QStringLiteral("r%1").arg(++serial));
            const int32_t r = engine->recover_file(row.id, out);
            QVERIFY2(r == 0 || r == recover_partial, qPrintable(row.path));
            written += r == 0;
        }
        QVERIFY(written > 0);
    }

    // Stop (results kept) and discard at once and while the scan runs; the engine ends each time
    // and scans again afterwards.
    void stop_codes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("delay_rounds");
        for (const char *kind : {"fat", "ntfs", "deep"})
            for (int code : {int(stop_user), int(stop_discard)})
                for (int delay : {0, 2})
                    QTest::addRow("%s code %d after %d", kind, code, delay) << kind << code << delay;
    }
    void stop_codes()
    {
        QFETCH(QString, kind);
        QFETCH(int, code);
        QFETCH(int, delay_rounds);
        std::unique_ptr<recovery_base_c> engine = make_engine(kind_of(kind));
        QVERIFY(engine);
        const volume_item_s volume = volume_for(kind);
        poller_c poller(*engine);
        engine->reset();
        engine->set_volume(volume);
        engine->start();
        if (delay_rounds > 0)
            poller.wait_rounds(delay_rounds);
        engine->set_stop(code);
        QVERIFY(engine->wait(60000));
        if (code == stop_user)
            (void)engine->found_rows();
        engine->reset();
        engine->set_volume(volume);
        engine->start();
        QVERIFY(engine->wait(60000));
        QVERIFY(!engine->found_rows().isEmpty());
    }

    // Destroying an engine in the middle of a scan ends the scan first.
    void destroy_while_running_data() { engines_data(); }
    void destroy_while_running()
    {
        QFETCH(QString, kind);
        std::unique_ptr<recovery_base_c> engine = make_engine(kind_of(kind));
        QVERIFY(engine);
        engine->reset();
        engine->set_volume(volume_for(kind));
        engine->start();
        engine.reset();
    }
};

QTEST_GUILESS_MAIN(test_engine_threads)
#include "test_engine_threads.moc"
