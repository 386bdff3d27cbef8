#pragma once
// Runlist decoder: an attribute's mapping pairs become a plain list of runs.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ntfs {

struct run_s {
    int64_t vcn = 0;     // first virtual cluster of the run
    int64_t lcn = -1;    // first logical cluster on the volume; -1 for a sparse run
    uint64_t length = 0; // clusters
    bool sparse() const { return lcn < 0; }
};

enum runlist_result_e : int {
    runlist_ok = 0,
    runlist_truncated = -1, // a pair runs past the end of the mapping pairs
    runlist_malformed = -2, // zero or negative length, negative cluster, overflow
};

// Decodes mapping pairs starting at start_vcn and appends the runs to out.
int decode_runlist(const uint8_t *pairs, size_t length, int64_t start_vcn, std::vector<run_s> &out);

// True when every allocated run lies inside [0, total_clusters).
bool runs_inside(const std::vector<run_s> &runs, uint64_t total_clusters);

} // namespace ntfs
