#include "app/translations.h"

#include "platform/paths.h"

#include <QByteArray>
#include <cstdio>

std::map<std::string, QString> translations;
QStringList language_names;
QString current_language;
int current_language_index = 0;

namespace {

QString explicit_language_file;

// Whitespace as the ECMAScript class \s sees it in the C locale.
bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_line_end(char c) { return c == '\n' || c == '\r'; }

bool has_line_end(const std::string &s, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (is_line_end(s[i]))
            return true;
    return false;
}

size_t trimmed_end(const std::string &s)
{
    size_t end = s.size();
    while (end > 0 && is_blank(s[end - 1]))
        --end;
    return end;
}

// Replaces the two escapes the file knows: first \t, then \n.
std::string unescape(std::string text)
{
    auto replace_all = [&text](const char *from, char to) {
        for (size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; ++pos)
            text.replace(pos, 2, 1, to);
    };
    replace_all("\\t", '\t');
    replace_all("\\n", '\n');
    return text;
}

} // namespace

// The two matchers give exactly what the patterns ^\s*\[(.*)\]\s*$ and
// ^\s*([^;].*)\s*=\s*"(.+)"\s*$ (ECMAScript) give for a whole line, without the backtracking
// cost of std::regex on long lines.
bool match_section_header(const std::string &line, std::string &name)
{
    size_t begin = 0;
    while (begin < line.size() && is_blank(line[begin]))
        ++begin;
    const size_t end = trimmed_end(line);
    if (begin >= end || line[begin] != '[' || end - begin < 2 || line[end - 1] != ']')
        return false;
    if (has_line_end(line, begin + 1, end - 1))
        return false;
    name = line.substr(begin + 1, end - begin - 2);
    return true;
}

namespace {

// Entry whose key starts at `start`: the key runs to the last "=" that is followed by blanks and
// a quoted text closed by the line's last quote.
bool match_entry_from(const std::string &line, size_t start, std::string &key, std::string &text)
{
    const size_t end = trimmed_end(line);
    if (end == 0 || line[end - 1] != '"')
        return false;
    const size_t close = end - 1;
    for (size_t eq = close; eq-- > start + 1;) {
        if (line[eq] != '=')
            continue;
        size_t open = eq + 1;
        while (open < close && is_blank(line[open]))
            ++open;
        if (open >= close || line[open] != '"' || open + 1 >= close)
            continue;
        if (has_line_end(line, open + 1, close) || has_line_end(line, start + 1, eq))
            continue;
        key = line.substr(start, eq - start);
        text = line.substr(open + 1, close - open - 1);
        return true;
    }
    return false;
}

} // namespace

bool match_entry(const std::string &line, std::string &key, std::string &text)
{
    size_t first = 0;
    while (first < line.size() && is_blank(line[first]))
        ++first;
    if (first >= line.size())
        return false;
    // The key normally starts at the first non-blank; a key that cannot start there (a ";", or
    // an "=" right there) may start with the last leading blank instead.
    if (line[first] != ';' && match_entry_from(line, first, key, text))
        return true;
    return first > 0 && match_entry_from(line, first - 1, key, text);
}

void set_language_file(const QString &path) { explicit_language_file = path; }

QString language_file()
{
    if (!explicit_language_file.isEmpty())
        return explicit_language_file;
    return platform_find_data_file(QStringLiteral("language.ini"));
}

int load_language(const QString &name, bool set_index)
{
    const QString path = language_file();
    if (path.isEmpty())
        return -1;
    FILE *file = std::fopen(path.toUtf8().constData(), "r");
    if (!file)
        return -1;
    QByteArray content;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        content.append(chunk, static_cast<qsizetype>(n));
    std::fclose(file);
    parse_language_text(content, name, set_index);
    return 0;
}

void parse_language_text(const QByteArray &content, const QString &name, bool set_index)
{
    language_names.clear();
    bool inside = false;
    const std::string wanted = name.toUtf8().toStdString();
    const char *data = content.constData();
    const size_t size = static_cast<size_t>(content.size());
    // Lines are taken in pieces of at most 2047 bytes, as a 2048-byte line buffer reads them;
    // each piece counts as a line, and a NUL byte ends the piece's text.
    for (size_t pos = 0; pos < size;) {
        size_t len = 0;
        while (len < 2047 && pos + len < size && data[pos + len] != '\n')
            ++len;
        if (len < 2047 && pos + len < size)
            ++len; // the line end belongs to the piece
        std::string line(data + pos, qstrnlen(data + pos, static_cast<uint>(len)));
        pos += len;
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
            line.replace(line.size() - 2, 2, "\n");
        std::string section, key, text;
        if (match_section_header(line, section)) {
            language_names.append(QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())));
            if (inside) {
                inside = false;
            } else if (section == wanted) {
                inside = true;
                if (set_index)
                    current_language_index = static_cast<int>(language_names.size()) - 1;
            }
        } else if (inside && match_entry(line, key, text)) {
            text = unescape(text);
            translations[key] = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
    }
}

const QString &text_for(const std::string &key) { return translations[key]; }

const QString &text_for(const char *key) { return translations[std::string(key)]; }

QString image_language_code()
{
    struct code_s {
        const char *name;
        const char *code;
    };
    static const code_s codes[] = {
        {"Deutsch", "de"},  {"Français", "fr"}, {"Español", "es"},    {"简体中文", "cn"},
        {"繁體中文", "hk"}, {"Italiano", "it"}, {"日本語", "jp"},      {"Português", "pt"},
        {"Nederlands", "nl"}, {"العربية", "ar"},
    };
    if (current_language_index < 0 || current_language_index >= language_names.size())
        return QStringLiteral("en");
    const QString &section = language_names.at(current_language_index);
    for (const code_s &c : codes)
        if (section.compare(QString::fromUtf8(c.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(c.code);
    return QStringLiteral("en");
}

QString localized_image_path(const QString &file_name)
{
    return QStringLiteral("/images/multilang/") + image_language_code() + QLatin1Char('/') + file_name;
}
