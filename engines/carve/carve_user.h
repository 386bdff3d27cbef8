#pragma once
// Files of a user signature: from the header to the end of the first footer after it, or of
// max_size bytes when the signature has no footer.

#include "engines/carve/carve_config.h"
#include "engines/carve/carve_format.h"

carve_hit_s carve_user_signature(const carve_user_signature_s &sig, carve_cursor_c &cur);
