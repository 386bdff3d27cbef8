#include "image_set.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

bool image_set_c::save_bytes(const QString &rel, const QByteArray &bytes)
{
    const QString path = root + QStringLiteral("/images/") + rel;
    QDir().mkpath(QFileInfo(path).path());
    // Unchanged files keep their time stamps, so the resource compiler does not rerun.
    QFile old(path);
    if (old.open(QIODevice::ReadOnly) && old.readAll() == bytes) {
        files.append(rel);
        return true;
    }
    old.close();
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        ++failures;
        return false;
    }
    files.append(rel);
    return true;
}

bool image_set_c::save(const QString &rel, const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QByteArray format = rel.endsWith(QStringLiteral(".ico")) ? "ico" : "png";
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        ++failures;
        return false;
    }
    return save_bytes(rel, bytes);
}

bool image_set_c::write_qrc(const QString &name) const
{
    QByteArray qrc = "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
    for (const QString &rel : files)
        qrc += "  <file>images/" + rel.toUtf8() + "</file>\n";
    qrc += "</qresource>\n</RCC>\n";
    QFile f(root + QLatin1Char('/') + name);
    QFile old(f.fileName());
    if (old.open(QIODevice::ReadOnly) && old.readAll() == qrc)
        return true;
    old.close();
    return f.open(QIODevice::WriteOnly) && f.write(qrc) == qrc.size();
}

bool image_set_c::save_extra(const QString &name, const QImage &image)
{
    QDir().mkpath(root + QStringLiteral("/extra"));
    if (!image.save(root + QStringLiteral("/extra/") + name, "PNG")) {
        ++failures;
        return false;
    }
    return true;
}
