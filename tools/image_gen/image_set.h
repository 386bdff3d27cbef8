#pragma once
// The pictures of the program, written under one output folder together with the resource list
// that compiles them into the program.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

class image_set_c {
public:
    explicit image_set_c(const QString &root) : root(root) {}

    // rel is the path below images/ ("system/so.png"). false when the file could not be written.
    bool save(const QString &rel, const QImage &image);
    bool save_bytes(const QString &rel, const QByteArray &bytes);
    // A picture that is installed beside the program rather than compiled in (the desktop icon).
    bool save_extra(const QString &name, const QImage &image);
    // Writes <root>/<name> listing every saved file under the prefix /images.
    bool write_qrc(const QString &name) const;

    int failures = 0;

private:
    QString root;
    QStringList files;
};

// The makers, one per group of pictures.
void draw_frame(image_set_c &out);
void draw_pages(image_set_c &out);
void draw_animation(image_set_c &out);

// Texts of the localized picture buttons of one image folder.
struct button_texts_s {
    QString quick, partitions, deep;           // the three top buttons
    QString start, start_hint, resume, resume_hint; // the two home page buttons
};
void draw_localized(image_set_c &out, const QString &code, const button_texts_s &texts);
