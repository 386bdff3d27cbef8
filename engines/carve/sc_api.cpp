#include "engines/carve/sc_api.h"

#include "engines/carve/carve_config.h"
#include "engines/carve/carve_scanner.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "platform/source.h"

#include <QFile>

struct sc_device_s {
    std::unique_ptr<source_c> source;
    uint64_t pos = 0;
};

void sc_clear_params(sc_scan_params *params)
{
    if (!params)
        return;
    params->user = nullptr;
    params->progress.store(0.0);
    params->pause.store(0);
    params->stop.store(0);
    params->callback = nullptr;
}

int32_t sc_load_config(const char *path)
{
    if (!path)
        return -1;
    QString name = QString::fromUtf8(path);
    if (name.startsWith(QLatin1String("./")))
        name = name.mid(2);
    const QString file = name.contains(QLatin1Char('/')) ? name : platform_find_data_file(name);
    QFile in(file);
    if (file.isEmpty() || !in.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = in.read(4 * 1024 * 1024);
    carve_set_config(carve_parse_config(text));
    return 0;
}

int32_t sc_scan_source(sc_scan_params *params, const source_c &source)
{
    if (!params)
        return -1;
    params->progress.store(0.0);
    if (source.size() == 0) {
        params->progress.store(1.0);
        return 0;
    }
    carve_scan(*params, source, carve_current_config());
    return 0;
}

int32_t sc_scan(sc_scan_params *params, const char *device)
{
    if (!params || !device)
        return -1;
    const std::unique_ptr<source_c> source = platform_open_volume(QString::fromUtf8(device));
    if (!source)
        return -1;
    return sc_scan_source(params, *source);
}

sc_handle sc_open(const char *device)
{
    if (!device)
        return nullptr;
    std::unique_ptr<source_c> source = platform_open_volume(QString::fromUtf8(device));
    if (!source)
        return nullptr;
    auto *handle = new sc_device_s;
    handle->source = std::move(source);
    return handle;
}

int32_t sc_seek(sc_handle handle, int64_t offset, int32_t origin)
{
    if (!handle || origin != 0 || offset < 0)
        return -1;
    handle->pos = uint64_t(offset);
    return 0;
}

int32_t sc_read(sc_handle handle, void *buffer, int32_t count)
{
    if (!handle || !buffer || count < 0)
        return -1;
    if (handle->pos >= handle->source->size())
        return 0;
    const int64_t got = handle->source->read_at(handle->pos, buffer, size_t(count));
    if (got < 0)
        return -1;
    handle->pos += uint64_t(got);
    return int32_t(got);
}

void sc_close(sc_handle handle)
{
    delete handle;
}
