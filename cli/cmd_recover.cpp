#include "cli/cli_deep.h"
#include "cli/cli_recover_paths.h"
#include "cli/cli_scan_run.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "engines/copy_plain_file.h"
#include "engines/fat/sector_layer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

struct recover_counts_s {
    int written = 0;
    int partial = 0;
    int failed = 0;
};

// A live file of a mounted volume is copied from the mount; the path is built from names on
// the disk, so it must stay below the mount point.
int copy_live_file(const QString &source, const QString &mount_point, const QString &destination)
{
    const QString root = QFileInfo(mount_point).canonicalFilePath();
    const QString real = QFileInfo(source).canonicalFilePath();
    if (root.isEmpty() || real.isEmpty() || !real.startsWith(root + QLatin1Char('/')))
        return -1;
    return copy_plain_file(real, destination);
}

// Deleted files through the engine; live files (NTFS) from the mounted volume when it is
// mounted, else through the engine as well. Carved files have no path on the volume: always
// through the engine.
int32_t write_one(recovery_base_c &engine, const volume_item_s &volume, const found_row_s &row, const QString &path,
                  bool deep)
{
    if (!deep && !row.deleted && QFileInfo(volume.mount_point).isDir()) {
        QString source;
        if (engine.get_file_path(row.id, source) == 0)
            return copy_live_file(source, volume.mount_point, path);
    }
    return engine.recover_file(row.id, path);
}

recover_counts_s write_rows(recovery_base_c &engine, const volume_item_s &volume, const QList<found_row_s> &rows,
                            const QDir &out, bool deleted_only, bool deep)
{
    recover_counts_s counts;
    const QHash<int64_t, QString> paths = deep ? cli_deep_paths(rows) : cli_recover_paths(rows);
    for (const found_row_s &row : rows) {
        if (row.directory || (deleted_only && !row.deleted))
            continue;
        const QString path = out.filePath(paths.value(row.id));
        if (!QDir().mkpath(QFileInfo(path).path())) {
            cli_error(QStringLiteral("cannot create the folder for %1").arg(path));
            ++counts.failed;
            continue;
        }
        const int32_t r = write_one(engine, volume, row, path, deep);
        if (r == 0) {
            ++counts.written;
        } else if (r == recover_partial) {
            cli_error(QStringLiteral("partially recovered: %1").arg(row.path));
            ++counts.partial;
        } else {
            cli_error(QStringLiteral("could not recover: %1").arg(row.path));
            ++counts.failed;
        }
    }
    return counts;
}

// Writing into the volume being recovered can overwrite the very files wanted back.
bool lies_on_volume(const QString &folder, const volume_item_s &volume)
{
    const QString device = QString::fromUtf8(QStorageInfo(folder).device());
    if (device.isEmpty() || volume.device_name.isEmpty())
        return false;
    const QString a = QFileInfo(device).canonicalFilePath();
    const QString b = QFileInfo(volume.device_name).canonicalFilePath();
    return !a.isEmpty() && a == b;
}

} // namespace

int cmd_recover(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption out_option(QStringLiteral("out"), QStringLiteral("Folder to write into."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption deleted_only(QStringLiteral("deleted-only"),
                                          QStringLiteral("Write deleted files only."));
    parser.addOption(out_option);
    parser.addOption(deleted_only);
    const QCommandLineOption load(QStringLiteral("load"),
                                  QStringLiteral("Deep scan: take the results from a scan file instead of scanning."),
                                  QStringLiteral("FILE.sav"));
    parser.addOption(load);
    cli_scan_options_s options;
    options.add_to(parser);
    parser.addPositionalArgument(QStringLiteral("SOURCE"),
                                 QStringLiteral("Volume name, device node, mount point or image file."));
    int status = cli_ok;
    if (!cli_parse(parser, QStringLiteral("recover"),
                   QStringLiteral("recover SOURCE --out DIR [--partition N] [--deleted-only]: write the "
                                  "found files into DIR, keeping their folders.\n"
                                  "recover --deep SOURCE --out DIR, or recover --load FILE.sav --out DIR: write "
                                  "carved files as DIR/<extension>/<number>.<extension>."),
                   args, &status))
        return status;
    const bool loading = parser.isSet(load);
    if (parser.positionalArguments().size() != (loading ? 0 : 1) || !parser.isSet(out_option)) {
        cli_error(QStringLiteral("recover takes one SOURCE and --out DIR; try 'recover --help'"));
        return cli_usage;
    }
    const QDir out(parser.value(out_option));
    if (!QDir().mkpath(out.absolutePath())) {
        cli_error(QStringLiteral("cannot create '%1'").arg(out.path()));
        return cli_failed;
    }
    cli_scan_s scan;
    scan.keep_live = !parser.isSet(deleted_only);
    status = loading ? cli_load_scan_file(parser.value(load), scan)
                     : cli_scan_source(parser, options, parser.positionalArguments().first(), scan);
    if (status == cli_ok && lies_on_volume(out.absolutePath(), scan.volume)) {
        cli_error(QStringLiteral("'%1' lies on the volume being recovered; choose a folder on another disk")
                      .arg(out.path()));
        status = cli_failed;
    } else if (status == cli_ok) {
        const recover_counts_s counts =
            write_rows(*scan.engine, scan.volume, scan.engine->found_rows(), QDir(out.absolutePath()),
                       parser.isSet(deleted_only), scan.kind == engine_deep);
        cli_print(QStringLiteral("%1 files written, %2 partially recovered, %3 failed\n")
                      .arg(counts.written).arg(counts.partial).arg(counts.failed));
        if (counts.failed > 0)
            status = cli_failed;
    }
    shutdown_sector_layer();
    return status;
}
