#pragma once
// Which formats can start at a sector: for each distinct signature offset a table from the byte
// found there to the candidates whose signature has that byte, so the cost per sector does not
// grow with the number of formats.

#include "engines/carve/carve_config.h"
#include "engines/carve/carve_format.h"

#include <array>
#include <vector>

struct carve_candidate_s {
    const carve_format_c *format = nullptr;      // a built-in format, or
    const carve_user_signature_s *user = nullptr; // a user signature
    carve_signature_s signature;                  // built-in formats only
    uint64_t max_size = 0;
};

class carve_dispatch_c {
public:
    explicit carve_dispatch_c(const carve_config_s &config);
    carve_dispatch_c(const carve_dispatch_c &) = delete;
    carve_dispatch_c &operator=(const carve_dispatch_c &) = delete;

    // Calls f(candidate) for each candidate whose signature bytes match data (avail bytes from a
    // sector start), in table order, until f returns true.
    template <typename F> void match(const uint8_t *data, size_t avail, F f) const;

private:
    static bool user_header_matches(const carve_user_signature_s &sig, const uint8_t *data, size_t avail);

    carve_config_s config_;
    std::vector<uint32_t> offsets_;
    std::vector<std::array<std::vector<carve_candidate_s>, 256>> tables_;
};

template <typename F> void carve_dispatch_c::match(const uint8_t *data, size_t avail, F f) const
{
    for (size_t t = 0; t < offsets_.size(); ++t) {
        const uint32_t off = offsets_[t];
        if (off >= avail)
            continue;
        for (const carve_candidate_s &c : tables_[t][data[off]]) {
            if (c.format) {
                const auto &bytes = c.signature.bytes;
                if (off + bytes.size() > avail || std::memcmp(data + off, bytes.data(), bytes.size()) != 0)
                    continue;
            } else if (!user_header_matches(*c.user, data, avail)) {
                continue;
            }
            if (f(c))
                return;
        }
    }
}
