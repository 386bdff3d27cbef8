// MFT scan speed: our library against ntfsundelete --scan and fls -rd on one image with more
// than 200,000 MFT records, every figure from the page cache (each tool runs once to warm it).
// The image is built once with mkntfs and the ntfs-3g driver and kept in the build folder.
//
// Usage: bench_ntfs_scan [image]   (needs root and FUSE to build the image)

#include "disk/volume_item.h"
#include "engines/ntfs/ntfs_scan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>

namespace {

constexpr int dir_count = 100;
constexpr int files_per_dir = 2050;
constexpr int deleted_dirs = 10; // the files of these directories are deleted again

int run(const QString &program, const QStringList &args, int timeout_ms = 3600000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(timeout_ms))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool build_image(const QString &image)
{
    const QString mount = image + QStringLiteral(".mnt");
    QDir().mkpath(mount);
    QFile::remove(image);
    QFile f(image);
    if (!f.open(QIODevice::WriteOnly) || !f.resize(qint64(768) * 1024 * 1024))
        return false;
    f.close();
    if (run(QStringLiteral("mkntfs"), {QStringLiteral("-F"), QStringLiteral("-Q"), QStringLiteral("-q"), image}) != 0)
        return false;
    if (run(QStringLiteral("ntfs-3g"), {QStringLiteral("-o"), QStringLiteral("noatime"), image, mount}) != 0)
        return false;
    std::printf("building %s: %d files (once)...\n", qPrintable(image), dir_count * files_per_dir);
    std::fflush(stdout);
    bool ok = true;
    for (int d = 0; d < dir_count && ok; ++d) {
        const QString dir = mount + QStringLiteral("/d%1").arg(d);
        ok = QDir().mkdir(dir);
        const QByteArray prefix = QFile::encodeName(dir) + "/f";
        for (int i = 0; i < files_per_dir && ok; ++i) {
            const QByteArray name = prefix + QByteArray::number(i);
            FILE *out = std::fopen(name.constData(), "w");
            ok = out != nullptr;
            if (out) {
                std::fprintf(out, "%d/%d\n", d, i);
                std::fclose(out);
            }
        }
    }
    for (int d = 0; d < deleted_dirs && ok; ++d)
        ok = QDir(mount + QStringLiteral("/d%1").arg(d)).removeRecursively();
    const bool unmounted = run(QStringLiteral("umount"), {mount}) == 0;
    QDir().rmdir(mount);
    return ok && unmounted;
}

// Our scan: records examined per second (every record of the MFT is examined).
double our_scan(const QString &image, int64_t &records, int64_t &delivered)
{
    volume_item_s item;
    item.volume_name = image;
    item.disk_number = 0;
    item.partition_number = 0;
    volume_list = {volume_item_s{}, item};
    ntfs_scan_context ctx{};
    QElapsedTimer t;
    t.start();
    if (ntfs_scan_startup("/dev/hda0", &ctx) != 0)
        return -1;
    std::memcpy(&records, ctx.bytes + ntfs_ctx_total_offset, sizeof records);
    ntfs_record_s rec;
    delivered = 0;
    while (ntfs_scan_next(&ctx, &rec))
        ++delivered;
    ntfs_scan_shutdown(&ctx);
    return double(t.nsecsElapsed()) / 1e9;
}

double timed(const QString &program, const QStringList &args)
{
    QElapsedTimer t;
    t.start();
    if (run(program, args) < 0)
        return -1;
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString image = app.arguments().value(1);
    if (image.isEmpty()) {
        QDir().mkpath(QStringLiteral(VORN_BENCH_CACHE));
        image = QStringLiteral(VORN_BENCH_CACHE "/ntfs-records.img");
        const QString done = image + QStringLiteral(".done");
        if (!QFileInfo::exists(done)) {
            if (!build_image(image)) {
                std::fprintf(stderr, "could not build the image (needs mkntfs, ntfs-3g and FUSE)\n");
                return 1;
            }
            QFile(done).open(QIODevice::WriteOnly);
        }
    }

    int64_t records = 0, delivered = 0;
    our_scan(image, records, delivered); // warm the page cache
    double ours = 1e9;
    for (int i = 0; i < 5; ++i) {
        const double s = our_scan(image, records, delivered);
        if (s < 0) {
            std::fprintf(stderr, "our scan could not open %s\n", qPrintable(image));
            return 1;
        }
        ours = std::min(ours, s);
    }
    std::printf("MFT records: %lld, delivered by our scan: %lld\n", (long long)records, (long long)delivered);
    std::printf("%-24s %10.3f s %14.0f records/s\n", "ours", ours, double(records) / ours);

    const struct {
        const char *label;
        QString program;
        QStringList args;
    } peers[] = {
        {"ntfsundelete --scan", QStringLiteral("ntfsundelete"), {QStringLiteral("--scan"), QStringLiteral("--force"), image}},
        {"fls -rd", QStringLiteral("fls"), {QStringLiteral("-rd"), image}},
    };
    for (const auto &peer : peers) {
        if (QStandardPaths::findExecutable(peer.program).isEmpty()) {
            std::printf("%-24s not installed\n", peer.label);
            continue;
        }
        timed(peer.program, peer.args); // warm
        const double s = timed(peer.program, peer.args);
        if (s < 0) {
            std::printf("%-24s failed\n", peer.label);
            continue;
        }
        std::printf("%-24s %10.3f s %14.0f records/s   ours is %.1fx faster\n", peer.label, s,
                    double(records) / s, s / ours);
    }
    return 0;
}
