#include "tests/damaged/hostile_images.h"

#include "tests/carve/carve_fixtures.h"
#include "tests/fat/fat_fixture.h"
#include "tests/support/test_tools.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtEndian>

#include <cstring>
#include <functional>

namespace {

constexpr qint64 disk_fat_start = 2048;    // sector of the FAT16 primary
constexpr qint64 disk_ext_start = 18432;   // sector of the extended partition (its first EBR)
constexpr qint64 disk_sectors = 22528;

uint16_t le16(const QByteArray &b, qint64 at) { return qFromLittleEndian<quint16>(b.constData() + at); }
void put32(QByteArray &b, qint64 at, uint32_t v) { qToLittleEndian<quint32>(v, b.data() + at); }

qint64 fat_base(const QString &kind) { return kind == QLatin1String("disk") ? disk_fat_start * 512 : 0; }
bool is_fat(const QString &kind) { return kind.startsWith(QLatin1String("fat")) || kind == QLatin1String("disk"); }

// ---- FAT ----

qint64 dir_bytes(const fat_patch_s &p, bool root)
{
    if (root && p.g.bits != 32)
        return qint64(p.g.root_entries) * 32;
    return p.g.cluster_bytes;
}

// Offset of the short entry named name11 in the directory at [at, at + len), or -1.
qint64 find_entry(const QByteArray &b, qint64 at, qint64 len, const QByteArray &name11, bool any_first = false)
{
    for (qint64 o = at; o + 32 <= at + len && o + 32 <= b.size(); o += 32) {
        if (b.mid(o + 1, 10) == name11.mid(1) && (any_first || b[o] == name11[0]))
            return o;
    }
    return -1;
}

qint64 free_slot(const QByteArray &b, qint64 at, qint64 len)
{
    for (qint64 o = at; o + 32 <= at + len; o += 32)
        if (b[o] == 0)
            return o;
    return -1;
}

uint32_t entry_cluster(const QByteArray &b, qint64 entry)
{
    return uint32_t(le16(b, entry + 26)) | uint32_t(le16(b, entry + 20)) << 16;
}

qint64 subdir_offset(const fat_patch_s &p)
{
    const qint64 e = find_entry(p.bytes, p.root_slot(0), dir_bytes(p, true), "DIR        ");
    return e < 0 ? -1 : p.cluster_offset(entry_cluster(p.bytes, e));
}

bool fat_structural(QByteArray &image, const QString &kind, const QString &damage)
{
    fat_patch_s p(image, fat_base(kind));
    const qint64 root = p.root_slot(0), root_len = dir_bytes(p, true);
    const qint64 a = find_entry(p.bytes, root, root_len, "A       TXT");
    const qint64 dir_e = find_entry(p.bytes, root, root_len, "DIR        ");
    if (a < 0 || dir_e < 0)
        return false;
    const uint32_t a_cluster = entry_cluster(p.bytes, a), dir_cluster = entry_cluster(p.bytes, dir_e);
    const qint64 sub = p.cluster_offset(dir_cluster);
    const uint32_t root_cluster = p.g.bits == 32 ? p.g.root_cluster : 0;
    if (damage == QLatin1String("crosslink")) {
        // A live and a deleted entry both claim the first cluster of A.TXT.
        for (const QByteArray &name : {QByteArray("B       TXT"), QByteArray("_ONE    TXT")}) {
            const qint64 e = find_entry(p.bytes, root, root_len, name, true);
            if (e < 0)
                return false;
            p.put(e + 26, QByteArray(reinterpret_cast<const char *>(&a_cluster), 2));
            p.put(e + 20, QByteArray(2, '\0'));
        }
    } else if (damage == QLatin1String("dir_self")) {
        // The folder lists itself, live and deleted, and its "." and ".." both point at it.
        const qint64 slot = free_slot(p.bytes, sub, p.g.cluster_bytes);
        QByteArray gone("LOOPD      ");
        gone[0] = char(0xE5);
        p.put(slot, fat_short_entry("LOOP       ", 0x10, dir_cluster, 0) + fat_short_entry(gone, 0x10, dir_cluster, 0));
        p.put(sub + 32 + 26, QByteArray(reinterpret_cast<const char *>(&dir_cluster), 2));
    } else if (damage == QLatin1String("dir_parent_loop")) {
        // The folder holds its parent (the root) as a child, and the root lists it twice.
        const qint64 slot = free_slot(p.bytes, sub, p.g.cluster_bytes);
        QByteArray gone("UPD        ");
        gone[0] = char(0xE5);
        p.put(slot, fat_short_entry("UP         ", 0x10, root_cluster, 0) + fat_short_entry(gone, 0x10, root_cluster, 0));
        p.put(free_slot(p.bytes, root, root_len), fat_short_entry("ALIAS      ", 0x10, dir_cluster, 0));
    } else if (damage == QLatin1String("chain_loop")) {
        // A.TXT's chain turns back on itself; the folder's chain points at itself.
        p.set_fat(a_cluster, a_cluster + 1);
        p.set_fat(a_cluster + 1, a_cluster);
        p.set_fat(dir_cluster, dir_cluster);
    } else {
        return false;
    }
    image = p.bytes;
    return true;
}

// ---- NTFS ----

struct ntfs_geo_s {
    qint64 cluster = 0;
    qint64 mft = 0;
    qint64 record = 0;
};

ntfs_geo_s ntfs_geo(const QByteArray &b)
{
    ntfs_geo_s g;
    if (b.size() < 512)
        return g;
    g.cluster = qint64(le16(b, 0x0B)) * uint8_t(b[0x0D]);
    g.mft = qint64(qFromLittleEndian<quint64>(b.constData() + 0x30)) * g.cluster;
    const int8_t c = int8_t(b[0x40]);
    g.record = c > 0 ? c * g.cluster : qint64(1) << -c;
    return g;
}

// Edits one MFT record with its fixups undone, then redoes them.
void edit_record(QByteArray &b, qint64 at, qint64 size, const std::function<void(uint8_t *)> &edit)
{
    auto *r = reinterpret_cast<uint8_t *>(b.data() + at);
    const uint16_t usa = qFromLittleEndian<quint16>(r + 4), count = qFromLittleEndian<quint16>(r + 6);
    if (usa + 2 * count > size)
        return;
    for (uint16_t i = 1; i < count && i * 512 <= size; ++i)
        std::memcpy(r + i * 512 - 2, r + usa + 2 * i, 2);
    edit(r);
    for (uint16_t i = 1; i < count && i * 512 <= size; ++i) {
        std::memcpy(r + usa + 2 * i, r + i * 512 - 2, 2);
        std::memcpy(r + i * 512 - 2, r + usa, 2);
    }
}

// Offset of the first attribute of type in a record with fixups undone, or -1.
int attribute(const uint8_t *r, qint64 size, uint32_t type)
{
    uint32_t off = qFromLittleEndian<quint16>(r + 0x14);
    while (off + 16 < size && qFromLittleEndian<quint32>(r + off) != 0xFFFFFFFF) {
        if (qFromLittleEndian<quint32>(r + off) == type)
            return int(off);
        const uint32_t len = qFromLittleEndian<quint32>(r + off + 4);
        if (len == 0)
            return -1;
        off += len;
    }
    return -1;
}

// Record number of the file named name (looked up in its $FILE_NAME), or -1.
qint64 record_named(QByteArray b, const QString &name)
{
    const ntfs_geo_s g = ntfs_geo(b);
    for (qint64 n = 16; n < 256 && g.record > 0 && g.mft + (n + 1) * g.record <= b.size(); ++n) {
        if (b.mid(g.mft + n * g.record, 4) != "FILE")
            continue;
        QString found;
        edit_record(b, g.mft + n * g.record, g.record, [&](uint8_t *r) {
            const int fn = attribute(r, g.record, 0x30);
            if (fn < 0)
                return;
            const uint8_t *c = r + fn + qFromLittleEndian<quint16>(r + fn + 0x14);
            found = QString::fromUtf16(reinterpret_cast<const char16_t *>(c + 0x42), c[0x40]);
        });
        if (found == name)
            return n;
    }
    return -1;
}

void set_parent(QByteArray &b, qint64 record, qint64 parent)
{
    const ntfs_geo_s g = ntfs_geo(b);
    edit_record(b, g.mft + record * g.record, g.record, [&](uint8_t *r) {
        const int fn = attribute(r, g.record, 0x30);
        if (fn >= 0) {
            uint8_t *c = r + fn + qFromLittleEndian<quint16>(r + fn + 0x14);
            for (int i = 0; i < 6; ++i)
                c[i] = uint8_t(parent >> (8 * i));
        }
    });
}

bool ntfs_structural(QByteArray &b, const QString &damage)
{
    const qint64 a = record_named(b, QStringLiteral("a.txt")), big = record_named(b, QStringLiteral("big.bin"));
    if (a < 0 || big < 0)
        return false;
    if (damage == QLatin1String("mft_parent_cycle")) {
        set_parent(b, 5, 11); // the root below $Extend, which is below the root
        set_parent(b, a, big);
        set_parent(b, big, a);
    } else if (damage == QLatin1String("mft_self_parent")) {
        set_parent(b, a, a);
        set_parent(b, 11, 11);
    } else if (damage.startsWith(QLatin1String("runlist_"))) {
        // big.bin's mapping pairs replaced: one run far beyond the volume, or one of absurd length.
        const bool beyond = damage == QLatin1String("runlist_beyond_end");
        const QByteArray pairs = beyond ? QByteArray::fromHex("4110ffffff7f00") : QByteArray::fromHex("13ffff7f0100");
        const ntfs_geo_s g = ntfs_geo(b);
        edit_record(b, g.mft + big * g.record, g.record, [&](uint8_t *r) {
            const int data = attribute(r, g.record, 0x80);
            if (data >= 0 && r[data + 8] != 0) {
                const uint16_t runs = qFromLittleEndian<quint16>(r + data + 0x20);
                if (runs + pairs.size() <= qFromLittleEndian<quint32>(r + data + 4))
                    std::memcpy(r + data + runs, pairs.constData(), size_t(pairs.size()));
            }
        });
    } else if (damage == QLatin1String("resident_overflow") || damage == QLatin1String("name_overflow")) {
        // a.txt's resident value, or its $FILE_NAME's name, claims more bytes than the record has.
        const bool value = damage == QLatin1String("resident_overflow");
        const ntfs_geo_s g = ntfs_geo(b);
        edit_record(b, g.mft + a * g.record, g.record, [&](uint8_t *r) {
            const int at = attribute(r, g.record, value ? 0x80 : 0x30);
            if (at < 0)
                return;
            if (value)
                qToLittleEndian<quint32>(0xFFFF0, r + at + 0x10);
            else
                r[at + qFromLittleEndian<quint16>(r + at + 0x14) + 0x40] = 0xFF;
        });
    } else {
        return false;
    }
    return true;
}

// ---- partition table ----

void mbr_entry(QByteArray &b, qint64 sector_at, int slot, uint8_t type, uint32_t start, uint32_t count)
{
    const qint64 e = sector_at * 512 + 446 + slot * 16;
    b[e + 4] = char(type);
    put32(b, e + 8, start);
    put32(b, e + 12, count);
    b[sector_at * 512 + 510] = char(0x55);
    b[sector_at * 512 + 511] = char(0xAA);
}

bool disk_structural(QByteArray &b, const QString &damage)
{
    if (damage == QLatin1String("ebr_loop")) {
        mbr_entry(b, disk_ext_start, 1, 0x05, 0, 4096); // the next EBR is this one
    } else if (damage == QLatin1String("part_beyond_end")) {
        mbr_entry(b, 0, 2, 0x07, 0xFFFFFF00u, 0xFFFFFFFFu);
        mbr_entry(b, disk_ext_start, 0, 0x0C, 0xFFFFFFF0u, 0x7FFFFFFFu);
    } else if (damage == QLatin1String("part_overlap")) {
        mbr_entry(b, 0, 2, 0x06, uint32_t(disk_fat_start), 16384);
        mbr_entry(b, 0, 3, 0x0B, uint32_t(disk_fat_start + 1), 16384);
    } else {
        return fat_structural(b, QStringLiteral("disk"), damage);
    }
    return true;
}

// ---- building ----

bool fill_fat(const QString &img, const QString &folder)
{
    const QByteArray a(3000, 'a'), gone = QByteArray(5000, 'g') + "end";
    return fat_mtools(QStringLiteral("mmd"), img, {QStringLiteral("::/DIR")})
        && fat_mtools(QStringLiteral("mcopy"), img, {fat_host_file(folder, "a", a), QStringLiteral("::/A.TXT")})
        && fat_mtools(QStringLiteral("mcopy"), img, {fat_host_file(folder, "b", "bee"), QStringLiteral("::/B.TXT")})
        && fat_mtools(QStringLiteral("mcopy"), img, {fat_host_file(folder, "g", gone), QStringLiteral("::/GONE.TXT")})
        && fat_mtools(QStringLiteral("mcopy"), img, {fat_host_file(folder, "i", "inner"), QStringLiteral("::/DIR/INNER.TXT")})
        && fat_mtools(QStringLiteral("mcopy"), img, {fat_host_file(folder, "l", gone), QStringLiteral("::/DIR/LOST.TXT")})
        && fat_mtools(QStringLiteral("mcopy"), img, {fat_host_file(folder, "p", build_pdf(false)), QStringLiteral("::/DOC.PDF")})
        && fat_mtools(QStringLiteral("mdel"), img, {QStringLiteral("::/DOC.PDF")})
        && fat_mtools(QStringLiteral("mdel"), img, {QStringLiteral("::/GONE.TXT")})
        && fat_mtools(QStringLiteral("mdel"), img, {QStringLiteral("::/DIR/LOST.TXT")});
}

bool build_ntfs(const QString &img, const QString &folder)
{
    if (!test_make_sparse_file(img, 8 * 1024 * 1024)
        || test_run_tool(QStringLiteral("mkntfs"), {"-F", "-Q", "-q", "-c", "4096", img}) != 0)
        return false;
    QByteArray big(64 * 1024, 'x');
    for (int i = 0; i < big.size(); i += 7)
        big[i] = char(i);
    const QStringList files{fat_host_file(folder, "a.txt", "resident"), fat_host_file(folder, "big.bin", big),
                            fat_host_file(folder, "gone.bin", QByteArray(20000, 'z')),
                            // long enough to live in clusters, where the deep scan looks
                            fat_host_file(folder, "doc.pdf", build_pdf(false) + QByteArray(8000, '\n'))};
    for (const QString &f : files)
        if (test_run_tool(QStringLiteral("ntfscp"), {QStringLiteral("-f"), img, f, QFileInfo(f).fileName()}) != 0)
            return false;
    // gone.bin as deletion leaves it: its record no longer in use.
    QByteArray b = test_read_file(img);
    const qint64 gone = record_named(b, QStringLiteral("gone.bin"));
    if (gone < 0)
        return false;
    const ntfs_geo_s g = ntfs_geo(b);
    edit_record(b, g.mft + gone * g.record, g.record, [](uint8_t *r) { r[0x16] &= ~1; });
    return test_write_file(img, b);
}

} // namespace

