#pragma once
// The carving library's calls: configuration, the signature scan of a whole volume, and plain
// read-only device handles for copying carved files out. The engine (raw_recovery_c) uses only
// these calls and sc_scan_params.

#include <atomic>
#include <cstdint>

class source_c;

// Called once per carved file, on the scanning thread: extension (NUL-terminated, at most 8
// characters are kept by the engine), byte offset of the first byte on the device, size in bytes.
using sc_found_fn = void (*)(void *user, const char *extension, int64_t offset, int64_t size);

// The block shared by the engine and the scan. The engine writes pause and stop from another
// thread while the scan runs and reads progress; the scan writes progress (fraction covered).
struct sc_scan_params {
    void *user = nullptr;
    std::atomic<double> progress{0.0};
    std::atomic<int32_t> pause{0};  // nonzero: the scan waits
    std::atomic<int32_t> stop{0};   // nonzero: the scan returns
    sc_found_fn callback = nullptr;
};

// Clears every field (user pointer and callback included).
void sc_clear_params(sc_scan_params *params);

// Loads the carving configuration (formats on or off, size caps, user signatures). A bare name or
// "./name" is looked up among the program's data files. 0 on success, -1 when the file cannot be
// read (the built-in defaults stay in force). Lines that cannot be parsed are skipped.
int32_t sc_load_config(const char *path);

// Scans the device (a volume name, device node or image file, UTF-8) and reports each carved file
// through params->callback. Returns 0 when the scan ran to its end or was stopped, -1 when the
// device cannot be opened.
int32_t sc_scan(sc_scan_params *params, const char *device);
// The same over an already open source (tests, fuzzing, callers holding a handle).
int32_t sc_scan_source(sc_scan_params *params, const source_c &source);

// Read-only handle on a device; null on failure.
struct sc_device_s;
using sc_handle = sc_device_s *;
sc_handle sc_open(const char *device);
// origin 0: from the start. Returns 0, or -1 (bad handle, origin or offset).
int32_t sc_seek(sc_handle handle, int64_t offset, int32_t origin);
// Reads up to count bytes at the current position and advances; returns the bytes read (0 at the
// end of the device), or -1 on an error.
int32_t sc_read(sc_handle handle, void *buffer, int32_t count);
void sc_close(sc_handle handle);
