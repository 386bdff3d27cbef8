#pragma once
// Attribute parser: walks the attributes of a fixed-up MFT record, every length checked against
// the record, and reads the values the scan and the extraction need.

#include "engines/ntfs/mft_record.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ntfs {

struct attribute_s {
    uint32_t type = 0;
    bool non_resident = false;
    uint8_t name_length = 0; // UTF-16 units; 0 = unnamed
    uint16_t flags = 0;
    uint16_t instance = 0;
    // Resident value (checked to lie inside the attribute).
    const uint8_t *value = nullptr;
    uint32_t value_length = 0;
    // Non-resident.
    int64_t lowest_vcn = 0;
    int64_t highest_vcn = 0;
    const uint8_t *mapping_pairs = nullptr;
    uint32_t mapping_pairs_length = 0;
    uint8_t compression_unit = 0;
    uint64_t allocated_size = 0;
    uint64_t data_size = 0;
    uint64_t initialized_size = 0;
};

// Iterates the attributes of a record that load_record() accepted. A malformed attribute (length
// 0, not a multiple of 8, beyond bytes in use, value outside the attribute) ends the walk.
class attribute_walker_c {
public:
    attribute_walker_c(const uint8_t *record, const record_header_s &header)
        : record_(record), end_(header.bytes_in_use), offset_(header.attrs_offset) {}
    bool next(attribute_s &out);

private:
    const uint8_t *record_;
    uint32_t end_;
    uint32_t offset_;
};

struct file_name_s {
    uint64_t parent_reference = 0;
    uint64_t created = 0;  // FILETIME
    uint64_t modified = 0; // FILETIME
    uint8_t name_space = 0;
    const uint8_t *name = nullptr; // UTF-16LE, name_length units
    uint8_t name_length = 0;
};
bool parse_file_name(const attribute_s &attr, file_name_s &out);

struct standard_information_s {
    uint64_t created = 0;
    uint64_t modified = 0;
};
bool parse_standard_information(const attribute_s &attr, standard_information_s &out);

// One entry of an $ATTRIBUTE_LIST value.
struct list_entry_s {
    uint32_t type = 0;
    uint8_t name_length = 0;
    int64_t starting_vcn = 0;
    uint64_t reference = 0;
    uint16_t instance = 0;
};
// Parses a whole $ATTRIBUTE_LIST value; stops at the first malformed entry.
std::vector<list_entry_s> parse_attribute_list(const uint8_t *value, size_t length);

} // namespace ntfs
