#include "engines/engine_factory.h"

#include "engines/fat_recovery.h"
#include "engines/ntfs_recovery.h"
#include "engines/raw_recovery.h"

engine_kind_e choose_engine_kind(const volume_item_s &volume, bool deep)
{
    if (deep)
        return engine_deep;
    if (volume.file_system == QLatin1String("NTFS"))
        return engine_ntfs;
    if (volume.file_system.left(3) == QLatin1String("FAT"))
        return engine_fat;
    return engine_none;
}

std::unique_ptr<recovery_base_c> make_engine(engine_kind_e kind)
{
    switch (kind) {
    case engine_fat:
        return std::make_unique<fat_recovery_c>();
    case engine_ntfs:
        return std::make_unique<ntfs_recovery_c>();
    case engine_deep:
        return std::make_unique<raw_recovery_c>();
    case engine_none:
        break;
    }
    return nullptr;
}
