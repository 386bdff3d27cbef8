// The results tree and the file table: structure, filtering, sorting, header presses, painting
// inputs. Every model is checked with QAbstractItemModelTester.

#include "fake_engines.h"
#include "results/header_view.h"
#include "results/recovery_delegate.h"
#include "results/recovery_model.h"
#include "results/table_view.h"
#include "results/tree_build.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList child_names(const TreeNode *node)
{
    QStringList names;
    for (const TreeNode *c : node->children)
        names << c->name;
    return names;
}

QStringList item_names(const QList<recovery_item_s> &items)
{
    QStringList names;
    for (const auto &i : items)
        names << i.name;
    return names;
}

// A FAT volume: /DOCS (deleted file inside), /EMPTY (no files), /DOCS/SUB/#OLD.TXT, a deleted
// file in the root, and an entry with first cluster 0 that must be left out.
QHash<uint32_t, fat_entry_s> fat_volume()
{
    QHash<uint32_t, fat_entry_s> index;
    for (fat_entry_s e : {fat_dir(3, 0, "DOCS"), fat_dir(4, 0, "EMPTY"), fat_dir(5, 3, "#UB", true),
                          fat_file(10, 3, "#EPORT.TXT", 100), fat_file(11, 5, "#OLD.TXT", 5),
                          fat_file(12, 0, "#OOT.BIN", 7), fat_dir(6, 4, "LIVE")})
        index.insert(e.first_cluster, e);
    fat_entry_s zero = fat_file(0, 3, "#ERO.TXT", 0);
    index.insert(99, zero); // key != first cluster 0: an empty file; linked but never listed
    finish_fat(index);
    return index;
}

QHash<int64_t, ntfs_entry_s> ntfs_volume()
{
    QHash<int64_t, ntfs_entry_s> index;
    const uint32_t dir = ntfs_flag_directory, file = ntfs_flag_file, del = ntfs_flag_deleted;
    for (ntfs_entry_s e : {ntfs_entry(5, 5, ".", dir), ntfs_entry(11, 5, "$Extend", dir),
                           ntfs_entry(9, 11, "$Secure", file | del), ntfs_entry(40, 5, "photos", dir),
                           ntfs_entry(41, 40, "a.jpg", file | del, 2048), ntfs_entry(42, 5, "root.txt", file | del, 3),
                           ntfs_entry(43, 5, "nofiles", dir), ntfs_entry(7, 5, "$Boot", file | del)})
        index.insert(e.record_number, e);
    finish_ntfs(index);
    return index;
}

} // namespace

