// Hostile volumes for the carver: any bytes, scanned with every format and a user signature.
// No crash, no hang, and every reported file lies inside the volume.

#include "engines/carve/carve_config.h"
#include "engines/carve/sc_api.h"
#include "platform/source.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool configured = [] {
        carve_set_config(carve_parse_config("[signatures]\nvrn n 64K VRN\\x00?? END\n"));
        return true;
    }();
    (void)configured;
    memory_source_c source(data, size);
    sc_scan_params params;
    params.user = &source;
    params.callback = [](void *user, const char *, int64_t offset, int64_t length) {
        const auto *src = static_cast<memory_source_c *>(user);
        if (offset < 0 || length <= 0 || uint64_t(offset) + uint64_t(length) > src->size())
            std::abort();
    };
    sc_scan_source(&params, source);
    return 0;
}
