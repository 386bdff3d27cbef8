// A scan file (*.sav) from the input, loaded as the home page's resume loads it, then listed.

#include "engines/raw_recovery.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = QDir::tempPath() + QStringLiteral("/vorn-fuzz-scan-%1.sav").arg(getpid());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    raw_recovery_c engine;
    const QString device = engine.load_results(path);
    (void)device;
    (void)engine.found_rows();
    return 0;
}
