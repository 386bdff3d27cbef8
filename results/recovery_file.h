#pragma once
// Writes the ticked files into the destination folder on a thread of its own, so the window
// stays responsive. It works on a copy of the ticked items taken when it starts, so the page may
// refill or re-sort its list meanwhile.

#include "engines/copy_plain_file.h"
#include "results/recovery_item.h"

#include <QDir>
#include <QThread>
#include <atomic>

class recovery_window_c;

class recovery_file_c : public QThread {
    Q_OBJECT
public:
    explicit recovery_file_c(recovery_window_c *page) : page_(page) {}
    ~recovery_file_c() override;

    // Takes the destination and the ticked items; call only while the thread is not running.
    void prepare(const QDir &destination, const QList<recovery_item_s> &items);
    // Ends the run after the file in progress.
    void request_stop() { stop_ = true; }

    QDir destination() const { return destination_; }
    // Outcome of the last run (valid once it has finished).
    int written() const { return written_; }
    int partial() const { return partial_; }
    int failed() const { return failed_; }

protected:
    void run() override;

private:
    recovery_window_c *page_;
    QDir destination_;
    QList<recovery_item_s> items_;
    std::atomic<bool> stop_{false};
    std::atomic<int> written_{0};
    std::atomic<int> partial_{0};
    std::atomic<int> failed_{0};
};

