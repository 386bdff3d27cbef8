#include "engines/ntfs/record_info.h"

#include "engines/ntfs/ntfs_layout.h"

#include <algorithm>
#include <cstring>

namespace ntfs {
namespace {

// What the attribute walk has found so far.
struct facts_s {
    bool have_si = false;
    standard_information_s si;
    bool have_name = false;
    file_name_s name;
    bool have_size = false;
    uint64_t size = 0;
    bool has_list = false;

    // A Win32 or POSIX name wins over a DOS 8.3 one; the first of equal rank stays.
    void take_name(const file_name_s &fn)
    {
        if (fn.name_length == 0)
            return;
        if (!have_name || (name.name_space == name_dos && fn.name_space != name_dos)) {
            name = fn;
            have_name = true;
        }
    }
    void take(const attribute_s &a)
    {
        switch (a.type) {
        case attr_standard_information:
            if (!have_si)
                have_si = parse_standard_information(a, si);
            break;
        case attr_file_name: {
            file_name_s fn;
            if (parse_file_name(a, fn))
                take_name(fn);
            break;
        }
        case attr_data:
            if (a.name_length == 0 && !have_size) {
                if (!a.non_resident) {
                    size = a.value_length;
                    have_size = true;
                } else if (a.lowest_vcn == 0) {
                    size = a.data_size;
                    have_size = true;
                }
            }
            break;
        case attr_attribute_list:
            has_list = true;
            break;
        default:
            break;
        }
    }
    bool name_final() const { return have_name && name.name_space != name_dos; }
};

} // namespace

bool describe_record(const volume_c &volume, int64_t number, const uint8_t *record,
                     const record_header_s &header, ntfs_record_s &out)
{
    facts_s f;
    attribute_walker_c walker(record, header);
    attribute_s a;
    while (walker.next(a))
        f.take(a);
    const bool directory = header.flags & record_is_directory;
    if (f.has_list && (!f.name_final() || (!directory && !f.have_size))) {
        volume.visit_extensions(number, volume.attribute_list(record, header),
                                [&f](const attribute_s &x) { f.take(x); });
    }
    if (!f.have_name)
        return false;

    out.record_number = number;
    out.parent_record = reference_record_number(f.name.parent_reference);
    out.size = directory ? 0 : int64_t(std::min<uint64_t>(f.size, uint64_t(INT64_MAX)));
    out.created_time = filetime_to_unix(f.have_si ? f.si.created : f.name.created);
    out.modified_time = filetime_to_unix(f.have_si ? f.si.modified : f.name.modified);
    out.flags = directory ? ntfs_flag_directory : ntfs_flag_file;
    if (!(header.flags & record_in_use))
        out.flags |= ntfs_flag_deleted;
    const size_t units = std::min<size_t>(f.name.name_length, 259);
    std::memcpy(out.name, f.name.name, units * 2); // UTF-16LE as stored
    out.name[units] = 0;
    // A NUL inside the name would cut it short; make it visible instead.
    for (size_t i = 0; i < units; ++i)
        if (out.name[i] == 0)
            out.name[i] = u'_';
    return true;
}

} // namespace ntfs
