#include "engines/raw_recovery.h"

#include "platform/drives.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 header_bytes = 256;
constexpr qint64 record_bytes = 32;

void put_le64(char *p, int64_t value)
{
    const auto v = uint64_t(value);
    for (int i = 0; i < 8; ++i)
        p[i] = char(v >> (8 * i));
}

int64_t get_le64(const char *p)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= uint64_t(uint8_t(p[i])) << (8 * i);
    return int64_t(v);
}

} // namespace

raw_recovery_c::raw_recovery_c(QObject *parent) : recovery_base_c(parent)
{
    reset();
}

raw_recovery_c::~raw_recovery_c()
{
    params_.stop.store(stop_discard);
    wait();
}

void raw_recovery_c::set_volume(const volume_item_s &volume)
{
    volume_ = volume;
    device_path_ = volume.volume_name;
    if (device_path_.endsWith(QLatin1Char('\\')) || (device_path_.size() > 1 && device_path_.endsWith(QLatin1Char('/'))))
        device_path_.chop(1);
}

double raw_recovery_c::get_progress() { return params_.progress.load(); }
void raw_recovery_c::set_progress(double progress) { params_.progress.store(progress); }
void raw_recovery_c::set_stop(int32_t code) { params_.stop.store(code); }
int32_t raw_recovery_c::get_stop() { return params_.stop.load(); }
int32_t raw_recovery_c::get_pause() { return params_.pause.load(); }
void raw_recovery_c::set_pause(int32_t pause) { params_.pause.store(pause); }

void raw_recovery_c::reset()
{
    sc_clear_params(&params_);
    by_extension.clear();
    by_extension.max_load_factor(1.0f);
    by_extension.rehash(8);
    records.clear();
}

void raw_recovery_c::run()
{
    reset();
    params_.user = this;
    params_.callback = &raw_recovery_c::on_found;
    scan_result_ = sc_scan(&params_, device_path_.toUtf8().constData()) < 0 ? -1 : 0;
}

void raw_recovery_c::on_found(void *user, const char *extension, int64_t offset, int64_t size)
{
    static_cast<raw_recovery_c *>(user)->add_record(extension ? extension : "", offset, size);
}

void raw_recovery_c::add_record(const char *extension, int64_t offset, int64_t size)
{
    raw_entry_s entry;
    entry.index = int64_t(records.size());
    entry.offset = offset;
    entry.size = size;
    const size_t n = strnlen(extension, sizeof entry.extension);
    std::memcpy(entry.extension, extension, n);
    records.push_back(entry);
    by_extension[extension].push_back(entry.index);
}

std::string raw_recovery_c::extension_of(const raw_entry_s &entry)
{
    const char *end = static_cast<const char *>(std::memchr(entry.extension, 0, sizeof entry.extension));
    return std::string(entry.extension, end ? size_t(end - entry.extension) : sizeof entry.extension);
}

QString raw_recovery_c::file_name_of(const raw_entry_s &entry)
{
    return QString::asprintf("%08llu.", static_cast<unsigned long long>(entry.index)) +
           QString::fromLatin1(extension_of(entry));
}

int32_t raw_recovery_c::recover_file(int64_t id, QString destination)
{
    const auto position = uint32_t(uint64_t(id) & 0xFFFFFFFFu);
    if (position >= records.size())
        return -1;
    const raw_entry_s entry = records[position];
    if (entry.offset < 0 || entry.size < 0)
        return -1;
    const int64_t start = entry.offset / 512 * 512;
    sc_handle device = sc_open(device_path_.toUtf8().constData());
    if (!device)
        return -1;
    if (sc_seek(device, start, 0) < 0) {
        sc_close(device);
        return -1;
    }
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        sc_close(device);
        return -1;
    }
    std::vector<char> buffer(8192);
    int64_t remaining = entry.size;
    bool write_failed = false;
    while (remaining > 0) {
        const int32_t got = sc_read(device, buffer.data(), int32_t(buffer.size()));
        if (got <= 0)
            break;
        const int64_t take = std::min<int64_t>(got, remaining);
        if (out.write(buffer.data(), take) != take) {
            write_failed = true;
            break;
        }
        remaining -= take;
    }
    out.close();
    sc_close(device);
    if (write_failed)
        return remaining == entry.size ? -1 : recover_partial;
    // A device that ended early leaves a shorter file: kept, but not reported as recovered.
    return remaining > 0 ? recover_partial : 0;
}

