#include "engines/copy_plain_file.h"

#include "engines/recovery_base.h"

#include <QByteArray>
#include <QFile>

int copy_plain_file(const QString &source, const QString &destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return -1;
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray buffer(0x20000, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0)
            return recover_partial;
        if (got == 0)
            break;
        if (out.write(buffer.constData(), got) != got)
            return recover_partial;
    }
    return out.flush() ? 0 : recover_partial;
}
