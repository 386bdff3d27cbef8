#pragma once
// A results page over fake engines, with every question answered by the test.

#include "fake_engines.h"
#include "results/recovery_window.h"
#include "skin/warning_box.h"

#include <QStringList>
#include <QTest>
#include <memory>

struct page_fixture_s {
    page_fixture_s()
    {
        auto set = std::make_unique<fake_engine_set_c>();
        engines = set.get();
        page = std::make_unique<recovery_window_c>(nullptr, std::move(set));
        page->dialogs.choose_folder = [this](QWidget *, const QString &, const QString &start) {
            folder_starts << start;
            return folder_answer;
        };
        page->dialogs.save_file = [this](QWidget *, const QString &) { return file_answer; };
        page->dialogs.open_file = [this](QWidget *, const QString &) { return file_answer; };
        page->dialogs.open_folder = [this](const QString &f) { opened << f; };
        warning_box_hook = [this](const warning_request_s &r) {
            boxes << r.key;
            box_texts << r.text;
            return int(box_answer);
        };
        page->resize(800, 600);
    }
    ~page_fixture_s()
    {
        page.reset();
        warning_box_hook = nullptr;
    }

    // Waits until the page has handled the end of its scan.
    bool wait_finished(int ms = 10000)
    {
        return QTest::qWaitFor([] { return !scan_running; }, ms);
    }

    fake_engine_set_c *engines = nullptr;
    std::unique_ptr<recovery_window_c> page;
    QString folder_answer;
    QString file_answer;
    QStringList folder_starts, opened, boxes, box_texts;
    QMessageBox::StandardButton box_answer = QMessageBox::No;
};

inline volume_item_s test_volume(const QString &fs, const QString &name = QStringLiteral("/nonexistent/vol.img"))
{
    volume_item_s v;
    v.device_name = name;
    v.volume_name = name;
    v.file_system = fs;
    v.mount_point = name;
    v.total_bytes = 1 << 20;
    return v;
}
