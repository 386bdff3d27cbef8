#include "engines/carve/carve_dispatch.h"

#include <algorithm>
#include <cctype>

carve_dispatch_c::carve_dispatch_c(const carve_config_s &config) : config_(config)
{
    auto table_for = [this](uint32_t offset) -> std::array<std::vector<carve_candidate_s>, 256> & {
        auto it = std::find(offsets_.begin(), offsets_.end(), offset);
        if (it != offsets_.end())
            return tables_[size_t(it - offsets_.begin())];
        offsets_.push_back(offset);
        tables_.emplace_back();
        return tables_.back();
    };
    for (const carve_format_c *format : carve_formats()) {
        if (!config_.enabled(format->name()))
            continue;
        const uint64_t cap = config_.max_size(format->name(), format->default_max_size());
        for (const carve_signature_s &sig : format->signatures()) {
            if (sig.bytes.empty() || sig.offset + sig.bytes.size() > 512)
                continue;
            carve_candidate_s c;
            c.format = format;
            c.signature = sig;
            c.max_size = cap;
            table_for(sig.offset)[uint8_t(sig.bytes[0])].push_back(c);
        }
    }
    for (const carve_user_signature_s &sig : config_.signatures) {
        carve_candidate_s c;
        c.user = &sig;
        c.max_size = sig.max_size;
        auto &table = table_for(0);
        const auto first = uint8_t(sig.header[0]);
        table[first].push_back(c);
        if (!sig.case_sensitive && std::tolower(first) != std::toupper(first))
            table[first == std::tolower(first) ? std::toupper(first) : std::tolower(first)].push_back(c);
    }
}

bool carve_dispatch_c::user_header_matches(const carve_user_signature_s &sig, const uint8_t *data, size_t avail)
{
    if (sig.header.size() > avail)
        return false;
    for (size_t i = 0; i < sig.header.size(); ++i) {
        const int16_t want = sig.header[i];
        if (want < 0)
            continue;
        const uint8_t got = data[i];
        if (sig.case_sensitive ? got != want : std::tolower(got) != std::tolower(want))
            return false;
    }
    return true;
}
