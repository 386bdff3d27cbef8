#pragma once
// The NTFS quick-scan engine: walks every MFT record through our NTFS library, keeps all
// directories and every deleted record in its found index keyed by record number, and links
// them into a tree rooted at record 5. The library context stays open after a scan so that
// deleted files can be extracted later; the next scan closes it.

#include "engines/found_entries.h"
#include "engines/ntfs/ntfs_scan.h"
#include "engines/recovery_base.h"

#include <QHash>
#include <atomic>

class ntfs_recovery_c final : public recovery_base_c {
    Q_OBJECT
public:
    explicit ntfs_recovery_c(QObject *parent = nullptr);
    ~ntfs_recovery_c() override; // waits for the scan and closes the library context

    void set_volume(const volume_item_s &volume) override;
    double get_progress() override { return progress_.load(); }
    void set_progress(double progress) override { progress_.store(progress); }
    void set_stop(int32_t code) override { stop_.store(code); }
    int32_t get_stop() override { return stop_.load(); }
    int32_t get_pause() override { return pause_.load(); }
    void set_pause(int32_t pause) override { pause_.store(pause); }
    int64_t get_scanned_count() override { return scanned_count_.load(); }
    void reset() override;
    // Deleted files (and, when the volume is not mounted, live ones) through the library.
    int32_t recover_file(int64_t id, QString destination) override;
    // mount_point + "/" + names from below the root (record 5) down to id; -1 when broken.
    int32_t get_file_path(int64_t id, QString &path) override;
    int64_t get_found_count() override { return found_count_.load(); }
    // Tree order from record 5, records 0..11 left out; the root itself is not a row.
    QList<found_row_s> found_rows() override;

    // The finished index (read after finished(), until the next reset()).
    const QHash<int64_t, ntfs_entry_s> &found_index() const { return index_; }
    const volume_item_s &volume() const { return volume_; }

protected:
    void run() override;

private:
    bool wait_while_paused();
    void log_startup_failure(int32_t result);

    ntfs_scan_context context_{};
    volume_item_s volume_;
    std::atomic<double> progress_{0.0};
    std::atomic<int32_t> pause_{0};
    std::atomic<int32_t> stop_{0};
    std::atomic<int64_t> scanned_count_{0};
    std::atomic<int64_t> found_count_{0};
    QHash<int64_t, ntfs_entry_s> index_;
};
