// language.ini: the file's bytes through the parser start-up uses.

#include "app/translations.h"

#include <QByteArray>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    translations.clear();
    parse_language_text(content, QStringLiteral("English"), false);
    parse_language_text(content, QString::fromUtf8("日本語"), true);
    (void)image_language_code();
    (void)text_for("btn_scan");
    return 0;
}
