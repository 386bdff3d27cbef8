#pragma once
// The signature scan of a whole source with a given configuration.

#include "engines/carve/carve_config.h"
#include "engines/carve/sc_api.h"

class source_c;

// Reports each carved file through params->callback; polls pause and stop; writes progress.
void carve_scan(sc_scan_params &params, const source_c &source, const carve_config_s &config);
