#include "cli/cli_images.h"

#include "cli/cli_util.h"
#include "platform/drives.h"

int cli_add_images(const QStringList &paths)
{
    int failed = 0;
    for (const QString &path : paths) {
        QString reason;
        if (platform_add_image(path, &reason) != 0) {
            cli_error(QStringLiteral("%1: %2").arg(path, reason));
            ++failed;
        }
    }
    for (const QString &image : platform_images_left_out()) {
        cli_error(QStringLiteral("%1: not listed, there are already ten drives").arg(image));
        ++failed;
    }
    return failed;
}

QString cli_table(const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QStringList &row : rows)
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.append(0);
            widths[i] = std::max(widths[i], row[i].size());
        }
    QString out;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        out += line + QLatin1Char('\n');
    }
    return out;
}
