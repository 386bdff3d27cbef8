#pragma once
// Decoding of a text preview.

#include <QByteArray>
#include <QString>

// bytes (at most the first 8192 of a file) as text: UTF-16LE after FF FE, UTF-8 after EF BB BF,
// else Latin-1; the text ends at the first zero character.
QString preview_text(const QByteArray &bytes);
