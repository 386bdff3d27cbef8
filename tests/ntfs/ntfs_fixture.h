#pragma once
// A small NTFS image built by mkntfs and filled through the ntfs-3g driver: resident, large,
// fragmented (with an attribute list), sparse and compressed files, a deep tree, names in several
// scripts; then files and whole directories deleted. Keeps what each file held.

#include <QByteArray>
#include <QList>
#include <QString>

struct fixture_file_s {
    QString path; // "/docs/a.txt"
    QByteArray content;
    bool deleted = false;
    int64_t modified_time = 0; // as the driver reported it before deletion
    bool reused = false;       // deleted, then its clusters were written over
};

struct ntfs_fixture_s {
    QString image;
    QList<fixture_file_s> files;
    QString error; // why the image could not be built (empty on success)

    const fixture_file_s *find(const QString &path) const;
};

// Whether mkntfs and a working ntfs-3g mount are available here; else a reason.
QString ntfs_fixture_unavailable();
// Builds the image in folder. On failure fixture.error says why.
ntfs_fixture_s build_ntfs_fixture(const QString &folder);

// Points volume_list at image as disk 0, partition 0 ("/dev/hda0").
void use_image_as_volume(const QString &image, const QString &mount_point = QString());
