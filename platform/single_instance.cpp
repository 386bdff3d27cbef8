#include "platform/single_instance.h"

#include <QDir>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString single_instance_path(const QString &name)
{
    const char *run = std::getenv("XDG_RUNTIME_DIR");
    if (run && *run && QDir(QString::fromUtf8(run)).exists())
        return QString::fromUtf8(run) + QLatin1Char('/') + name + QStringLiteral(".lock");
    return QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral("-%1.lock").arg(getuid());
}

int single_instance_acquire(const QString &name)
{
    const QByteArray path = single_instance_path(name).toUtf8();
    // The descriptor is kept open (and the lock held) for the life of the process.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return 0;
}
