#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {

QString env_text(const char *name)
{
    const char *v = std::getenv(name);
    return v ? QString::fromUtf8(v) : QString();
}

QString xdg_dir(const char *var, const char *fallback_below_home)
{
    QString base = env_text(var);
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = platform_home_dir() + QLatin1Char('/') + QLatin1String(fallback_below_home);
    return base + QStringLiteral("/VornRecovery");
}

} // namespace

QString platform_home_dir()
{
    const QString home = env_text("HOME");
    return home.isEmpty() ? QDir::homePath() : home;
}

QString platform_config_dir() { return xdg_dir("XDG_CONFIG_HOME", ".config"); }

QString platform_state_dir() { return xdg_dir("XDG_STATE_HOME", ".local/state"); }

QString platform_runtime_dir()
{
    const QString run = env_text("XDG_RUNTIME_DIR");
    if (!run.isEmpty() && QFileInfo(run).isDir())
        return run;
    return QDir::tempPath();
}

QString platform_executable_dir()
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return QDir::currentPath();
    buf[n] = '\0';
    return QFileInfo(QString::fromUtf8(buf)).absolutePath();
}

QString platform_find_data_file(const QString &name)
{
    QStringList dirs;
    const QString override_dir = env_text("VORN_DATA_DIR");
    if (!override_dir.isEmpty())
        dirs << override_dir;
    const QString exe = platform_executable_dir();
    dirs << exe << exe + QStringLiteral("/data") << exe + QStringLiteral("/../data")
         << exe + QStringLiteral("/../share/vornrecovery");
    QString xdg = env_text("XDG_DATA_DIRS");
    if (xdg.isEmpty())
        xdg = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &d : xdg.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs << d + QStringLiteral("/vornrecovery");
    for (const QString &d : dirs) {
        const QString candidate = d + QLatin1Char('/') + name;
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return QString();
}
