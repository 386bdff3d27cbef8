#include "cli/cli_scan_run.h"

#include "cli/cli_source.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "engines/ntfs_recovery.h"
#include "engines/raw_recovery.h"

#include <QFileInfo>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

extern "C" void on_interrupt(int) { interrupted = true; }

const char *engine_label(engine_kind_e kind)
{
    switch (kind) {
    case engine_fat:
        return "FAT quick scan";
    case engine_ntfs:
        return "NTFS quick scan";
    case engine_deep:
        return "deep scan";
    case engine_none:
        break;
    }
    return "scan";
}

void report_progress(recovery_base_c &engine, bool tty, bool final)
{
    const QByteArray line = QStringLiteral("%1%  %2 read, %3 found")
                                .arg(static_cast<int>(engine.get_progress() * 100.0))
                                .arg(engine.get_scanned_count())
                                .arg(engine.get_found_count())
                                .toUtf8();
    if (tty)
        std::fprintf(stderr, "\r\033[KScanning: %s%s", line.constData(), final ? "\n" : "");
    else
        std::fprintf(stderr, "Scanning: %s\n", line.constData());
    std::fflush(stderr);
}

void run_with_progress(recovery_base_c &engine, bool &stopped)
{
    interrupted = false;
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);

    const bool tty = isatty(STDERR_FILENO) == 1;
    engine.start();
    int ticks = 0;
    while (!engine.wait(200)) {
        if (interrupted && !stopped) {
            engine.set_stop(stop_user);
            stopped = true;
        }
        ++ticks;
        if (tty || ticks % 10 == 0) // a line every two seconds when not on a terminal
            report_progress(engine, tty, false);
    }
    engine.set_progress(1.0);
    report_progress(engine, tty, true);
    sigaction(SIGINT, &previous, nullptr);
}

} // namespace

int cli_scan_source(const QCommandLineParser &parser, const cli_scan_options_s &options,
                    const QString &source, cli_scan_s &scan)
{
    int partition = -1;
    if (parser.isSet(options.partition)) {
        bool ok = false;
        partition = parser.value(options.partition).toInt(&ok);
        if (!ok || partition < 0) {
            cli_error(QStringLiteral("--partition takes a partition number"));
            return cli_usage;
        }
    }
    const bool deep = parser.isSet(options.deep);
    QString error;
    if (cli_resolve_volume(source, partition, scan.volume, error) != 0) {
        // The deep scan needs no file system: an unformatted image or device is read whole.
        const QFileInfo info(source);
        if (!deep || partition >= 0 || !info.exists()) {
            cli_error(error);
            return cli_failed;
        }
        scan.volume = volume_item_s{};
        scan.volume.volume_name = scan.volume.device_name = scan.volume.mount_point = info.absoluteFilePath();
    }
    scan.kind = choose_engine_kind(scan.volume, deep);
    scan.engine = make_engine(scan.kind);
    if (!scan.engine) {
        cli_error(QStringLiteral("no quick scan for the file system of %1 ('%2'); try --deep")
                      .arg(scan.volume.volume_name, scan.volume.file_system));
        return cli_failed;
    }
    std::fprintf(stderr, "%s of %s\n", engine_label(scan.kind), scan.volume.volume_name.toUtf8().constData());
    if (auto *ntfs = dynamic_cast<ntfs_recovery_c *>(scan.engine.get()))
        ntfs->set_keep_live(scan.keep_live);
    scan.engine->reset();
    scan.engine->set_volume(scan.volume);
    run_with_progress(*scan.engine, scan.stopped);
    if (auto *raw = dynamic_cast<raw_recovery_c *>(scan.engine.get()); raw && raw->scan_result() != 0) {
        cli_error(QStringLiteral("cannot read %1").arg(scan.volume.volume_name));
        return cli_failed;
    }
    if (scan.stopped)
        std::fprintf(stderr, "Stopped: the results found so far follow.\n");
    return cli_ok;
}
