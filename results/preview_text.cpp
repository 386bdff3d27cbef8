#include "results/preview_text.h"

// The first 8192 bytes as text: UTF-16LE or UTF-8 after their byte-order mark, else Latin-1;
// the text ends at the first zero character.
QString preview_text(const QByteArray &bytes)
{
    QString text;
    if (bytes.size() > 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) {
        const qsizetype units = (bytes.size() - 2) / 2;
        text.resize(units);
        for (qsizetype i = 0; i < units; ++i)
            text[i] = QChar(ushort(uchar(bytes[2 + 2 * i]) | (uchar(bytes[3 + 2 * i]) << 8)));
    } else if (bytes.size() > 3 && uchar(bytes[0]) == 0xEF && uchar(bytes[1]) == 0xBB && uchar(bytes[2]) == 0xBF) {
        text = QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    } else {
        text = QString::fromLatin1(bytes);
    }
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    return text;
}

