#include "tests/partition/partition_fixture.h"

#include "tests/support/test_tools.h"

#include <QDir>
#include <QFile>
#include <cstring>

namespace {

void put_le(QByteArray &b, int at, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}

QByteArray signed_sector()
{
    QByteArray s(512, '\0');
    s[510] = char(0x55);
    s[511] = char(0xAA);
    return s;
}

bool run(const QString &tool, const QStringList &args, QString *error)
{
    QByteArray out;
    if (test_run_tool(tool, args, &out) == 0)
        return true;
    *error = tool + QLatin1Char(' ') + args.join(QLatin1Char(' ')) + QStringLiteral(": ") + QString::fromLocal8Bit(out);
    return false;
}

bool write_at(const QString &path, qint64 offset, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.seek(offset) && f.write(bytes) == bytes.size();
}

} // namespace

QByteArray fake_signed_sector() { return signed_sector(); }

QByteArray fake_ntfs_boot(uint64_t total_sectors)
{
    QByteArray s = signed_sector();
    std::memcpy(s.data() + 3, "NTFS    ", 8);
    put_le(s, 0x28, total_sectors, 8);
    return s;
}

QByteArray fake_fat_boot(const char *oem, uint32_t total_sectors)
{
    QByteArray s = signed_sector();
    std::memcpy(s.data() + 3, oem, 8);
    put_le(s, 0x20, total_sectors, 4);
    std::memcpy(s.data() + 82, "FAT32   ", 8);
    return s + signed_sector();
}

void sector_map_source_c::put(uint64_t sector, const QByteArray &bytes)
{
    for (qsizetype i = 0; i * 512 < bytes.size(); ++i)
        sectors_[sector + static_cast<uint64_t>(i)] = bytes.mid(i * 512, 512);
}

int64_t sector_map_source_c::read_at(uint64_t pos, void *buf, size_t len) const
{
    if (on_read)
        on_read(pos);
    ++reads;
    if (pos + len > fail_from_)
        return -1;
    if (pos >= size_)
        return 0;
    if (len > size_ - pos)
        len = static_cast<size_t>(size_ - pos);
    std::memset(buf, 0, len);
    auto *out = static_cast<char *>(buf);
    // Only sectors inside the range matter; the map is sparse, so walk it, not the range.
    for (auto it = sectors_.lowerBound(pos / 512); it != sectors_.end() && it.key() * 512 < pos + len; ++it) {
        const uint64_t at = it.key() * 512;
        if (at < pos)
            continue;
        const size_t n = std::min<size_t>(512, pos + len - at);
        std::memcpy(out + (at - pos), it.value().constData(), n);
    }
    return static_cast<int64_t>(len);
}

QString build_disk_image(const QString &folder, const QString &name, qint64 size,
                         const QList<image_part_s> &parts, QString *error)
{
    const QString image = QDir(folder).filePath(name);
    if (!test_make_sparse_file(image, size)) {
        *error = QStringLiteral("cannot create ") + image;
        return {};
    }
    QString script = QStringLiteral("label: dos\n");
    for (const image_part_s &p : parts)
        script += QStringLiteral("start=%1, size=%2, type=%3\n")
                      .arg(p.start).arg(p.sectors).arg(p.fs == QLatin1String("ntfs") ? QStringLiteral("7") : QStringLiteral("c"));
    const QString script_file = image + QStringLiteral(".sfdisk");
    if (!test_write_file(script_file, script.toUtf8()) ||
        !run(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("sfdisk -q '%1' < '%2'").arg(image, script_file)}, error))
        return {};

    for (const image_part_s &p : parts) {
        const QString part = image + QStringLiteral(".part");
        QFile::remove(part);
        if (!test_make_sparse_file(part, static_cast<qint64>(p.sectors) * 512)) {
            *error = QStringLiteral("cannot create ") + part;
            return {};
        }
        if (p.fs == QLatin1String("ntfs")) {
            if (!run(QStringLiteral("mkntfs"), {QStringLiteral("-F"), QStringLiteral("-Q"), QStringLiteral("-q"),
                                                QStringLiteral("-p"), QString::number(p.start), QStringLiteral("-H"),
                                                QStringLiteral("255"), QStringLiteral("-S"), QStringLiteral("63"), part}, error))
                return {};
        } else {
            if (!run(QStringLiteral("mkfs.fat"), {QStringLiteral("-F"), QStringLiteral("32"), QStringLiteral("-s"),
                                                  QStringLiteral("1"), QStringLiteral("-h"), QString::number(p.start), part}, error))
                return {};
        }
        if (!run(QStringLiteral("dd"), {QStringLiteral("if=") + part, QStringLiteral("of=") + image, QStringLiteral("bs=1M"),
                                        QStringLiteral("seek=%1").arg(p.start * 512), QStringLiteral("oflag=seek_bytes"),
                                        QStringLiteral("conv=notrunc,sparse"), QStringLiteral("status=none")}, error))
            return {};
        QFile::remove(part);
    }
    if (!write_at(image, 0, QByteArray(512, '\0'))) {
        *error = QStringLiteral("cannot zero sector 0");
        return {};
    }
    return image;
}

bool extract_range(const QString &image, uint64_t start, uint64_t count, const QString &out)
{
    QString error;
    return run(QStringLiteral("dd"), {QStringLiteral("if=") + image, QStringLiteral("of=") + out, QStringLiteral("bs=1M"),
                                      QStringLiteral("skip=%1").arg(start * 512), QStringLiteral("count=%1").arg(count * 512),
                                      QStringLiteral("iflag=skip_bytes,count_bytes"), QStringLiteral("conv=sparse"),
                                      QStringLiteral("status=none")}, &error);
}
