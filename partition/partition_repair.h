#pragma once
// The partition search worker: walks a drive's sectors for the boot sectors of lost NTFS and
// FAT32 partitions, and rewrites the drive's partition table from what it found.
//
// The page starts a search with start_search(), polls progress() and reads the found list with
// snapshot() (partition_found() says it grew), stops with request_stop(), and after the search
// has ended runs repair_partition_table().

#include "disk/drive_item.h"
#include "partition/partition_item.h"
#include "platform/source.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>

// Outcome of the last search.
enum search_result_e : int {
    search_none = 1,         // no search has run
    search_complete = 0,     // reached the drive's end or its last readable window
    search_open_failed = -1, // the drive could not be opened
    search_stopped = 3,      // request_stop() ended it; the records found so far stay
};

class partition_repair_c : public QThread {
    Q_OBJECT
public:
    // Sectors per read and the advance between reads: windows overlap by one sector so that every
    // candidate is seen together with the sector after it.
    static constexpr uint64_t window_sectors = 256;
    static constexpr uint64_t window_advance = 255;

    explicit partition_repair_c(QObject *parent = nullptr);
    ~partition_repair_c() override; // stops and joins a running search

    // Takes a copy of drive and starts a new search from sector 0 with an emptied list.
    // -1 when a search is already running or drive has no device path.
    int start_search(const drive_item_s &drive);
    // Asks a running search to end; it stops before its next read and keeps what it found.
    void request_stop();
    // The drive of the last start_search() (or set_drive()).
    drive_item_s drive() const;
    // Sets the drive without searching (the repair uses it with the list of the last search).
    void set_drive(const drive_item_s &drive);

    // A copy of the partitions found so far, in the order found (ascending start sector).
    QList<partition_item_s> snapshot() const;
    qsizetype partition_count() const;
    // Fraction 0.0 .. 1.0 of the drive covered; 1.0 after a search that ended by itself.
    double progress() const { return progress_.load(std::memory_order_relaxed); }
    int search_result() const { return result_.load(); }

    // The search body run() calls: opens the drive read-only and walks it. -1 when it cannot be
    // opened, else 0.
    int search_partitions(const drive_item_s &drive);
    // Walks source as a drive of size_bytes bytes. Always 0.
    int search_source(const source_c &source, uint64_t size_bytes);

    // Writes a new sector 0 from the first four found partitions after saving the old one to a
    // backup file. 0 when written and read back equal, -1 otherwise (also while searching, with
    // no partition found or with one an MBR cannot hold: then nothing is written).
    int repair_partition_table();
    // Backup file of the last repair that got as far as saving one; empty otherwise.
    QString last_backup_path() const;
    // Why the last repair failed, or a note on a repair that succeeded (the kernel kept the old
    // table because a partition is in use); empty when there is nothing to say.
    QString last_repair_message() const;

signals:
    // A partition was appended to the list (emitted on the worker thread).
    void partition_found();

protected:
    void run() override;

private:
    void clear_partitions();
    void append_partition(const partition_item_s &item);

    mutable QMutex lock_; // guards partitions_, drive_ and the repair texts
    QList<partition_item_s> partitions_;
    drive_item_s drive_;
    QString backup_path_;
    QString repair_message_;
    std::atomic<double> progress_{0.0};
    std::atomic<bool> stop_{false};
    std::atomic<int> result_{search_none};
};