QList<hostile_image_s> hostile_build_images(const QString &folder, QString *error)
{
    for (const char *tool : {"mkfs.fat", "mcopy", "mkntfs", "ntfscp"})
        if (!test_have_tool(QString::fromLatin1(tool))) {
            *error = QStringLiteral("'%1' is not installed").arg(QLatin1String(tool));
            return {};
        }
    QList<hostile_image_s> images;
    const struct {
        const char *name;
        int bits;
        int kib;
        QStringList extra;
    } fats[] = {{"fat12", 12, 1440, {}}, {"fat16", 16, 8192, {"-s", "1"}}, {"fat32", 32, 34 * 1024, {"-s", "1"}}};
    for (const auto &f : fats) {
        const QString path = QDir(folder).filePath(QLatin1String(f.name) + QLatin1String(".img"));
        if (!fat_make_image(path, f.bits, f.kib, f.extra) || !fill_fat(path, folder)) {
            *error = QStringLiteral("building %1 failed").arg(QLatin1String(f.name));
            return {};
        }
        images.append({QLatin1String(f.name), path, {}});
    }
    const QString ntfs = QDir(folder).filePath(QStringLiteral("ntfs.img"));
    if (!build_ntfs(ntfs, folder)) {
        *error = QStringLiteral("building the NTFS image failed");
        return {};
    }
    images.append({QStringLiteral("ntfs"), ntfs, {}});
    QByteArray disk(disk_sectors * 512, '\0');
    disk.replace(disk_fat_start * 512, 16384 * 512, test_read_file(images[1].path));
    mbr_entry(disk, 0, 0, 0x06, uint32_t(disk_fat_start), 16384);
    mbr_entry(disk, 0, 1, 0x05, uint32_t(disk_ext_start), 4096);
    mbr_entry(disk, disk_ext_start, 0, 0x0C, 64, 2000);
    const QString disk_path = QDir(folder).filePath(QStringLiteral("disk.img"));
    if (!test_write_file(disk_path, disk)) {
        *error = QStringLiteral("writing the disk image failed");
        return {};
    }
    images.append({QStringLiteral("disk"), disk_path, {QStringLiteral("--partition"), QStringLiteral("1")}});
    return images;
}