class test_results_models : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fat_tree_shows_directories_that_lead_to_files()
    {
        auto index = fat_volume();
        auto model = build_fat_tree(&index[0]);
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const TreeNode *top = tree_top(*model);
        QVERIFY(top);
        QCOMPARE(top->name, QStringLiteral("/"));
        QCOMPARE(child_names(top), QStringList{"DOCS"}); // EMPTY holds no files
        QCOMPARE(child_names(top->children[0]), QStringList{"#UB"});
        QCOMPARE(top->children[0]->payload, static_cast<const void *>(&index[3]));
        // parent() answers the node's own row in its parent.
        const QModelIndex docs = model->index(0, 0, model->index(0, 0));
        const QModelIndex sub = model->index(0, 0, docs);
        QCOMPARE(model->parent(sub), docs);
        QCOMPARE(model->columnCount(docs), 1);
        QCOMPARE(model->flags(docs), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        QCOMPARE(model->data(docs, Qt::DisplayRole).toString(), QStringLiteral("DOCS"));
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Title"));
    }

    void fat_tree_of_files_only_in_the_root_is_empty()
    {
        QHash<uint32_t, fat_entry_s> index;
        index.insert(12, fat_file(12, 0, "#OOT.BIN", 7));
        finish_fat(index);
        auto model = build_fat_tree(&index[0]);
        QVERIFY(tree_top(*model)->children.isEmpty());
    }

    void ntfs_tree_hides_system_records_and_the_root_itself()
    {
        auto index = ntfs_volume();
        auto model = build_ntfs_tree(&index[5]);
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(child_names(tree_top(*model)), QStringList{"photos"});
        QCOMPARE(build_ntfs_tree(nullptr)->rowCount(), 0);
    }

    void deep_tree_has_one_leaf_per_extension()
    {
        std::map<QByteArray, QList<int64_t>> map{{"doc", {1}}, {"jpg", {0, 2}}, {"png", {3}}};
        QList<raw_category_s> categories;
        for (const auto &[ext, ids] : map)
            categories.append({ext, &ids});
        auto model = build_deep_tree(categories);
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const TreeNode *top = tree_top(*model);
        QCOMPARE(top->payload, nullptr);
        QCOMPARE(child_names(top), (QStringList{"doc", "jpg", "png"}));
        QCOMPARE(top->children[1]->payload, static_cast<const void *>(&map["jpg"]));
        QVERIFY(top->children[1]->children.isEmpty());
        QVERIFY(build_deep_tree({})->root()->children.first()->children.isEmpty());
    }

    void deep_directory_chain_builds_without_recursion()
    {
        // 20,000 nested deleted directories with one file at the bottom.
        QHash<uint32_t, fat_entry_s> index;
        const uint32_t depth = 20000;
        for (uint32_t c = 2; c < depth + 2; ++c)
            index.insert(c, fat_dir(c, c == 2 ? 0 : c - 1, QStringLiteral("D%1").arg(c), true));
        index.insert(depth + 2, fat_file(depth + 2, depth + 1, "#F", 1));
        finish_fat(index);
        auto model = build_fat_tree(&index[0]);
        const TreeNode *node = tree_top(*model);
        uint32_t levels = 0;
        while (!node->children.isEmpty()) {
            node = node->children.first();
            ++levels;
        }
        QCOMPARE(levels, depth);
    }

    void items_are_made_from_each_engine_record()
    {
        auto fat = fat_volume();
        QCOMPARE(item_names(items_of(fat[3])), QStringList{"#EPORT.TXT"});
        const recovery_item_s f = items_of(fat[3]).first();
        QCOMPARE(f.size, 100u);
        QCOMPARE(f.file_id, 10);
        QCOMPARE(f.date1, 1700000010);
        QCOMPARE(f.date2, 1600000010);
        QCOMPARE(f.attributes, uint32_t(0x20 | fat_attr_deleted));
        QVERIFY(!f.ticked);

        auto ntfs = ntfs_volume();
        QCOMPARE(item_names(items_of(ntfs[5])), QStringList{"root.txt"}); // not $Boot (record 7)
        QCOMPARE(item_names(items_of(ntfs[11])), QStringList{});

        fake_engine_set_c engines;
        engines.records = {raw_entry(0, "jpg", 10), raw_entry(1, "docxxxxx", 20), raw_entry(12, "jpg", 30)};
        const QList<int64_t> ids{0, 2, 7}; // 7 is beyond the records: left out
        const auto raw = items_of(engines, &ids);
        QCOMPARE(item_names(raw), (QStringList{"00000000.jpg", "00000012.jpg"}));
        QCOMPARE(raw[1].file_id, 2);
        QCOMPARE(raw[1].date1, 0);
        QCOMPARE(item_from(engines.records[1]).name, QStringLiteral("00000001.docxxxxx"));
        QVERIFY(items_of(engines, nullptr).isEmpty());
    }

    void sort_by_column_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::newRow("name") << 1 << QStringList{"B", "a", "c"} << QStringList{"c", "a", "B"};
        QTest::newRow("size") << 2 << QStringList{"a", "c", "B"} << QStringList{"B", "c", "a"};
        QTest::newRow("date1") << 3 << QStringList{"c", "B", "a"} << QStringList{"a", "B", "c"};
        QTest::newRow("date2") << 4 << QStringList{"B", "c", "a"} << QStringList{"a", "c", "B"};
        QTest::newRow("no such column") << 5 << QStringList{"a", "B", "c"} << QStringList{"a", "B", "c"};
    }

    void sort_by_column()
    {
        QFETCH(int, column);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QList<recovery_item_s> items(3);
        const char *names[] = {"a", "B", "c"};
        const uint64_t sizes[] = {1, 300, 20};
        const int64_t d1[] = {30, 20, 10};
        const int64_t d2[] = {-5, -50, -10};
        for (int i = 0; i < 3; ++i)
            items[i] = {names[i], sizes[i], d1[i], d2[i], i, 0, i == 1};
        recovery_model_c model(&items);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.sort_by_column(column);
        QCOMPARE(item_names(items), first);
        model.sort_by_column(column);
        QCOMPARE(item_names(items), second);
        // Ticks travel with their items.
        for (const auto &i : items)
            QCOMPARE(i.ticked, i.name == QLatin1String("B"));
    }

    void columns_keep_their_own_direction()
    {
        QList<recovery_item_s> items{{"b", 2, 0, 0, 0, 0, false}, {"a", 1, 0, 0, 1, 0, false}};
        recovery_model_c model(&items);
        model.sort_by_column(1);
        model.sort_by_column(2); // size starts ascending although name is now ascending
        QCOMPARE(item_names(items), (QStringList{"a", "b"}));
        model.sort_by_column(1);
        QCOMPARE(item_names(items), (QStringList{"b", "a"}));

        QList<recovery_item_s> none;
        recovery_model_c empty(&none);
        QSignalSpy changed(&empty, &QAbstractItemModel::dataChanged);
        empty.sort_by_column(1);
        QVERIFY(empty.sort_ascending[1]);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(empty.rowCount(), 0);
    }

    void model_hands_the_whole_record_to_every_column()
    {
        QList<recovery_item_s> items{{"x.txt", 5, 1, 2, 77, 0x80, false}};
        recovery_model_c model(&items);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.columnCount(), 5);
        const auto item = model.data(model.index(0, 3), Qt::DisplayRole).value<recovery_item_s>();
        QCOMPARE(item.file_id, 77);
        QVERIFY(!model.data(model.index(0, 3), Qt::EditRole).isValid());
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("checkbox"));
        QVERIFY(!model.headerData(5, Qt::Horizontal, Qt::DisplayRole).isValid());
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.set_item_ticked(0, true);
        QVERIFY(items[0].ticked);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), model.index(0, 0));
        QCOMPARE(changed[0][1].toModelIndex(), model.index(0, 0));
    }

    void header_press_positions_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("signal");
        // Sections 33, 235, 100, 100, 100: borders at 33, 268, 368, 468, 568.
        QTest::newRow("tick box") << 5 << 0;
        QTest::newRow("tick box right edge") << 33 << 0;
        QTest::newRow("name") << 34 << 1;
        QTest::newRow("border name/size") << 268 << -1;
        QTest::newRow("size") << 269 << 2;
        QTest::newRow("date1") << 400 << 3;
        QTest::newRow("date2") << 567 << 4;
        QTest::newRow("border right of date2") << 568 << -1;
        QTest::newRow("beyond") << 700 << -1;
    }

    void header_press_positions()
    {
        QFETCH(int, x);
        QFETCH(int, signal);
        QList<recovery_item_s> items;
        recovery_model_c model(&items);
        QTableView view;
        auto *header = new MyHeaderView(&view);
        view.setHorizontalHeader(header);
        view.setModel(&model);
        header->resizeSection(0, 33);
        header->resizeSection(1, 235);
        for (int i = 2; i < 5; ++i)
            header->resizeSection(i, 100);
        view.resize(800, 300);
        view.show();
        QSignalSpy check(header, &MyHeaderView::check_all);
        QSignalSpy sort(header, &MyHeaderView::sort_column);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 10));
        QCOMPARE(header->column_at_x(x), signal);
        QCOMPARE(check.count(), signal == 0 ? 1 : 0);
        QCOMPARE(sort.count(), signal > 0 ? 1 : 0);
        if (signal == 0) {
            QVERIFY(header->all_ticked);
            QCOMPARE(check[0][0].toBool(), true);
        }
        if (signal > 0)
            QCOMPARE(sort[0][0].toInt(), signal);
        QCOMPARE(header->sizeHint().height(), 24);
    }

    void keyboard_move_acts_as_a_click()
    {
        QList<recovery_item_s> items(3);
        recovery_model_c model(&items);
        MyQTableView view;
        view.setModel(&model);
        view.show();
        view.setCurrentIndex(model.index(0, 0));
        QSignalSpy clicked(&view, &QAbstractItemView::clicked);
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked[0][0].toModelIndex(), model.index(1, 0));
        QTest::keyClick(&view, Qt::Key_Right); // same row: no click
        QCOMPARE(clicked.count(), 1);
    }

    void dates_are_local_calendar_days()
    {
        qputenv("TZ", "UTC");
        tzset();
        QCOMPARE(recovery_delegate_c::date_text(0), QStringLiteral("1970-01-01"));
        QCOMPARE(recovery_delegate_c::date_text(1700000000), QStringLiteral("2023-11-14"));
        QCOMPARE(recovery_delegate_c::date_text(INT64_MAX), QStringLiteral("-"));
    }
};

QTEST_MAIN(test_results_models)
#include "test_results_models.moc"
