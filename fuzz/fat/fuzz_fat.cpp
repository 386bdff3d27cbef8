// A whole FAT volume from the input: mount, directory walk and recovery of a few found files,
// through the engine and the sector layer as a scan uses them.

#include "engines/fat/sector_layer.h"
#include "engines/fat_recovery.h"
#include "platform/drives.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <unistd.h>

namespace {

// A placeholder image registered once as drive 0; each input replaces the drive's bytes.
volume_item_s setup()
{
    const QString path = QDir::tempPath() + QStringLiteral("/vorn-fuzz-fat-%1.img").arg(getpid());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.resize(16 * 1024 * 1024);
    f.close();
    platform_clear_images();
    platform_add_image(path);
    init_sector_layer();
    volume_item_s v;
    v.volume_name = path;
    v.device_name = path;
    v.mount_point = path;
    v.file_system = QStringLiteral("FAT32");
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const volume_item_s volume = setup();
    static const QString out = QDir::tempPath() + QStringLiteral("/vorn-fuzz-fat-out-%1").arg(getpid());
    sector_layer_attach(0, std::make_unique<memory_source_c>(data, size));
    fat_recovery_c engine;
    engine.set_volume(volume);
    engine.start();
    engine.wait();
    const QList<found_row_s> rows = engine.found_rows();
    int recovered = 0;
    for (const found_row_s &row : rows) {
        if (row.directory || recovered == 3)
            continue;
        engine.recover_file(row.id, out);
        ++recovered;
    }
    QString path;
    for (const found_row_s &row : rows)
        engine.get_file_path(row.id, path);
    QFile::remove(out);
    return 0;
}