hostile_region_s hostile_region(const QByteArray &image, const QString &kind, const QString &region)
{
    if (kind == QLatin1String("disk")) {
        if (region == QLatin1String("table"))
            return {446, 66};
        if (region == QLatin1String("ebr"))
            return {disk_ext_start * 512 + 446, 66};
    }
    if (is_fat(kind)) {
        const fat_patch_s p(image, fat_base(kind));
        if (region == QLatin1String("boot"))
            return {p.g.base, 512};
        if (region == QLatin1String("fat"))
            return {p.g.fat_offset, qMin<qint64>(qint64(p.g.fat_size) * 512, 1024)};
        if (region == QLatin1String("root"))
            return {p.root_slot(0), qMin<qint64>(dir_bytes(p, true), 1024)};
        if (region == QLatin1String("subdir")) {
            const qint64 at = subdir_offset(p);
            return at < 0 ? hostile_region_s{} : hostile_region_s{at, qMin<qint64>(p.g.cluster_bytes, 1024)};
        }
        return {};
    }
    const ntfs_geo_s g = ntfs_geo(image);
    if (region == QLatin1String("boot"))
        return {0, 512};
    if (region == QLatin1String("mft"))
        return {g.mft, 16 * g.record};
    if (region == QLatin1String("root_record"))
        return {g.mft + 5 * g.record, g.record};
    return {};
}

