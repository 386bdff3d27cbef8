#include "tests/fat/fat_fixture.h"

#include "engines/fat/sector_layer.h"
#include "platform/drives.h"
#include "tests/support/test_tools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

bool fat_make_image(const QString &path, int bits, int size_kib, const QStringList &extra)
{
    QFile::remove(path);
    QStringList args{QStringLiteral("-C"), QStringLiteral("-F"), QString::number(bits)};
    args << extra << path << QString::number(size_kib);
    return test_run_tool(QStringLiteral("mkfs.fat"), args) == 0;
}

bool fat_mtools(const QString &tool, const QString &image, const QStringList &args)
{
    QStringList full{QStringLiteral("-i"), image};
    full << args;
    QByteArray out;
    const int r = test_run_tool(tool, full, &out, 120000, {QStringLiteral("MTOOLS_SKIP_CHECK=1")});
    if (r != 0)
        qWarning("%s failed: %s", qPrintable(tool), out.constData());
    return r == 0;
}

QString fat_host_file(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(name);
    test_write_file(path, bytes);
    return path;
}

fat_geometry_s fat_geometry(const QByteArray &image, qint64 base)
{
    fat_geometry_s g;
    if (image.size() < base + 512)
        return g;
    const auto *b = reinterpret_cast<const uchar *>(image.constData() + base);
    const uint32_t bps = qFromLittleEndian<quint16>(b + 11);
    g.base = base;
    g.sectors_per_cluster = b[13];
    g.reserved = qFromLittleEndian<quint16>(b + 14);
    g.fats = b[16];
    g.root_entries = qFromLittleEndian<quint16>(b + 17);
    uint32_t total = qFromLittleEndian<quint16>(b + 19);
    if (total == 0)
        total = qFromLittleEndian<quint32>(b + 32);
    g.fat_size = qFromLittleEndian<quint16>(b + 22);
    if (g.fat_size == 0)
        g.fat_size = qFromLittleEndian<quint32>(b + 36);
    const uint32_t root_sectors = (g.root_entries * 32 + bps - 1) / bps;
    const uint32_t system = g.reserved + g.fat_size * g.fats + root_sectors;
    const uint32_t clusters = g.sectors_per_cluster ? (total - system) / g.sectors_per_cluster : 0;
    g.bits = clusters < 4085 ? 12 : clusters < 65525 ? 16 : 32;
    if (g.bits == 32)
        g.root_cluster = qFromLittleEndian<quint32>(b + 44);
    g.fat_offset = base + qint64(g.reserved) * bps;
    g.root_offset = g.fat_offset + qint64(g.fat_size) * g.fats * bps;
    g.data_offset = base + qint64(system) * bps;
    g.cluster_bytes = qint64(g.sectors_per_cluster) * bps;
    return g;
}

qint64 fat_patch_s::root_slot(int i) const
{
    if (g.bits == 32)
        return cluster_offset(g.root_cluster) + qint64(i) * 32;
    return g.root_offset + qint64(i) * 32;
}

void fat_patch_s::set_fat(uint32_t c, uint32_t value)
{
    for (uint32_t f = 0; f < g.fats; ++f) {
        const qint64 fat = g.fat_offset + qint64(f) * g.fat_size * 512;
        auto *p = reinterpret_cast<uchar *>(bytes.data());
        if (g.bits == 32) {
            qToLittleEndian<quint32>(value & 0x0FFFFFFF, p + fat + qint64(c) * 4);
        } else if (g.bits == 16) {
            qToLittleEndian<quint16>(static_cast<quint16>(value), p + fat + qint64(c) * 2);
        } else {
            const qint64 at = fat + c + c / 2;
            quint16 v = qFromLittleEndian<quint16>(p + at);
            v = (c & 1) ? static_cast<quint16>((v & 0x000F) | (value << 4))
                        : static_cast<quint16>((v & 0xF000) | (value & 0x0FFF));
            qToLittleEndian<quint16>(v, p + at);
        }
    }
}

void fat_patch_s::put(qint64 offset, const QByteArray &data) { bytes.replace(offset, data.size(), data); }

QByteArray fat_short_entry(const QByteArray &name11, uint8_t attr, uint32_t cluster, uint32_t size,
                           uint16_t create_date, uint16_t create_time, uint8_t case_flags)
{
    QByteArray e(32, '\0');
    auto *p = reinterpret_cast<uchar *>(e.data());
    for (int i = 0; i < 11; ++i)
        p[i] = i < name11.size() ? static_cast<uchar>(name11[i]) : ' ';
    p[11] = attr;
    p[12] = case_flags;
    qToLittleEndian<quint16>(create_time, p + 14);
    qToLittleEndian<quint16>(create_date, p + 16);
    qToLittleEndian<quint16>(static_cast<quint16>(cluster >> 16), p + 20);
    qToLittleEndian<quint16>(create_time, p + 22);
    qToLittleEndian<quint16>(create_date, p + 24);
    qToLittleEndian<quint16>(static_cast<quint16>(cluster & 0xFFFF), p + 26);
    qToLittleEndian<quint32>(size, p + 28);
    return e;
}

QByteArray fat_long_entries(const QString &name, const QByteArray &name11)
{
    uint8_t sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = static_cast<uint8_t>((sum >> 1) + (sum << 7) + static_cast<uchar>(name11[i]));
    const int pieces = static_cast<int>((name.size() + 12) / 13);
    static constexpr int offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    QByteArray out;
    for (int n = pieces; n >= 1; --n) {
        QByteArray e(32, '\0');
        auto *p = reinterpret_cast<uchar *>(e.data());
        p[0] = static_cast<uchar>(n | (n == pieces ? 0x40 : 0));
        p[11] = 0x0F;
        p[13] = sum;
        for (int k = 0; k < 13; ++k) {
            const qsizetype at = (n - 1) * 13 + k;
            quint16 ch = at < name.size() ? name[at].unicode() : at == name.size() ? 0 : 0xFFFF;
            qToLittleEndian<quint16>(ch, p + offsets[k]);
        }
        out += e;
    }
    return out;
}

uint16_t fat_date(int year, int month, int day)
{
    return static_cast<uint16_t>((year - 1980) << 9 | month << 5 | day);
}

uint16_t fat_clock(int hour, int minute, int second)
{
    return static_cast<uint16_t>(hour << 11 | minute << 5 | second / 2);
}

volume_item_s fat_use_image(const QString &path, std::unique_ptr<source_c> replacement)
{
    platform_clear_images();
    platform_add_image(path);
    init_sector_layer();
    if (replacement)
        sector_layer_attach(0, std::move(replacement));
    volume_item_s v;
    v.volume_name = QFileInfo(path).absoluteFilePath();
    v.device_name = v.volume_name;
    v.mount_point = QStringLiteral("/media/test/");
    v.file_system = QStringLiteral("FAT");
    return v;
}
