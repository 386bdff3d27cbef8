#include "platform/help_page.h"

#include "platform/paths.h"

#include <QDesktopServices>
#include <QUrl>

QString help_page_path() { return platform_find_data_file(QStringLiteral("help.html")); }

int open_help_page()
{
    const QString path = help_page_path();
    if (path.isEmpty())
        return -1;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? 0 : -1;
}