void hostile_flip_bits(QByteArray &image, const QString &kind, const QString &region, quint32 seed, int count)
{
    QRandomGenerator rng(seed);
    auto flip = [&](uint8_t *at, qint64 len) {
        for (int i = 0; i < count && len > 0; ++i) {
            const qint64 bit = qint64(rng.bounded(quint32(len * 8)));
            at[bit / 8] ^= uint8_t(1u << (bit % 8));
        }
    };
    if (kind == QLatin1String("ntfs") && region.endsWith(QLatin1String("runlist"))) {
        // Inside the mapping pairs of $MFT's or big.bin's $DATA, behind the fixups.
        const ntfs_geo_s g = ntfs_geo(image);
        const qint64 n = region == QLatin1String("mft_runlist") ? 0 : record_named(image, QStringLiteral("big.bin"));
        if (n < 0)
            return;
        edit_record(image, g.mft + n * g.record, g.record, [&](uint8_t *r) {
            const int data = attribute(r, g.record, 0x80);
            if (data < 0 || r[data + 8] == 0)
                return;
            const uint16_t runs = qFromLittleEndian<quint16>(r + data + 0x20);
            flip(r + data + runs, qMin<qint64>(8, g.record - data - runs));
        });
        return;
    }
    if (kind == QLatin1String("ntfs") && region == QLatin1String("root_record")) {
        const hostile_region_s r = hostile_region(image, kind, region);
        edit_record(image, r.offset, r.length, [&](uint8_t *rec) { flip(rec + 0x30, r.length - 0x30); });
        return;
    }
    const hostile_region_s r = hostile_region(image, kind, region);
    if (r.length > 0 && r.offset + r.length <= image.size())
        flip(reinterpret_cast<uint8_t *>(image.data() + r.offset), r.length);
}

