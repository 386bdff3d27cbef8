#include "engines/safe_name.h"

QString safe_name_component(const QString &name, const QString &fallback)
{
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QLatin1Char('_');
        else
            out += c;
    }
    if (out == QLatin1String(".") || out == QLatin1String(".."))
        out.clear();
    // Keep within NAME_MAX bytes without splitting a character.
    while (out.toUtf8().size() > 255)
        out.chop(out.size() > 1 && out.at(out.size() - 1).isLowSurrogate() ? 2 : 1);
    if (out.isEmpty())
        out = fallback;
    return out;
}
