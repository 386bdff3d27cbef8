#pragma once
// Engines the tests control: each one's scan waits while `hold` is set (honouring pause and stop),
// then publishes the index the test prepared. Files are written from `contents`.

#include "engines/found_entries.h"
#include "results/engine_set.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <atomic>
#include <functional>
#include <map>

class fake_engine_c final : public recovery_base_c {
    Q_OBJECT
public:
    void set_volume(const volume_item_s &v) override { volume = v; }
    double get_progress() override { return progress; }
    void set_progress(double p) override { progress = p; }
    void set_stop(int32_t code) override { stop = code; }
    int32_t get_stop() override { return stop; }
    int32_t get_pause() override { return pause; }
    void set_pause(int32_t p) override { pause = p; }
    int64_t get_scanned_count() override { return scanned; }
    void reset() override;
    int32_t recover_file(int64_t id, QString destination) override;
    int32_t get_file_path(int64_t id, QString &path) override;
    int64_t get_found_count() override { return found; }

    std::function<void()> publish; // fills the index at the end of a scan
    std::function<void()> clear;   // empties it on reset
    QHash<int64_t, QByteArray> contents; // id -> bytes recover_file writes
    QSet<int64_t> partial_ids;           // recover_file writes half and returns -2
    QHash<int64_t, QString> live_paths;  // get_file_path answers
    volume_item_s volume;
    std::atomic<bool> hold{false};
    std::atomic<double> progress{0.0};
    std::atomic<int32_t> stop{0};
    std::atomic<int32_t> pause{0};
    std::atomic<int64_t> scanned{0};
    std::atomic<int64_t> found{0};
    std::atomic<int> resets{0};
    std::atomic<int> runs{0};

protected:
    void run() override;
};

class fake_engine_set_c final : public engine_set_c {
public:
    fake_engine_set_c();
    recovery_base_c *engine(engine_kind_e kind) override;
    const fat_entry_s *fat_root() override;
    const ntfs_entry_s *ntfs_root() override;
    QList<raw_category_s> raw_categories() override;
    const raw_entry_s *raw_record(int64_t position) override;
    std::span<const int64_t> category_ids(const void *ids) override;
    int32_t save_results(const QString &path) override;
    QString load_results(const QString &path) override;
    void load_config() override { ++config_loads; }

    fake_engine_c fat, ntfs, raw;
    // What each scan publishes; the live index is filled from these when a scan ends.
    QHash<uint32_t, fat_entry_s> fat_result, fat_index;
    QHash<int64_t, ntfs_entry_s> ntfs_result, ntfs_index;
    QList<raw_entry_s> raw_result, records;
    std::map<QByteArray, QList<int64_t>> by_extension;
    QStringList saved_paths;
    QString load_answer; // device path load_results reports
    int config_loads = 0;
};

// Index builders (the real finishing passes link them).
fat_entry_s fat_dir(uint32_t cluster, uint32_t parent, const QString &name, bool deleted = false);
fat_entry_s fat_file(uint32_t cluster, uint32_t parent, const QString &name, uint32_t size);
void finish_fat(QHash<uint32_t, fat_entry_s> &index);
ntfs_entry_s ntfs_entry(int64_t record, int64_t parent, const QString &name, uint32_t flags, int64_t size = 0);
void finish_ntfs(QHash<int64_t, ntfs_entry_s> &index);
raw_entry_s raw_entry(int64_t index, const char *extension, int64_t size);
