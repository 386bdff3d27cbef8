// Shared engine pieces: the inert engine, engine choice, safe names, finishing passes.

#include "engines/engine_factory.h"
#include "engines/found_entries.h"
#include "engines/found_index.h"
#include "engines/safe_name.h"

#include <QTest>

class test_engine_contract : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inert_engine()
    {
        recovery_stop_c engine;
        QCOMPARE(engine.get_progress(), 0.0);
        QCOMPARE(engine.get_stop(), 1);
        QCOMPARE(engine.get_pause(), 0);
        QCOMPARE(engine.get_scanned_count(), 0);
        QCOMPARE(engine.get_found_count(), 0);
        QCOMPARE(engine.recover_file(7, QStringLiteral("/nonexistent/x")), 0);
        QString path = QStringLiteral("unchanged");
        QCOMPARE(engine.get_file_path(7, path), 0);
        QCOMPARE(path, QStringLiteral("unchanged"));
    }

    void engine_choice_data()
    {
        QTest::addColumn<QString>("fs");
        QTest::addColumn<bool>("deep");
        QTest::addColumn<int>("kind");
        QTest::newRow("ntfs") << "NTFS" << false << int(engine_ntfs);
        QTest::newRow("ntfs lower case is not ntfs") << "ntfs" << false << int(engine_none);
        QTest::newRow("fat12") << "FAT12" << false << int(engine_fat);
        QTest::newRow("fat32") << "FAT32" << false << int(engine_fat);
        QTest::newRow("exfat") << "exFAT" << false << int(engine_none);
        QTest::newRow("empty") << "" << false << int(engine_none);
        QTest::newRow("deep wins") << "NTFS" << true << int(engine_deep);
        QTest::newRow("deep of unformatted") << "" << true << int(engine_deep);
    }
    void engine_choice()
    {
        QFETCH(QString, fs);
        QFETCH(bool, deep);
        QFETCH(int, kind);
        volume_item_s v;
        v.file_system = fs;
        QCOMPARE(int(choose_engine_kind(v, deep)), kind);
    }

    void safe_names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("plain") << "photo.jpg" << "photo.jpg";
        QTest::newRow("deleted mark kept") << "#HOTO.JPG" << "#HOTO.JPG";
        QTest::newRow("slash") << "../../etc/passwd" << ".._.._etc_passwd";
        QTest::newRow("backslash") << "a\\b" << "a_b";
        QTest::newRow("dot") << "." << "id42";
        QTest::newRow("dotdot") << ".." << "id42";
        QTest::newRow("empty") << "" << "id42";
        QTest::newRow("nul and control") << QString::fromUtf16(u"a\0b\x01", 4) << "a_b_";
        QTest::newRow("unicode kept") << QString::fromUtf8("照片 é.png") << QString::fromUtf8("照片 é.png");
        QTest::newRow("too long cut to 255 bytes") << QString(300, QChar(0x00e9)) << QString(127, QChar(0x00e9));
    }
    void safe_names()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(safe_name_component(name, QStringLiteral("id42")), safe);
    }

    // Children are linked, has_files climbs to the root, a parent loop neither hangs nor crashes.
    void finishing_passes()
    {
        QHash<uint32_t, fat_entry_s> index;
        auto add = [&index](uint32_t key, uint32_t parent, uint8_t attr) {
            fat_entry_s e;
            e.first_cluster = key;
            e.parent_cluster = parent;
            e.attributes = attr;
            e.name[0] = char16_t('a' + key % 26);
            index.insert(key, e);
        };
        add(0, 0, fat_attr_directory);
        add(3, 0, fat_attr_directory);
        add(4, 3, fat_attr_directory | fat_attr_deleted);
        add(9, 4, fat_attr_deleted);     // deleted file two levels down
        add(20, 21, fat_attr_directory); // loop: 20 <-> 21
        add(21, 20, fat_attr_directory);
        add(30, 21, fat_attr_deleted);   // file below the loop
        auto parent_of = [](const fat_entry_s &e) { return e.parent_cluster; };
        link_children(index, parent_of, [](uint32_t key, const fat_entry_s &e) { return key == 0 && e.parent_cluster == 0; });
        mark_has_files(index, parent_of, [](const fat_entry_s &e) { return !(e.attributes & fat_attr_directory); });
        QCOMPARE(index[0].children.size(), 1);
        QCOMPARE(index[3].children.size(), 1);
        QVERIFY(index[0].has_files && index[3].has_files && index[4].has_files);
        QVERIFY(!index[9].has_files);
        QVERIFY(index[20].has_files && index[21].has_files);

        QString path;
        auto name_of = [](const fat_entry_s &e) { return e.name_text(); };
        QCOMPARE(found_entry_path(index, uint32_t(9), uint32_t(0), QStringLiteral("/mnt/usb/"), parent_of, name_of, path), 0);
        QCOMPARE(path, QStringLiteral("/mnt/usb/d/e/j"));
        QCOMPARE(found_entry_path(index, uint32_t(30), uint32_t(0), QStringLiteral("/m"), parent_of, name_of, path), -1);
        QCOMPARE(found_entry_path(index, uint32_t(77), uint32_t(0), QStringLiteral("/m"), parent_of, name_of, path), -1);
    }
};

QTEST_GUILESS_MAIN(test_engine_contract)
#include "test_engine_contract.moc"
