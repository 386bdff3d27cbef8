#pragma once
// On-disk NTFS constants and bounds-checked little-endian reads.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ntfs {

inline uint16_t le16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t le32(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v; // the targets we build for are little-endian
}
inline uint64_t le64(const uint8_t *p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// A record reference: low 48 bits record number, high 16 bits sequence number.
inline int64_t reference_record_number(uint64_t ref) { return int64_t(ref & 0x0000FFFFFFFFFFFFull); }

constexpr uint32_t attr_standard_information = 0x10;
constexpr uint32_t attr_attribute_list = 0x20;
constexpr uint32_t attr_file_name = 0x30;
constexpr uint32_t attr_data = 0x80;
constexpr uint32_t attr_end = 0xFFFFFFFFu;

constexpr uint16_t record_in_use = 0x0001;
constexpr uint16_t record_is_directory = 0x0002;

constexpr uint16_t attr_flag_compressed_mask = 0x00FF;
constexpr uint16_t attr_flag_encrypted = 0x4000;

constexpr uint8_t name_posix = 0;
constexpr uint8_t name_win32 = 1;
constexpr uint8_t name_dos = 2;
constexpr uint8_t name_win32_dos = 3;

constexpr uint32_t fixup_stride = 512;

// Seconds since 1970 from a FILETIME (100 ns units since 1601); 0 for 0.
inline int64_t filetime_to_unix(uint64_t ft)
{
    if (ft == 0)
        return 0;
    return int64_t(ft / 10000000ull) - 11644473600ll;
}

} // namespace ntfs
