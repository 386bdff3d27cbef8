// Runs our deep scan over an image file and prints one line per carved file
// ("extension<TAB>offset<TAB>size"), then the elapsed seconds on standard error.
//   bench_carve_scan IMAGE [CONFIG]

#include "engines/carve/sc_api.h"

#include <chrono>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_carve_scan IMAGE [CONFIG]\n");
        return 2;
    }
    sc_load_config(argc > 2 ? argv[2] : "./Vornrecovery.conf");
    sc_scan_params params;
    params.callback = [](void *, const char *ext, int64_t offset, int64_t size) {
        std::printf("%s\t%lld\t%lld\n", ext, static_cast<long long>(offset), static_cast<long long>(size));
    };
    const auto start = std::chrono::steady_clock::now();
    const int rc = sc_scan(&params, argv[1]);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "seconds %.3f\n", seconds);
    return rc == 0 ? 0 : 1;
}
