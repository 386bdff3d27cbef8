#pragma once
// The two settings kept between runs (language, recovery folder) and the short size text.

#include <QSettings>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

extern std::unique_ptr<QSettings> app_settings;
extern QString recovery_folder;

// Path of VornRecovery.ini in the user's config folder.
QString settings_file_path();

// Reads both keys, settles current_language (first run: from the locale) and loads the texts.
void load_settings();
// Writes both keys and flushes the file.
void save_settings();
// The language of the user's locale (LC_ALL, LC_MESSAGES, LANG), or none.
std::optional<QString> registry_language();

// "1.00K", "500.00G", "1024B": two decimals, powers of 1024, no blank before the unit.
QString format_size(uint64_t bytes);
