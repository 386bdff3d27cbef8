#pragma once
// Quick scan of a FAT12/16/32 volume: walks every directory, deleted ones included, through the
// read-only FAT reader and keeps every directory and every deleted file in a hash keyed by first
// cluster. Afterwards it writes single found files and builds their live paths.

#include "engines/fat/fat_volume.h"
#include "engines/found_entries.h"
#include "engines/recovery_base.h"

#include <QHash>
#include <atomic>

class fat_recovery_c final : public recovery_base_c {
    Q_OBJECT
public:
    explicit fat_recovery_c(QObject *parent = nullptr);
    ~fat_recovery_c() override;

    void set_volume(const volume_item_s &volume) override;
    double get_progress() override { return progress_.load(); }
    void set_progress(double progress) override { progress_.store(progress); }
    void set_stop(int32_t code) override { stop_.store(code); }
    int32_t get_stop() override { return stop_.load(); }
    int32_t get_pause() override { return pause_.load(); }
    void set_pause(int32_t pause) override { pause_.store(pause); }
    int64_t get_scanned_count() override { return scanned_.load(); }
    void reset() override;
    // Writes the file with first cluster (low 32 bits of id) to destination. 0 written,
    // recover_partial when a read failed part way (the partial file is kept), -1 nothing written.
    int32_t recover_file(int64_t id, QString destination) override;
    // mount_point + "/" + names from the root down. 0, or -1 for a missing id or broken chain.
    int32_t get_file_path(int64_t id, QString &path) override;
    int64_t get_found_count() override { return found_.load(); }
    // Rows in tree order below the root (the root itself is not a row), children by name.
    QList<found_row_s> found_rows() override;

    // The finished index: key 0 is the root. Valid after run() returned, until reset().
    const QHash<uint32_t, fat_entry_s> &index() const { return index_; }

protected:
    void run() override;

private:
    struct walk_frame_s;
    void walk(uint32_t root_parent);
    bool wait_while_paused();
    void take_entry(const fat_info_s &info, uint32_t parent, bool in_deleted_dir,
                    QList<walk_frame_s> &stack);
    void finish_index();

    QHash<uint32_t, fat_entry_s> index_;
    volume_item_s volume_;
    std::atomic<double> progress_{0.0};
    std::atomic<int32_t> pause_{0};
    std::atomic<int32_t> stop_{0};
    std::atomic<int64_t> scanned_{0};
    std::atomic<int64_t> found_{0};
    fat_volume_s fat_; // the reader's volume object, kept mounted for recover_file
};

// FAT date and time words as seconds since 1970 in local time; 0 for an invalid date.
int64_t fat_time_to_seconds(uint16_t date, uint16_t time);
