#pragma once
// Turns a loaded MFT base record into the 576-byte record the engine receives.

#include "engines/found_entries.h"
#include "engines/ntfs/ntfs_volume.h"

namespace ntfs {

// Fills out for record number. Returns false when the record has no usable $FILE_NAME (not
// worth delivering). Follows $ATTRIBUTE_LIST when the name or the data lie in extension records.
bool describe_record(const volume_c &volume, int64_t number, const uint8_t *record,
                     const record_header_s &header, ntfs_record_s &out);

} // namespace ntfs
