// An NTFS volume whose first bytes are the input (the rest reads as zeros): boot sector, $MFT
// runs, every record through the scan's parser, and extraction of the first records.

#include "engines/ntfs/extract.h"
#include "engines/ntfs/ntfs_volume.h"
#include "engines/ntfs/record_info.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The input followed by zeros, up to a fixed volume size.
class padded_source_c final : public source_c {
public:
    padded_source_c(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    int64_t read_at(uint64_t pos, void *buf, size_t len) const override
    {
        if (pos >= volume_bytes)
            return 0;
        len = size_t(std::min<uint64_t>(len, volume_bytes - pos));
        std::memset(buf, 0, len);
        if (pos < size_)
            std::memcpy(buf, data_ + pos, std::min<size_t>(len, size_ - size_t(pos)));
        return int64_t(len);
    }
    uint64_t size() const override { return volume_bytes; }
    QString description() const override { return QStringLiteral("fuzz"); }

private:
    static constexpr uint64_t volume_bytes = 64u * 1024 * 1024;
    const uint8_t *data_;
    size_t size_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::unique_ptr<ntfs::volume_c> volume;
    if (ntfs::volume_c::open(std::make_unique<padded_source_c>(data, size), volume) != 0)
        return 0;
    const int64_t records = int64_t(std::min<uint64_t>(volume->record_count(), 512));
    std::vector<uint8_t> buffer;
    for (int64_t n = 0; n < records; ++n) {
        ntfs::record_header_s header;
        if (volume->read_record(n, buffer, header) != ntfs::record_ok)
            continue;
        if (header.base_reference != 0) {
            volume->note_extension(ntfs::reference_record_number(header.base_reference), n);
            continue;
        }
        ntfs_record_s out;
        (void)ntfs::describe_record(*volume, n, buffer.data(), header, out);
    }
    for (int64_t n = 0; n < std::min<int64_t>(records, 16); ++n)
        (void)ntfs::extract_record(*volume, n, "/dev/null");
    return 0;
}
