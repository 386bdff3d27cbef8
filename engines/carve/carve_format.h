#pragma once
// One carved file format: the signatures that start it, a strict check of its header and the
// walk of its structure to the file's true end. One class per format, one file each, all listed
// in carve_formats() (format_table.cpp).

#include "engines/carve/carve_cursor.h"

#include <cstdint>
#include <string_view>
#include <vector>

// Bytes that must stand at offset from the file's start (offset + size <= 512).
struct carve_signature_s {
    uint32_t offset = 0;
    std::string_view bytes;
};

// A carved file: its extension and size. size 0 means "not this format here".
struct carve_hit_s {
    const char *extension = nullptr;
    uint64_t size = 0;
};

class carve_format_c {
public:
    virtual ~carve_format_c() = default;
    // Configuration key, also the extension when the format does not tell variants apart.
    virtual const char *name() const = 0;
    virtual std::vector<carve_signature_s> signatures() const = 0;
    virtual uint64_t default_max_size() const = 0;
    // Checks the header at cursor position 0 and walks to the end. The cursor stops at the size
    // cap and the end of the volume; hostile lengths end this candidate with size 0.
    virtual carve_hit_s carve(carve_cursor_c &cur) const = 0;
};

// Every built-in format, in dispatch order.
const std::vector<const carve_format_c *> &carve_formats();

constexpr uint64_t carve_kib = 1024;
constexpr uint64_t carve_mib = 1024 * 1024;
constexpr uint64_t carve_gib = 1024 * 1024 * 1024;