QList<found_row_s> raw_recovery_c::found_rows()
{
    std::vector<std::string> keys;
    keys.reserve(by_extension.size());
    for (const auto &group : by_extension)
        keys.push_back(group.first);
    std::sort(keys.begin(), keys.end());
    QList<found_row_s> rows;
    for (const std::string &key : keys) {
        for (int64_t index : by_extension[key]) {
            if (index < 0 || uint64_t(index) >= records.size())
                continue;
            const raw_entry_s &entry = records[size_t(index)];
            found_row_s row;
            row.id = entry.index;
            row.name = file_name_of(entry);
            row.extension = QString::fromLatin1(key);
            row.path = QLatin1Char('/') + row.extension + QLatin1Char('/') + row.name;
            row.size = uint64_t(std::max<int64_t>(entry.size, 0));
            rows.append(row);
        }
    }
    return rows;
}

int32_t raw_recovery_c::save_results(const QString &path)
{
    QByteArray header(header_bytes, '\0');
    QByteArray device = device_path_.toUtf8().left(header_bytes - 1);
    // Cut at a character boundary, so the stored path is still valid UTF-8.
    if (device.size() == header_bytes - 1)
        while (!device.isEmpty() && QString::fromUtf8(device).toUtf8() != device)
            device.chop(1);
    std::memcpy(header.data(), device.constData(), size_t(device.size()));
    if (records.empty())
        return -1;
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray body(qsizetype(records.size()) * record_bytes, '\0');
    char *p = body.data();
    for (const raw_entry_s &entry : records) {
        put_le64(p, entry.index);
        put_le64(p + 8, entry.offset);
        put_le64(p + 16, entry.size);
        std::memcpy(p + 24, entry.extension, 8);
        p += record_bytes;
    }
    const bool ok = out.write(header) == header.size() && out.write(body) == body.size();
    out.close();
    // A file that could not be written whole is no scan file.
    if (!ok || out.error() != QFile::NoError) {
        out.remove();
        return -1;
    }
    return 0;
}

QString raw_recovery_c::load_results(const QString &path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = in.read(header_bytes);
    if (header.size() < header_bytes)
        return {};
    const qint64 size = in.size();
    if (size - header_bytes < record_bytes || (size - header_bytes) % record_bytes != 0)
        return {};
    const qint64 count = (size - header_bytes) / record_bytes;
    if (count > 0x7FFFFFFF)
        return {};
    const QByteArray body = in.read(count * record_bytes);
    if (body.size() != count * record_bytes)
        return {};
    const qsizetype zero = header.indexOf('\0');
    device_path_ = QString::fromUtf8(header.left(zero < 0 ? header_bytes : zero));

    // Records are checked against the volume when it can be opened: those that start outside it
    // or have a negative size are dropped, those that run past its end are clipped.
    int64_t volume_size = -1;
    if (const std::unique_ptr<source_c> source = platform_open_volume(device_path_))
        volume_size = int64_t(source->size());
    records.clear();
    records.reserve(size_t(count));
    for (qint64 i = 0; i < count; ++i) {
        const char *p = body.constData() + i * record_bytes;
        raw_entry_s entry;
        entry.index = get_le64(p);
        entry.offset = get_le64(p + 8);
        entry.size = get_le64(p + 16);
        std::memcpy(entry.extension, p + 24, 8);
        if (entry.offset < 0 || entry.size < 0 || (volume_size >= 0 && entry.offset >= volume_size))
            entry.size = -1;
        else if (volume_size >= 0 && entry.size > volume_size - entry.offset)
            entry.size = volume_size - entry.offset;
        records.push_back(entry);
    }
    // Dropped records keep their place (indices stay those of the file) but are left out of the
    // groups; so are records whose index does not name a record.
    by_extension.clear();
    by_extension.max_load_factor(1.0f);
    by_extension.rehash(8);
    for (const raw_entry_s &entry : records) {
        if (entry.size < 0 || entry.index < 0 || uint64_t(entry.index) >= records.size())
            continue;
        by_extension[extension_of(entry)].push_back(entry.index);
    }
    return device_path_;
}
