#pragma once
// The deep-scan engine: carves files out of the raw bytes of a volume with our carving library
// (engines/carve), keeps them grouped by extension, copies them out, and saves and loads the
// results as a scan file (a 256-byte device-path header followed by 32-byte records).

#include "engines/carve/sc_api.h"
#include "engines/found_entries.h"
#include "engines/recovery_base.h"

#include <QString>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// raw_entry_s (one carved file, also the 32-byte scan-file record) is shared with the results
// side in found_entries.h.

class raw_recovery_c : public recovery_base_c {
    Q_OBJECT
public:
    explicit raw_recovery_c(QObject *parent = nullptr);
    ~raw_recovery_c() override;

    void set_volume(const volume_item_s &volume) override;
    double get_progress() override;
    void set_progress(double progress) override;
    void set_stop(int32_t code) override;
    int32_t get_stop() override;
    int32_t get_pause() override;
    void set_pause(int32_t pause) override;
    int64_t get_scanned_count() override { return 0; }
    void reset() override;
    // Copies record id (low 32 bits) from its offset rounded down to 512 bytes, size bytes.
    // 0 copied, -1 nothing written (bad id, device or destination), recover_partial when the
    // device ended early (the partial file is kept).
    int32_t recover_file(int64_t id, QString destination) override;
    // One row per record, grouped by extension (extensions in byte order, records in report order);
    // name "%08llu.<extension>", path "/<extension>/<name>", id = index.
    QList<found_row_s> found_rows() override;

    // Writes the scan file; 0 written, -1 with no records or when it cannot be created.
    int32_t save_results(const QString &path);
    // Reads a scan file into records and by_extension; returns the device path of its header, or
    // an empty string when the file is unusable (records are then left as they were). Records
    // that lie outside the named volume (when it can be opened) are clipped or dropped.
    QString load_results(const QString &path);

    QString device_path() const { return device_path_; }
    // 0 when the last scan read its device, negative when the device could not be opened.
    int32_t scan_result() const { return scan_result_; }
    const volume_item_s &volume() const { return volume_; }

    // The results: records in report order, and extension -> indices into records.
    std::unordered_map<std::string, std::vector<int64_t>> by_extension;
    std::vector<raw_entry_s> records;

    // Extension text of a record (up to its first zero, at most 8 characters).
    static std::string extension_of(const raw_entry_s &entry);
    // "%08llu.<extension>"
    static QString file_name_of(const raw_entry_s &entry);

    // The found-file handler handed to the library: appends a record (extension cut to 8
    // characters) and groups its index under the whole extension text.
    static void on_found(void *user, const char *extension, int64_t offset, int64_t size);

protected:
    void run() override;

private:
    void add_record(const char *extension, int64_t offset, int64_t size);

    volume_item_s volume_;
    sc_scan_params params_;
    int32_t scan_result_ = 0;
    QString device_path_;
};
