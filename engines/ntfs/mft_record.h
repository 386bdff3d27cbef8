#pragma once
// MFT record reader: the "FILE" header, the update-sequence fixups and the header's bounds.

#include <cstdint>

namespace ntfs {

struct record_header_s {
    uint16_t flags = 0;          // record_in_use, record_is_directory
    uint16_t attrs_offset = 0;   // first attribute
    uint32_t bytes_in_use = 0;   // end of the attributes, never beyond the record
    uint64_t base_reference = 0; // 0 for a base record, else the base record's reference
    uint16_t sequence = 0;
};

enum record_result_e : int {
    record_ok = 0,
    record_no_magic = -1, // not "FILE" (empty, "BAAD", garbage)
    record_bad_fixup = -2, // update sequence does not match (torn or damaged record)
    record_bad_header = -3, // offsets or sizes outside the record
};

// Checks the record of size bytes in place, applies its fixups and reads its header.
// On failure the buffer may be partly fixed up; the caller skips it.
int load_record(uint8_t *record, uint32_t size, record_header_s &out);

} // namespace ntfs
