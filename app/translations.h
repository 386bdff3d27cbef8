#pragma once
// Texts by key from language.ini: English first, the chosen language laid over it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <string>

extern std::map<std::string, QString> translations;
extern QStringList language_names;
extern QString current_language;
extern int current_language_index;

// Where language.ini is read from; empty means "look it up among the data files".
void set_language_file(const QString &path);
QString language_file();

// Reads section `name` into translations (rebuilding language_names on the way). 0 when the file
// was read, -1 when it could not be opened (nothing changes then).
int load_language(const QString &name, bool set_index);

// The parsing half of load_language, over the file's bytes.
void parse_language_text(const QByteArray &content, const QString &name, bool set_index);

// The text of key; a key without text is entered with an empty text and that text is returned.
// Window thread only: it inserts missing keys.
const QString &text_for(const char *key);
const QString &text_for(const std::string &key);

// Image folder code of the chosen language ("en", "de", "cn", ...).
QString image_language_code();
// "/images/multilang/<code>/<file_name>"
QString localized_image_path(const QString &file_name);

// Line matchers of the file format (exposed for tests and the fuzz target).
bool match_section_header(const std::string &line, std::string &name);
bool match_entry(const std::string &line, std::string &key, std::string &text);
