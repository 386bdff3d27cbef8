#include "app/settings.h"

#include "app/translations.h"
#include "platform/paths.h"

#include <QDir>
#include <cstdlib>

std::unique_ptr<QSettings> app_settings;
QString recovery_folder;

QString settings_file_path() { return platform_config_dir() + QStringLiteral("/VornRecovery.ini"); }

std::optional<QString> registry_language()
{
    QString locale;
    for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *v = std::getenv(var);
        if (v && *v) {
            locale = QString::fromUtf8(v);
            break;
        }
    }
    if (locale.isEmpty())
        return std::nullopt;
    // "zh_TW.UTF-8@euro" -> language "zh", territory "TW"
    const QString base = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    const QString lang = base.section(QLatin1Char('_'), 0, 0).toLower();
    const QString territory = base.section(QLatin1Char('_'), 1, 1).toUpper();
    struct map_s {
        const char *lang;
        const char *name;
    };
    static const map_s names[] = {
        {"en", "English"},  {"de", "Deutsch"},  {"es", "Español"},   {"fr", "Français"},
        {"it", "Italiano"}, {"ja", "日本語"},   {"nl", "Nederlands"}, {"pt", "Português"},
    };
    if (lang == QLatin1String("zh")) {
        if (territory == QLatin1String("CN") || territory == QLatin1String("SG"))
            return QString::fromUtf8("简体中文");
        if (territory == QLatin1String("TW") || territory == QLatin1String("HK"))
            return QString::fromUtf8("繁體中文");
        return std::nullopt;
    }
    for (const map_s &m : names)
        if (lang == QLatin1String(m.lang))
            return QString::fromUtf8(m.name);
    return std::nullopt;
}

void load_settings()
{
    app_settings = std::make_unique<QSettings>(settings_file_path(), QSettings::IniFormat);
    recovery_folder = app_settings->value(QStringLiteral("recovery_folder")).toString();
    current_language = app_settings->value(QStringLiteral("language")).toString();
    if (current_language.isEmpty()) {
        if (auto lang = registry_language()) {
            current_language = *lang;
            app_settings->setValue(QStringLiteral("language"), current_language);
            app_settings->sync();
        } else {
            current_language = QStringLiteral("English");
        }
    }
    load_language(QStringLiteral("English"), false);
    load_language(current_language, true);
}

void save_settings()
{
    if (!app_settings)
        app_settings = std::make_unique<QSettings>(settings_file_path(), QSettings::IniFormat);
    app_settings->setValue(QStringLiteral("recovery_folder"), recovery_folder);
    app_settings->setValue(QStringLiteral("language"), current_language);
    app_settings->sync();
}

QString format_size(uint64_t bytes)
{
    const double b = static_cast<double>(bytes);
    if (bytes > 1073741824ULL)
        return QString::asprintf("%.2fG", b / 1073741824.0);
    if (bytes > 1048576ULL)
        return QString::asprintf("%.2fM", b / 1048576.0);
    if (bytes > 1024ULL)
        return QString::asprintf("%.2fK", b / 1024.0);
    return QString::asprintf("%dB", static_cast<int>(bytes));
}
