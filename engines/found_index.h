#pragma once
// The finishing passes shared by the FAT and NTFS engines: turn the flat found index into a tree
// and mark the directories below which files lie; and the full path of an indexed entry.
//
// The children lists hold pointers into the hash, so the hash must not be modified after
// link_children() until it is cleared.

#include <QHash>
#include <QList>
#include <QString>

// Appends each entry (except those skip() names) to its parent's children, when the parent is
// indexed. parent_of(entry) gives the parent key.
template <typename Key, typename Entry, typename ParentOf, typename Skip>
void link_children(QHash<Key, Entry> &index, ParentOf parent_of, Skip skip)
{
    for (auto it = index.begin(); it != index.end(); ++it) {
        if (skip(it.key(), it.value()))
            continue;
        auto parent = index.find(parent_of(it.value()));
        if (parent != index.end())
            parent->children.append(&it.value());
    }
}

// For every file, marks its ancestors' has_files, stopping at the first one already marked.
// The walk is bounded by the index size, so a loop in the parent keys cannot hang it.
template <typename Key, typename Entry, typename ParentOf, typename IsFile>
void mark_has_files(QHash<Key, Entry> &index, ParentOf parent_of, IsFile is_file)
{
    const qsizetype limit = index.size();
    for (auto it = index.begin(); it != index.end(); ++it) {
        if (!is_file(it.value()))
            continue;
        Key key = parent_of(it.value());
        for (qsizetype steps = 0; steps <= limit; ++steps) {
            auto parent = index.find(key);
            if (parent == index.end() || parent->has_files)
                break;
            parent->has_files = 1;
            key = parent_of(parent.value());
        }
    }
}

// Path of entry id below mount_point ("/mnt/usb" + "/" + names). Returns 0, or -1 when id or one
// of its ancestors is missing (or the chain loops). name_of(entry) gives the name.
template <typename Key, typename Entry, typename ParentOf, typename NameOf>
int found_entry_path(const QHash<Key, Entry> &index, Key id, Key root, const QString &mount_point,
                     ParentOf parent_of, NameOf name_of, QString &out, QChar separator = QLatin1Char('/'))
{
    QList<Key> chain{id};
    for (;;) {
        auto it = index.constFind(chain.last());
        if (it == index.constEnd())
            return -1;
        const Key parent = parent_of(it.value());
        if (parent == root)
            break;
        if (chain.size() > index.size())
            return -1; // loop in the parent chain
        chain.append(parent);
    }
    QString path = mount_point;
    if (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    for (qsizetype i = chain.size() - 1; i >= 0; --i)
        path += separator + name_of(index.value(chain[i]));
    out = path;
    return 0;
}