bool hostile_structural(QByteArray &image, const QString &kind, const QString &damage)
{
    if (kind == QLatin1String("disk"))
        return disk_structural(image, damage);
    if (kind == QLatin1String("ntfs"))
        return ntfs_structural(image, damage);
    return fat_structural(image, kind, damage);
}

bool hostile_set_field(QByteArray &image, const QString &kind, const QString &field, qint64 value)
{
    struct field_s {
        const char *name;
        int offset;
        int width;
    };
    static const field_s fat_fields[] = {{"bps", 11, 2},        {"spc", 13, 1},        {"reserved", 14, 2},
                                         {"fats", 16, 1},       {"root_entries", 17, 2}, {"fat_size16", 22, 2},
                                         {"total32", 32, 4},    {"fat_size32", 36, 4}, {"root_cluster", 44, 4}};
    static const field_s ntfs_fields[] = {
        {"bps", 0x0B, 2}, {"spc", 0x0D, 1}, {"total", 0x28, 8}, {"mft_lcn", 0x30, 8}, {"record_size", 0x40, 1}};
    qint64 at = -1;
    int width = 0;
    if (is_fat(kind) && field.startsWith(QLatin1String("a_"))) {
        const fat_patch_s p(image, fat_base(kind));
        const qint64 e = find_entry(image, p.root_slot(0), dir_bytes(p, true), "A       TXT");
        if (e < 0)
            return false;
        if (field == QLatin1String("a_size")) {
            at = e + 28;
            width = 4;
        } else {
            image[e + 26] = char(value); // low half at 26, high half at 20
            image[e + 27] = char(value >> 8);
            image[e + 20] = char(value >> 16);
            image[e + 21] = char(value >> 24);
            return true;
        }
    } else {
        for (const field_s &f : is_fat(kind) ? QList<field_s>(std::begin(fat_fields), std::end(fat_fields))
                                             : QList<field_s>(std::begin(ntfs_fields), std::end(ntfs_fields)))
            if (field == QLatin1String(f.name)) {
                at = fat_base(kind) + f.offset;
                width = f.width;
            }
    }
    if (at < 0 || at + width > image.size())
        return false;
    for (int i = 0; i < width; ++i)
        image[at + i] = char(uint64_t(value) >> (8 * i));
    return true;
}

