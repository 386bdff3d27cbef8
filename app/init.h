#pragma once
// Start-up: discovers volumes and drives in the background, then tells the window.

#include <QThread>
#include <atomic>

// 1 once the start-up worker has filled volume_list and drive_list.
extern std::atomic<int> init_done;

class init_c : public QThread {
    Q_OBJECT
public:
    using QThread::QThread;
Q_SIGNALS:
    void init_finished();

protected:
    void run() override;
};
