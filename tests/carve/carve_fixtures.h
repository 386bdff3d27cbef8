#pragma once
// Small real files of each carved format, made with the distribution's tools where one exists
// and built byte by byte where none does (mp4, avi, rar, PE, OLE2, pdf, rtf), plus the helpers
// that embed them in old data and scan the result.

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

struct fixture_s {
    QByteArray bytes;   // empty when it could not be made
    QString skip;       // why not (missing tool)
};

// kind is a row name of fixture_kinds(); dir a scratch folder.
fixture_s make_fixture(const QString &kind, const QString &dir);
// Every kind with the extension the carver must report for it.
QList<QPair<QString, QString>> fixture_kinds();

// Deterministic random bytes (old data).
QByteArray random_bytes(qsizetype n, uint32_t seed);

struct carved_s {
    QByteArray extension;
    int64_t offset = 0;
    int64_t size = 0;
};
// Scans image (in memory) with the current carving configuration.
QList<carved_s> carve_memory(const QByteArray &image);

// Hand-built files.
QByteArray build_mp4(const char *brand);
QByteArray build_avi();
QByteArray build_rar5();
QByteArray build_rar4();
QByteArray build_pe(bool dll);
QByteArray build_ole(const char16_t *stream_name, int stream_bytes);
QByteArray build_pdf(bool incremental);
QByteArray build_rtf();
QByteArray build_jpeg_with_thumbnail(const QByteArray &outer, const QByteArray &thumbnail);
