#include "tests/ntfs/ntfs_fixture.h"

#include "disk/volume_item.h"
#include "tests/support/test_tools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>

namespace {

QByteArray random_bytes(qsizetype n, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray b(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i)
        b[i] = char(gen.bounded(256));
    return b;
}

bool mount_image(const QString &image, const QString &mnt)
{
    return test_run_tool(QStringLiteral("ntfs-3g"), {image, mnt}) == 0;
}

bool unmount(const QString &mnt) { return test_run_tool(QStringLiteral("umount"), {mnt}) == 0; }

class filler_c {
public:
    filler_c(const QString &mnt, ntfs_fixture_s &fx) : mnt_(mnt), fx_(fx) {}

    bool dir(const QString &path) { return QDir().mkpath(mnt_ + path); }
    bool file(const QString &path, const QByteArray &content)
    {
        if (!test_write_file(mnt_ + path, content))
            return fail(QStringLiteral("cannot write ") + path);
        fx_.files.append({path, content, false, 0});
        return true;
    }
    // A file with holes: data blocks at the given offsets, size bytes long.
    bool sparse(const QString &path, qint64 size, const QList<qint64> &offsets)
    {
        QFile f(mnt_ + path);
        if (!f.open(QIODevice::WriteOnly) || !f.resize(size))
            return fail(QStringLiteral("cannot make ") + path);
        QByteArray content(size, 0);
        for (qint64 off : offsets) {
            const QByteArray block = random_bytes(4096, quint32(off));
            f.seek(off);
            f.write(block);
            content.replace(off, block.size(), block);
        }
        f.close();
        fx_.files.append({path, content, false, 0});
        return true;
    }
    // Files created below a directory with the compressed attribute are compressed.
    bool compressed_dir(const QString &path)
    {
        if (!dir(path))
            return false;
        const QByteArray native = QFile::encodeName(mnt_ + path);
        unsigned char v[4] = {};
        if (getxattr(native.constData(), "system.ntfs_attrib_be", v, 4) != 4)
            return fail(QStringLiteral("no ntfs attribute xattr"));
        v[2] |= 0x08; // FILE_ATTRIBUTE_COMPRESSED 0x800, big-endian
        return setxattr(native.constData(), "system.ntfs_attrib_be", v, 4, 0) == 0
            || fail(QStringLiteral("cannot set the compressed attribute"));
    }
    // A live file that takes all free space but keep bytes.
    bool pad(const QString &path, qint64 keep)
    {
        struct statvfs vfs {};
        if (statvfs(QFile::encodeName(mnt_).constData(), &vfs) != 0)
            return fail(QStringLiteral("statvfs failed"));
        const qint64 free_bytes = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
        QFile out(mnt_ + path);
        if (!out.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot write ") + path);
        const QByteArray block(1024 * 1024, 'p');
        for (qint64 left = free_bytes - keep; left > 0; left -= block.size())
            if (out.write(block.constData(), qMin<qint64>(left, block.size())) <= 0)
                return fail(QStringLiteral("cannot fill ") + path);
        return true;
    }
    // Gives a file a DOS 8.3 name beside its long one.
    bool dos_name(const QString &path, const QByteArray &short_name)
    {
        const QByteArray native = QFile::encodeName(mnt_ + path);
        return setxattr(native.constData(), "system.ntfs_dos_name", short_name.constData(), size_t(short_name.size()), 0) == 0
            || fail(QStringLiteral("cannot set a DOS name"));
    }
    bool remove(const QString &path)
    {
        const QString full = mnt_ + path;
        struct stat st {};
        for (fixture_file_s &f : fx_.files) {
            if (f.path == path || f.path.startsWith(path + QLatin1Char('/'))) {
                if (stat(QFile::encodeName(mnt_ + f.path).constData(), &st) == 0)
                    f.modified_time = st.st_mtime;
                f.deleted = true;
                f.reused = path.startsWith(QStringLiteral("/fill/"));
            }
        }
        const bool ok = QFileInfo(full).isDir() ? QDir(full).removeRecursively() : QFile::remove(full);
        return ok || fail(QStringLiteral("cannot delete ") + path);
    }
    bool fail(const QString &why)
    {
        if (fx_.error.isEmpty())
            fx_.error = why;
        return false;
    }

private:
    QString mnt_;
    ntfs_fixture_s &fx_;
};

bool fill(filler_c &f)
{
    QByteArray text;
    for (int i = 0; i < 4000; ++i)
        text += "line " + QByteArray::number(i) + " of a compressible text file\n";
    QByteArray mixed = random_bytes(70000, 7) + QByteArray(90000, 'z') + random_bytes(30000, 8);

    bool ok = f.file(QStringLiteral("/small.txt"), "resident bytes in the record\n")
        && f.file(QStringLiteral("/keep.txt"), "a live file\n")
        && f.dir(QStringLiteral("/docs"))
        && f.file(QStringLiteral("/docs/a.txt"), "deleted resident\n")
        && f.file(QStringLiteral("/docs/big.bin"), random_bytes(300 * 1024 + 123, 1))
        && f.file(QStringLiteral("/docs/live.txt"), "still here\n")
        && f.file(QStringLiteral("/docs/Long File Name.txt"), "has a short name too\n")
        && f.dos_name(QStringLiteral("/docs/Long File Name.txt"), "LONGFI~1.TXT")
        && f.sparse(QStringLiteral("/docs/sparse.bin"), 5 * 1024 * 1024 + 77, {1024 * 1024, 4 * 1024 * 1024})
        && f.compressed_dir(QStringLiteral("/comp"))
        && f.file(QStringLiteral("/comp/text.txt"), text)
        && f.file(QStringLiteral("/comp/mixed.bin"), mixed)
        && f.dir(QStringLiteral("/a/b/c/d/e/f/g/h"))
        && f.file(QStringLiteral("/a/b/c/d/e/f/g/h/deep.txt"), "deep down\n")
        && f.file(QStringLiteral("/a/b/mid.bin"), random_bytes(9000, 2))
        && f.dir(QStringLiteral("/names"))
        && f.file(QString::fromUtf8("/names/日本語のファイル.txt"), "ja\n")
        && f.file(QString::fromUtf8("/names/Ελληνικά.txt"), "el\n")
        && f.file(QString::fromUtf8("/names/русский текст.txt"), "ru\n")
        && f.file(QString::fromUtf8("/names/emoji 😀.txt"), "emoji\n")
        && f.dir(QStringLiteral("/fill"));
    // Holes for a fragmented file: every other small file is deleted before it is written, so
    // its runlist outgrows the record and moves into an extension record.
    for (int i = 0; ok && i < 1400; ++i)
        ok = f.file(QStringLiteral("/fill/f%1").arg(i), random_bytes(4096, quint32(100 + i)));
    // The volume is then filled up so that the holes are the only free space left.
    ok = ok && f.pad(QStringLiteral("/pad.bin"), 256 * 1024);
    // The MFT zone is gone now, so the MFT grows into the last free clusters: a second run.
    ok = ok && f.dir(QStringLiteral("/more"));
    for (int i = 0; ok && i < 64; ++i)
        ok = f.file(QStringLiteral("/more/m%1").arg(i), "m" + QByteArray::number(i) + "\n");
    ok = ok && f.remove(QStringLiteral("/more/m60"));
    for (int i = 0; ok && i < 1400; i += 2)
        ok = f.remove(QStringLiteral("/fill/f%1").arg(i));
    ok = ok && f.file(QStringLiteral("/frag.bin"), random_bytes(340 * 4096 - 5, 3))
        && f.file(QStringLiteral("/frag2.bin"), random_bytes(340 * 4096 + 11, 4));
    ok = ok && f.remove(QStringLiteral("/small.txt")) && f.remove(QStringLiteral("/docs/a.txt"))
        && f.remove(QStringLiteral("/docs/big.bin")) && f.remove(QStringLiteral("/docs/sparse.bin"))
        && f.remove(QStringLiteral("/comp/text.txt")) && f.remove(QStringLiteral("/comp/mixed.bin"))
        && f.remove(QStringLiteral("/a")) && f.remove(QStringLiteral("/frag2.bin"))
        && f.remove(QString::fromUtf8("/names/日本語のファイル.txt"))
        && f.remove(QString::fromUtf8("/names/Ελληνικά.txt"))
        && f.remove(QString::fromUtf8("/names/русский текст.txt"))
        && f.remove(QString::fromUtf8("/names/emoji 😀.txt"));
    return ok;
}

} // namespace

const fixture_file_s *ntfs_fixture_s::find(const QString &path) const
{
    for (const fixture_file_s &f : files)
        if (f.path == path)
            return &f;
    return nullptr;
}

QString ntfs_fixture_unavailable()
{
    if (!test_have_tool(QStringLiteral("mkntfs")))
        return QStringLiteral("mkntfs is not installed");
    if (!test_have_tool(QStringLiteral("ntfs-3g")))
        return QStringLiteral("ntfs-3g is not installed");
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
        return QStringLiteral("FUSE (/dev/fuse) is not available");
    return {};
}

ntfs_fixture_s build_ntfs_fixture(const QString &folder)
{
    ntfs_fixture_s fx;
    fx.image = folder + QStringLiteral("/ntfs.img");
    const QString mnt = folder + QStringLiteral("/mnt");
    QDir().mkpath(mnt);
    if (!test_make_sparse_file(fx.image, 48 * 1024 * 1024)
        || test_run_tool(QStringLiteral("mkntfs"), {QStringLiteral("-F"), QStringLiteral("-Q"), QStringLiteral("-q"),
                                                    QStringLiteral("-c"), QStringLiteral("4096"), fx.image}) != 0) {
        fx.error = QStringLiteral("mkntfs failed");
        return fx;
    }
    if (!mount_image(fx.image, mnt)) {
        fx.error = QStringLiteral("ntfs-3g could not mount the image (FUSE not usable here?)");
        return fx;
    }
    filler_c filler(mnt, fx);
    const bool filled = fill(filler);
    if (!unmount(mnt) && fx.error.isEmpty())
        fx.error = QStringLiteral("umount failed");
    if (!filled && fx.error.isEmpty())
        fx.error = QStringLiteral("filling the image failed");
    return fx;
}

void use_image_as_volume(const QString &image, const QString &mount_point)
{
    volume_item_s item;
    item.device_name = image;
    item.volume_name = image;
    item.file_system = QStringLiteral("NTFS");
    item.mount_point = mount_point.isEmpty() ? image : mount_point;
    item.disk_number = 0;
    item.partition_number = 0;
    volume_list = {volume_item_s{}, item};
}