cli_run_s hostile_run_cli(const QStringList &args, int timeout_ms)
{
    cli_run_s run;
    QProcess proc;
    proc.start(test_bin_dir() + QStringLiteral("/vornrecovery-cli"), args);
    if (!proc.waitForStarted(10000))
        return run;
    if (!proc.waitForFinished(timeout_ms)) {
        proc.kill();
        proc.waitForFinished(5000);
        run.err = proc.readAllStandardError();
        return run;
    }
    run.finished = true;
    run.crashed = proc.exitStatus() != QProcess::NormalExit;
    run.exit_code = proc.exitCode();
    run.out = proc.readAllStandardOutput();
    run.err = proc.readAllStandardError();
    return run;
}

QByteArray hostile_sanitizer_report(const QByteArray &text)
{
    for (const char *mark : {"ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer", "WARNING: ThreadSanitizer"}) {
        const qsizetype at = text.indexOf(mark);
        if (at >= 0) {
            const qsizetype start = text.lastIndexOf('\n', at) + 1;
            return text.mid(start, qMin<qsizetype>(400, text.size() - start));
        }
    }
    return {};
}

QString hostile_file_digest(const QString &path)
{
    QFile f(path);
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !h.addData(&f))
        return {};
    return QString::number(f.size()) + QLatin1Char(':') + QString::fromLatin1(h.result().toHex());
}
