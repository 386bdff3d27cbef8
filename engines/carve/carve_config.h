#pragma once
// The carving configuration (data/Vornrecovery.conf): formats switched on or off, their size
// caps, and the user's own signatures.
//
//   [formats]
//   jpg = on 256M          name = on|off [cap]; caps take K, M or G
//   [signatures]
//   ext  case  max  header  [footer]
//     case is y (case-sensitive) or n; header and footer use \xHH, \n, \r, \t, \s (space),
//     \\ and \? (literal); a bare ? matches any byte.

#include <QByteArray>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct carve_user_signature_s {
    std::string extension;
    bool case_sensitive = true;
    uint64_t max_size = 0;
    std::vector<int16_t> header; // bytes, -1 for "any byte"
    std::vector<int16_t> footer; // empty: the file is max_size long (clipped to the volume)
};

struct carve_format_setting_s {
    bool enabled = true;
    uint64_t max_size = 0; // 0: the format's default
};

struct carve_config_s {
    std::map<std::string, carve_format_setting_s> formats;
    std::vector<carve_user_signature_s> signatures;

    bool enabled(const std::string &name) const;
    uint64_t max_size(const std::string &name, uint64_t fallback) const;
};

// Parses the text of a configuration file; lines that cannot be parsed are skipped and counted
// in *bad_lines when given.
carve_config_s carve_parse_config(const QByteArray &text, int *bad_lines = nullptr);
// Escaped byte notation to bytes (-1 = any byte). false on a malformed escape.
bool carve_parse_pattern(const std::string &text, std::vector<int16_t> &out);
// "512", "64K", "10M", "2G" to bytes; false when malformed or zero.
bool carve_parse_size(const std::string &text, uint64_t &out);

// The process-wide configuration that sc_load_config sets and each scan copies.
carve_config_s carve_current_config();
void carve_set_config(const carve_config_s &config);
