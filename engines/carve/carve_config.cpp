#include "engines/carve/carve_config.h"

#include <QList>
#include <cctype>
#include <mutex>
#include <sstream>

namespace {

std::mutex config_lock;
carve_config_s current_config;

std::string trimmed(const std::string &s)
{
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return {};
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool parse_format_line(const std::string &line, carve_config_s &config)
{
    const size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    const std::string name = trimmed(line.substr(0, eq));
    std::istringstream rest(line.substr(eq + 1));
    std::string state, cap;
    rest >> state >> cap;
    if (name.empty() || (state != "on" && state != "off"))
        return false;
    carve_format_setting_s setting;
    setting.enabled = state == "on";
    if (!cap.empty() && !carve_parse_size(cap, setting.max_size))
        return false;
    config.formats[name] = setting;
    return true;
}

bool parse_signature_line(const std::string &line, carve_config_s &config)
{
    std::istringstream in(line);
    std::string ext, cs, max, header, footer, extra;
    in >> ext >> cs >> max >> header >> footer >> extra;
    carve_user_signature_s sig;
    if (ext.empty() || ext.size() > 8 || !extra.empty() || (cs != "y" && cs != "n"))
        return false;
    for (char c : ext)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    sig.extension = ext;
    sig.case_sensitive = cs == "y";
    if (!carve_parse_size(max, sig.max_size) || !carve_parse_pattern(header, sig.header) || sig.header.empty())
        return false;
    if (sig.header.size() > 256 || sig.header[0] < 0)
        return false; // the first byte dispatches the signature
    if (!footer.empty() && (!carve_parse_pattern(footer, sig.footer) || sig.footer.size() > 256))
        return false;
    config.signatures.push_back(std::move(sig));
    return true;
}

} // namespace

bool carve_config_s::enabled(const std::string &name) const
{
    const auto it = formats.find(name);
    return it == formats.end() || it->second.enabled;
}

uint64_t carve_config_s::max_size(const std::string &name, uint64_t fallback) const
{
    const auto it = formats.find(name);
    return it == formats.end() || it->second.max_size == 0 ? fallback : it->second.max_size;
}

bool carve_parse_size(const std::string &text, uint64_t &out)
{
    if (text.empty())
        return false;
    uint64_t value = 0;
    size_t i = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value > (UINT64_MAX - 9) / 10)
            return false;
        value = value * 10 + uint64_t(text[i] - '0');
    }
    if (i == 0)
        return false;
    uint64_t unit = 1;
    if (i + 1 == text.size()) {
        switch (std::toupper(static_cast<unsigned char>(text[i]))) {
        case 'K': unit = 1ULL << 10; break;
        case 'M': unit = 1ULL << 20; break;
        case 'G': unit = 1ULL << 30; break;
        default: return false;
        }
    } else if (i != text.size()) {
        return false;
    }
    if (value == 0 || value > UINT64_MAX / unit)
        return false;
    out = value * unit;
    return true;
}

bool carve_parse_pattern(const std::string &text, std::vector<int16_t> &out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '?') {
            out.push_back(-1);
            continue;
        }
        if (c != '\\') {
            out.push_back(static_cast<uint8_t>(c));
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text[i]) {
        case 'x': {
            const int hi = i + 1 < text.size() ? hex_digit(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? hex_digit(text[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return false;
            out.push_back(static_cast<int16_t>(hi * 16 + lo));
            i += 2;
            break;
        }
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 's': out.push_back(' '); break;
        case '0': out.push_back(0); break;
        case '\\': out.push_back('\\'); break;
        case '?': out.push_back('?'); break;
        default: return false;
        }
    }
    return true;
}

carve_config_s carve_parse_config(const QByteArray &text, int *bad_lines)
{
    carve_config_s config;
    int bad = 0;
    enum { none, formats, signatures } section = none;
    for (const QByteArray &raw : text.split('\n')) {
        const std::string line = trimmed(raw.toStdString());
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line == "[formats]") {
            section = formats;
            continue;
        }
        if (line == "[signatures]") {
            section = signatures;
            continue;
        }
        bool ok = false;
        if (section == formats)
            ok = parse_format_line(line, config);
        else if (section == signatures)
            ok = parse_signature_line(line, config);
        if (!ok)
            ++bad;
    }
    if (bad_lines)
        *bad_lines = bad;
    return config;
}

carve_config_s carve_current_config()
{
    std::lock_guard<std::mutex> guard(config_lock);
    return current_config;
}

void carve_set_config(const carve_config_s &config)
{
    std::lock_guard<std::mutex> guard(config_lock);
    current_config = config;
}
