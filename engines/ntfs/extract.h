#pragma once
// Extraction: writes a record's unnamed $DATA to a file.

#include "engines/ntfs/ntfs_volume.h"

namespace ntfs {

// Writes record number's data to path (UTF-8). 0; recover_partial (-2) when the data could not
// all be read (the partial file is kept); another negative ntfs_extract_error_e otherwise.
int extract_record(const volume_c &volume, int64_t number, const char *path);

} // namespace ntfs
