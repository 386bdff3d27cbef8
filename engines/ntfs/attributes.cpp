#include "engines/ntfs/attributes.h"

#include "engines/ntfs/ntfs_layout.h"

namespace ntfs {

bool attribute_walker_c::next(attribute_s &a)
{
    if (offset_ + 8u > end_)
        return false;
    const uint8_t *p = record_ + offset_;
    const uint32_t type = le32(p);
    if (type == attr_end)
        return false;
    const uint32_t length = le32(p + 4);
    if (length < 0x18 || (length & 7) || length > end_ - offset_) {
        offset_ = end_;
        return false;
    }
    a = attribute_s{};
    a.type = type;
    a.non_resident = p[8] != 0;
    a.name_length = p[9];
    const uint32_t name_offset = le16(p + 0x0A);
    a.flags = le16(p + 0x0C);
    a.instance = le16(p + 0x0E);
    if (a.name_length && name_offset + 2u * a.name_length > length) {
        offset_ = end_;
        return false;
    }
    if (!a.non_resident) {
        a.value_length = le32(p + 0x10);
        const uint32_t value_offset = le16(p + 0x14);
        if (value_offset > length || a.value_length > length - value_offset) {
            offset_ = end_;
            return false;
        }
        a.value = p + value_offset;
    } else {
        if (length < 0x40) {
            offset_ = end_;
            return false;
        }
        a.lowest_vcn = int64_t(le64(p + 0x10));
        a.highest_vcn = int64_t(le64(p + 0x18));
        const uint32_t mp = le16(p + 0x20);
        a.compression_unit = p[0x22];
        a.allocated_size = le64(p + 0x28);
        a.data_size = le64(p + 0x30);
        a.initialized_size = le64(p + 0x38);
        if (mp < 0x40 || mp > length) {
            offset_ = end_;
            return false;
        }
        a.mapping_pairs = p + mp;
        a.mapping_pairs_length = length - mp;
    }
    offset_ += length;
    return true;
}

bool parse_file_name(const attribute_s &a, file_name_s &out)
{
    if (a.type != attr_file_name || a.non_resident || a.value_length < 0x42)
        return false;
    const uint8_t *v = a.value;
    out.parent_reference = le64(v);
    out.created = le64(v + 0x08);
    out.modified = le64(v + 0x10);
    out.name_length = v[0x40];
    out.name_space = v[0x41];
    if (0x42u + 2u * out.name_length > a.value_length)
        return false;
    out.name = v + 0x42;
    return true;
}

bool parse_standard_information(const attribute_s &a, standard_information_s &out)
{
    if (a.type != attr_standard_information || a.non_resident || a.value_length < 0x30)
        return false;
    out.created = le64(a.value);
    out.modified = le64(a.value + 0x08);
    return true;
}

std::vector<list_entry_s> parse_attribute_list(const uint8_t *v, size_t length)
{
    std::vector<list_entry_s> out;
    size_t off = 0;
    while (off + 0x1A <= length) {
        const uint8_t *p = v + off;
        const uint16_t rec_len = le16(p + 4);
        if (rec_len < 0x1A || rec_len > length - off)
            break;
        list_entry_s e;
        e.type = le32(p);
        e.name_length = p[6];
        e.starting_vcn = int64_t(le64(p + 8));
        e.reference = le64(p + 0x10);
        e.instance = le16(p + 0x18);
        if (p[7] + 2u * e.name_length > rec_len)
            break;
        out.push_back(e);
        off += rec_len;
    }
    return out;
}

} // namespace ntfs
