#pragma once
// Which engine scans a volume: deep scan on request; else exactly "NTFS" picks the NTFS engine and
// a file system whose name begins with "FAT" the FAT engine. Anything else has no quick scan.

#include "disk/volume_item.h"
#include "engines/recovery_base.h"

#include <memory>

enum engine_kind_e { engine_none, engine_fat, engine_ntfs, engine_deep };

engine_kind_e choose_engine_kind(const volume_item_s &volume, bool deep);
// A new engine object of that kind, or null (engine_none, or a kind not built in).
std::unique_ptr<recovery_base_c> make_engine(engine_kind_e kind);
