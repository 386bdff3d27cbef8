#include "platform/sysfs.h"

#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <sys/sysmacros.h>

namespace {

// First bytes of an attribute file, trimmed; empty when it cannot be read.
QByteArray read_attr(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(256).trimmed();
}

// A decimal number with nothing else in it.
bool parse_u64(const QByteArray &text, uint64_t &out)
{
    if (text.isEmpty() || text.size() > 20)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    bool ok = false;
    out = text.toULongLong(&ok);
    return ok;
}

// Rank of a disk kind in the drive order; -1 for devices that are not read.
int kind_rank(const QString &dir, const QString &name)
{
    static const QRegularExpression kinds[] = {
        QRegularExpression(QStringLiteral("^nvme\\d+n\\d+$")),
        QRegularExpression(QStringLiteral("^sd[a-z]+$")),
        QRegularExpression(QStringLiteral("^vd[a-z]+$")),
        QRegularExpression(QStringLiteral("^xvd[a-z]+$")),
        QRegularExpression(QStringLiteral("^hd[a-z]+$")),
        QRegularExpression(QStringLiteral("^mmcblk\\d+$")),
        QRegularExpression(QStringLiteral("^loop\\d+$")),
    };
    for (int i = 0; i < int(std::size(kinds)); ++i) {
        if (!kinds[i].match(name).hasMatch())
            continue;
        if (name.startsWith(QLatin1String("loop")) &&
            read_attr(dir + QStringLiteral("/loop/backing_file")).isEmpty())
            return -1; // an unattached loop device
        return i;
    }
    return -1;
}

// Name order with runs of digits compared by value and letter runs by length first, so that
// sdz < sdaa and nvme2n1 < nvme10n1.
bool natural_less(const QString &a, const QString &b)
{
    static const QRegularExpression runs(QStringLiteral("\\d+|\\D+"));
    auto ia = runs.globalMatch(a), ib = runs.globalMatch(b);
    while (ia.hasNext() && ib.hasNext()) {
        const QString ra = ia.next().captured(), rb = ib.next().captured();
        const bool da = ra[0].isDigit(), db = rb[0].isDigit();
        if (da && db) {
            const qulonglong va = ra.toULongLong(), vb = rb.toULongLong();
            if (va != vb)
                return va < vb;
        } else if (ra.size() != rb.size()) {
            return ra.size() < rb.size();
        } else if (ra != rb) {
            return ra < rb;
        }
    }
    return !ia.hasNext() && ib.hasNext();
}

QString node_for(const QString &name)
{
    // sysfs writes "/" of a node name as "!" (cciss!c0d0 -> /dev/cciss/c0d0).
    QString n = name;
    n.replace(QLatin1Char('!'), QLatin1Char('/'));
    return platform_root_path(QStringLiteral("dev/") + n);
}

void read_partitions(const QString &dir, sysfs_disk_s &disk)
{
    const QStringList children = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &child : children) {
        const QString pdir = dir + QLatin1Char('/') + child;
        uint64_t number = 0, start = 0, size = 0;
        if (!parse_u64(read_attr(pdir + QStringLiteral("/partition")), number) || number == 0 ||
            number > 0xFFFF)
            continue;
        if (!parse_u64(read_attr(pdir + QStringLiteral("/start")), start) ||
            !parse_u64(read_attr(pdir + QStringLiteral("/size")), size) || size == 0)
            continue;
        if (disk.size_known) {
            if (start >= disk.size_sectors)
                continue; // beyond the end of the disk
            size = std::min(size, disk.size_sectors - start);
        }
        sysfs_partition_s p;
        p.name = child;
        p.node = node_for(child);
        p.number = static_cast<int>(number);
        p.start_sector = start;
        p.size_sectors = size;
        p.devno = platform_parse_devno(read_attr(pdir + QStringLiteral("/dev")));
        disk.partitions.append(p);
    }
    std::sort(disk.partitions.begin(), disk.partitions.end(),
              [](const sysfs_partition_s &a, const sysfs_partition_s &b) { return a.number < b.number; });
}

} // namespace

QString platform_root_path(const QString &relative)
{
    QString root = platform_root();
    while (root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root + QLatin1Char('/') + relative;
}

dev_t platform_parse_devno(const QByteArray &text)
{
    const int colon = text.indexOf(':');
    if (colon <= 0)
        return 0;
    uint64_t major_no = 0, minor_no = 0;
    if (!parse_u64(text.left(colon), major_no) || !parse_u64(text.mid(colon + 1), minor_no) ||
        major_no > 0xFFFFF || minor_no > 0xFFFFF)
        return 0;
    return makedev(static_cast<unsigned>(major_no), static_cast<unsigned>(minor_no));
}

QList<sysfs_disk_s> platform_sysfs_disks()
{
    const QString block = platform_root_path(QStringLiteral("sys/block"));
    QList<std::pair<int, sysfs_disk_s>> found;
    for (const QString &name : QDir(block).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString dir = block + QLatin1Char('/') + name;
        const int kind = kind_rank(dir, name);
        if (kind < 0 || read_attr(dir + QStringLiteral("/hidden")) == "1")
            continue; // not a disk we read, or a path hidden behind a multipath device
        sysfs_disk_s d;
        d.name = name;
        d.node = node_for(name);
        d.removable = read_attr(dir + QStringLiteral("/removable")) == "1";
        // Fixed disks first, so that drive 0 is the system's own disk whenever there is one.
        const int rank = (d.removable ? 100 : 0) + kind;
        uint64_t v = 0;
        if (parse_u64(read_attr(dir + QStringLiteral("/size")), v)) {
            d.size_sectors = v;
            d.size_known = true;
        }
        if (parse_u64(read_attr(dir + QStringLiteral("/queue/logical_block_size")), v) &&
            v >= 512 && v <= 65536 && (v & (v - 1)) == 0)
            d.logical_block_size = static_cast<uint32_t>(v);
        d.devno = platform_parse_devno(read_attr(dir + QStringLiteral("/dev")));
        read_partitions(dir, d);
        found.append({rank, d});
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        if (a.first != b.first)
            return a.first < b.first;
        return natural_less(a.second.name, b.second.name);
    });
    QList<sysfs_disk_s> out;
    for (const auto &f : found)
        out.append(f.second);
    return out;
}

int platform_sysfs_disk_for_node(const QString &node, sysfs_disk_s &out)
{
    for (const sysfs_disk_s &d : platform_sysfs_disks()) {
        if (d.node == node) {
            out = d;
            return 0;
        }
    }
    return -1;
}
