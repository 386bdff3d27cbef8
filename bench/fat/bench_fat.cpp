// Scans a FAT32 image with tens of thousands of entries, many deleted, with our FAT engine and
// with fls -rd, and prints entries per second for both and their ratio.
//
// bench_fat [IMAGE]   without IMAGE the image is built once under the build folder.

#include "engines/fat/sector_layer.h"
#include "engines/fat_recovery.h"
#include "platform/drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int dir_count = 240;
constexpr int files_per_dir = 120;

bool run(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MTOOLS_SKIP_CHECK"), QStringLiteral("1"));
    env.insert(QStringLiteral("PATH"), env.value(QStringLiteral("PATH")) + QStringLiteral(":/usr/sbin:/sbin"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(out ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(-1))
        return false;
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// 240 directories of 120 small files (a third with long names); then every third directory is
// deleted whole and half the files of the others are deleted.
bool build_image(const QString &image)
{
    QTemporaryDir tree;
    if (!tree.isValid())
        return false;
    std::fprintf(stderr, "building %s (once)...\n", qPrintable(image));
    const QString root = tree.filePath(QStringLiteral("root"));
    for (int d = 0; d < dir_count; ++d) {
        const QString dir = QStringLiteral("%1/D%2").arg(root).arg(d, 4, 10, QLatin1Char('0'));
        QDir().mkpath(dir);
        for (int f = 0; f < files_per_dir; ++f) {
            const QString name = f % 3 == 0 ? QStringLiteral("Long file name number %1.txt").arg(f)
                                            : QStringLiteral("F%1.TXT").arg(f, 4, 10, QLatin1Char('0'));
            QFile file(dir + QLatin1Char('/') + name);
            if (!file.open(QIODevice::WriteOnly))
                return false;
            file.write(QByteArray(200 + f * 7, char('a' + f % 26)));
        }
    }
    const QString partial = image + QStringLiteral(".part");
    QFile::remove(partial);
    if (!run(QStringLiteral("mkfs.fat"), {"-C", "-F", "32", "-s", "8", partial, "320000"}))
        return false;
    QStringList copy{"-i", partial, "-s", "-Q"};
    for (int d = 0; d < dir_count; ++d)
        copy << QStringLiteral("%1/D%2").arg(root).arg(d, 4, 10, QLatin1Char('0'));
    copy << QStringLiteral("::/");
    if (!run(QStringLiteral("mcopy"), copy))
        return false;
    QStringList tree_del{"-i", partial}, file_del{"-i", partial};
    for (int d = 0; d < dir_count; ++d) {
        const QString dir = QStringLiteral("::/D%1").arg(d, 4, 10, QLatin1Char('0'));
        if (d % 3 == 0)
            tree_del << dir;
        else
            file_del << dir + QStringLiteral("/F???1.TXT") << dir + QStringLiteral("/F???3.TXT")
                     << dir + QStringLiteral("/F???5.TXT") << dir + QStringLiteral("/Long*");
    }
    if (!run(QStringLiteral("mdeltree"), tree_del) || !run(QStringLiteral("mdel"), file_del))
        return false;
    return QFile::rename(partial, image);
}

struct timing_s {
    double seconds = 0;
    qint64 entries = 0;
};

timing_s time_ours(const QString &image)
{
    platform_clear_images();
    platform_add_image(image);
    init_sector_layer();
    volume_item_s v;
    v.volume_name = image;
    v.mount_point = image;
    fat_recovery_c engine;
    timing_s best{1e9, 0};
    for (int i = 0; i < 3; ++i) {
        engine.reset();
        engine.set_volume(v);
        QElapsedTimer t;
        t.start();
        engine.start();
        engine.wait();
        best.seconds = std::min(best.seconds, t.nsecsElapsed() / 1e9);
        best.entries = engine.get_found_count();
    }
    std::fprintf(stderr, "ours: %lld directory reads, %lld indexed (directories and deleted files)\n",
                 static_cast<long long>(engine.get_scanned_count()), static_cast<long long>(best.entries));
    shutdown_sector_layer();
    return best;
}

timing_s time_fls(const QString &image)
{
    timing_s best{1e9, 0};
    for (int i = 0; i < 3; ++i) {
        QByteArray out;
        QElapsedTimer t;
        t.start();
        if (!run(QStringLiteral("fls"), {"-rd", image}, &out))
            return {};
        best.seconds = std::min(best.seconds, t.nsecsElapsed() / 1e9);
        best.entries = out.count('\n');
    }
    std::fprintf(stderr, "fls -rd: %lld deleted entries listed\n", static_cast<long long>(best.entries));
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString image = app.arguments().value(1);
    if (image.isEmpty()) {
        QDir().mkpath(QStringLiteral(VORN_BENCH_CACHE));
        image = QStringLiteral(VORN_BENCH_CACHE "/fat32-many.img");
        if (!QFileInfo::exists(image) && !build_image(image)) {
            std::fprintf(stderr, "could not build the image (mkfs.fat and mtools needed)\n");
            return 1;
        }
    }
    const timing_s ours = time_ours(image);
    const timing_s fls = time_fls(image);
    const double ours_rate = ours.entries / ours.seconds;
    std::printf("ours:    %8lld entries in %.3f s = %10.0f entries/s\n", static_cast<long long>(ours.entries),
                ours.seconds, ours_rate);
    if (fls.seconds <= 0 || fls.entries == 0) {
        std::printf("fls:     not available\n");
        return 0;
    }
    const double fls_rate = fls.entries / fls.seconds;
    std::printf("fls -rd: %8lld entries in %.3f s = %10.0f entries/s\n", static_cast<long long>(fls.entries),
                fls.seconds, fls_rate);
    std::printf("ratio (ours / fls): %.2fx entries per second, %.2fx faster in wall time\n", ours_rate / fls_rate,
                fls.seconds / ours.seconds);
    return 0;
}
