// Results page with large results: 100,000 deleted files in one folder (table fill and sort) and
// 100,000 directories with a file each (tree build). Prints the times against their targets.
// Run with QT_QPA_PLATFORM=offscreen.

#include "engines/found_index.h"
#include "results/recovery_delegate.h"
#include "results/recovery_model.h"
#include "results/table_view.h"
#include "results/tree_build.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>

namespace {

fat_entry_s entry(uint32_t cluster, uint32_t parent, uint8_t attributes, const QString &name, uint32_t size)
{
    fat_entry_s e;
    e.first_cluster = cluster;
    e.parent_cluster = parent;
    e.attributes = attributes;
    e.size = size;
    e.modified_time = 1600000000 + cluster * 37 % 100000;
    const qsizetype n = std::min<qsizetype>(name.size(), 259);
    std::memcpy(e.name, name.utf16(), size_t(n) * 2);
    return e;
}

void finish(QHash<uint32_t, fat_entry_s> &index)
{
    index.insert(0, entry(0, 0, 0x10, QString(), 0));
    link_children(index, [](const fat_entry_s &e) { return e.parent_cluster; },
                  [](uint32_t k, const fat_entry_s &e) { return k == 0 && e.parent_cluster == 0; });
    mark_has_files(index, [](const fat_entry_s &e) { return e.parent_cluster; },
                   [](const fat_entry_s &e) { return !(e.attributes & 0x10); });
}

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

void report(const char *what, double took, double target)
{
    std::printf("%-44s %9.1f ms   target < %6.0f ms   ratio %.3f\n", what, took, target, took / target);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const uint32_t n = 100000;

    // One folder with 100,000 deleted files.
    QHash<uint32_t, fat_entry_s> flat;
    flat.insert(2, entry(2, 0, 0x10, QStringLiteral("DOCS"), 0));
    for (uint32_t i = 0; i < n; ++i)
        flat.insert(3 + i, entry(3 + i, 2, 0x60, QStringLiteral("#ILE%1.JPG").arg((i * 7919u) % n, 6, 10, QLatin1Char('0')),
                                 (i * 2654435761u) % 10000000u));
    finish(flat);

    QElapsedTimer t;
    t.start();
    auto tree = build_fat_tree(&flat[0]);
    report("tree build, one folder of 100,000 files", ms(t), 1000);

    QList<recovery_item_s> items;
    MyQTableView view;
    view.setItemDelegate(new recovery_delegate_c(&view));
    view.resize(800, 400);
    view.show();
    t.restart();
    items = items_of(flat[2]);
    auto *model = new recovery_model_c(&items);
    view.setModel(model);
    QCoreApplication::processEvents();
    view.repaint();
    report("table fill, 100,000 rows", ms(t), 1000);

    t.restart();
    model->sort_by_column(1);
    QCoreApplication::processEvents();
    report("sort by name", ms(t), 500);
    t.restart();
    model->sort_by_column(2);
    QCoreApplication::processEvents();
    report("sort by size", ms(t), 500);
    t.restart();
    model->sort_by_column(3);
    QCoreApplication::processEvents();
    report("sort by date", ms(t), 500);

    // 100,000 directories below the root, each with one deleted file.
    QHash<uint32_t, fat_entry_s> dirs;
    for (uint32_t i = 0; i < n; ++i) {
        dirs.insert(2 + 2 * i, entry(2 + 2 * i, 0, 0x10, QStringLiteral("DIR%1").arg(i), 0));
        dirs.insert(3 + 2 * i, entry(3 + 2 * i, 2 + 2 * i, 0x60, QStringLiteral("#F"), 10));
    }
    finish(dirs);
    t.restart();
    auto wide = build_fat_tree(&dirs[0]);
    report("tree build, 100,000 directories", ms(t), 1000);
    // parent() of the last node is O(1): the row is kept in the node.
    const QModelIndex top = wide->index(0, 0);
    t.restart();
    for (int i = 0; i < int(n); i += 1)
        (void)wide->parent(wide->index(i, 0, top));
    report("parent() of every node, 100,000 calls", ms(t), 1000);
    delete model;
    return 0;
}
