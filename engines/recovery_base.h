#pragma once
// The contract every scan engine offers to the results page, the models, the recovery worker
// and the command line. Each engine runs its scan in its own thread (run()).

#include "disk/volume_item.h"
#include "engines/found_rows.h"

#include <QString>
#include <QThread>
#include <cstdint>

enum stop_code_e : int32_t {
    stop_none = 0,
    stop_discard = 2, // the user left the results page: results are dropped
    stop_user = 3,    // the Stop button: results so far are shown
};

// Result of recover_file when part of the file was written and the rest could not be read:
// the partial file is kept (partial data is worth having) but the caller must not count it as
// recovered.
constexpr int32_t recover_partial = -2;

class recovery_base_c : public QThread {
    Q_OBJECT
public:
    using QThread::QThread;
    ~recovery_base_c() override = default;

    virtual void set_volume(const volume_item_s &volume) = 0;
    virtual double get_progress() = 0;
    virtual void set_progress(double progress) = 0;
    virtual void set_stop(int32_t code) = 0;
    virtual int32_t get_stop() { return 1; }
    virtual int32_t get_pause() = 0;
    virtual void set_pause(int32_t pause) = 0;
    virtual int64_t get_scanned_count() = 0;
    virtual void reset() = 0;
    virtual int32_t recover_file(int64_t id, QString destination) = 0;
    virtual int32_t get_file_path(int64_t id, QString &path)
    {
        Q_UNUSED(id);
        Q_UNUSED(path);
        return 0;
    }
    virtual int64_t get_found_count() { return 0; }

    // Beyond the page's contract: the finished index as rows in tree order (parents before their
    // children), for the command line and tests. Valid after run() returned, until reset().
    virtual QList<found_row_s> found_rows() { return {}; }
};

// The inert engine: the results page polls it before the first scan.
class recovery_stop_c final : public recovery_base_c {
    Q_OBJECT
public:
    using recovery_base_c::recovery_base_c;
    void set_volume(const volume_item_s &) override {}
    double get_progress() override { return 0.0; }
    void set_progress(double) override {}
    void set_stop(int32_t) override {}
    int32_t get_stop() override { return 1; }
    int32_t get_pause() override { return 0; }
    void set_pause(int32_t) override {}
    int64_t get_scanned_count() override { return 0; }
    void reset() override {}
    int32_t recover_file(int64_t, QString) override { return 0; }
    int32_t get_file_path(int64_t, QString &) override { return 0; }
    int64_t get_found_count() override { return 0; }
};
