// Settings (language, recovery folder), the first-run language from the locale, size texts.

#include "app/settings.h"
#include "app/translations.h"
#include "tests/support/test_tools.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class test_settings : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    void set_locale(const char *lc_all, const char *lc_messages, const char *lang)
    {
        auto put = [](const char *name, const char *value) {
            if (value)
                qputenv(name, value);
            else
                qunsetenv(name);
        };
        put("LC_ALL", lc_all);
        put("LC_MESSAGES", lc_messages);
        put("LANG", lang);
    }

    void fresh_config()
    {
        static int n = 0;
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config%1").arg(++n)).toUtf8());
        app_settings.reset();
        translations.clear();
        current_language.clear();
        current_language_index = 0;
        recovery_folder.clear();
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString ini = dir.filePath(QStringLiteral("language.ini"));
        QVERIFY(test_write_file(ini, "[English]\nbtn_scan=\"Scan\"\nbtn_back=\"Back\"\n"
                                     "[Deutsch]\nbtn_scan=\"Durchsuchen\"\n"));
        set_language_file(ini);
    }

    void locale_language_data()
    {
        QTest::addColumn<QByteArray>("lc_all");
        QTest::addColumn<QByteArray>("lc_messages");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("expected"); // empty: none
        QTest::newRow("LANG de") << QByteArray() << QByteArray() << QByteArray("de_DE.UTF-8") << "Deutsch";
        QTest::newRow("LC_ALL wins") << QByteArray("fr_FR.UTF-8") << QByteArray("it_IT") << QByteArray("de_DE") << QString::fromUtf8("Français");
        QTest::newRow("LC_MESSAGES before LANG") << QByteArray() << QByteArray("ja_JP.UTF-8") << QByteArray("de_DE") << QString::fromUtf8("日本語");
        QTest::newRow("zh_CN") << QByteArray() << QByteArray() << QByteArray("zh_CN.UTF-8") << QString::fromUtf8("简体中文");
        QTest::newRow("zh_SG") << QByteArray() << QByteArray() << QByteArray("zh_SG") << QString::fromUtf8("简体中文");
        QTest::newRow("zh_TW") << QByteArray() << QByteArray() << QByteArray("zh_TW.UTF-8") << QString::fromUtf8("繁體中文");
        QTest::newRow("zh_HK") << QByteArray() << QByteArray() << QByteArray("zh_HK") << QString::fromUtf8("繁體中文");
        QTest::newRow("es with modifier") << QByteArray() << QByteArray() << QByteArray("es_ES@euro") << QString::fromUtf8("Español");
        QTest::newRow("nl") << QByteArray() << QByteArray() << QByteArray("nl_NL.UTF-8") << "Nederlands";
        QTest::newRow("pt_BR") << QByteArray() << QByteArray() << QByteArray("pt_BR.UTF-8") << QString::fromUtf8("Português");
        QTest::newRow("en") << QByteArray() << QByteArray() << QByteArray("en_GB.UTF-8") << "English";
        QTest::newRow("C locale") << QByteArray() << QByteArray() << QByteArray("C.UTF-8") << QString();
        QTest::newRow("ru unsupported") << QByteArray() << QByteArray() << QByteArray("ru_RU.UTF-8") << QString();
        QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << QString();
    }
    void locale_language()
    {
        QFETCH(QByteArray, lc_all);
        QFETCH(QByteArray, lc_messages);
        QFETCH(QByteArray, lang);
        QFETCH(QString, expected);
        set_locale(lc_all.isEmpty() ? nullptr : lc_all.constData(),
                   lc_messages.isEmpty() ? nullptr : lc_messages.constData(),
                   lang.isEmpty() ? nullptr : lang.constData());
        const auto got = registry_language();
        QCOMPARE(got.value_or(QString()), expected);
    }

    void first_run_with_locale_language_stores_it()
    {
        fresh_config();
        set_locale(nullptr, nullptr, "de_DE.UTF-8");
        load_settings();
        QCOMPARE(current_language, QStringLiteral("Deutsch"));
        QCOMPARE(text_for("btn_scan"), QStringLiteral("Durchsuchen"));
        QCOMPARE(text_for("btn_back"), QStringLiteral("Back"));
        QSettings stored(settings_file_path(), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("language")).toString(), QStringLiteral("Deutsch"));
        QVERIFY(!stored.contains(QStringLiteral("recovery_folder")));
    }

    void first_run_without_locale_language_writes_nothing()
    {
        fresh_config();
        set_locale(nullptr, nullptr, "C");
        load_settings();
        QCOMPARE(current_language, QStringLiteral("English"));
        QCOMPARE(text_for("btn_scan"), QStringLiteral("Scan"));
        QVERIFY(!QFile::exists(settings_file_path()));
    }

    void stored_language_without_section_gives_english()
    {
        fresh_config();
        {
            QSettings s(settings_file_path(), QSettings::IniFormat);
            s.setValue(QStringLiteral("language"), QStringLiteral("Klingon"));
        }
        load_settings();
        QCOMPARE(current_language, QStringLiteral("Klingon"));
        QCOMPARE(text_for("btn_scan"), QStringLiteral("Scan"));
        QCOMPARE(current_language_index, 0);
    }

    void save_keeps_recovery_folder()
    {
        fresh_config();
        {
            QSettings s(settings_file_path(), QSettings::IniFormat);
            s.setValue(QStringLiteral("language"), QStringLiteral("English"));
            s.setValue(QStringLiteral("recovery_folder"), QString::fromUtf8("/home/ünï/out"));
        }
        load_settings();
        QCOMPARE(recovery_folder, QString::fromUtf8("/home/ünï/out"));
        current_language = QStringLiteral("Deutsch");
        save_settings();
        QSettings stored(settings_file_path(), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("language")).toString(), QStringLiteral("Deutsch"));
        QCOMPARE(stored.value(QStringLiteral("recovery_folder")).toString(), QString::fromUtf8("/home/ünï/out"));
    }

    void size_texts_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << quint64(0) << "0B";
        QTest::newRow("1024") << quint64(1024) << "1024B";
        QTest::newRow("1025") << quint64(1025) << "1.00K";
        QTest::newRow("1 MiB") << quint64(1048576) << "1024.00K";
        QTest::newRow("1 MiB + 1") << quint64(1048577) << "1.00M";
        QTest::newRow("1 GiB") << quint64(1073741824) << "1024.00M";
        QTest::newRow("1 GiB + 1") << quint64(1073741825) << "1.00G";
        QTest::newRow("500 GiB") << quint64(500) * 1073741824ULL << "500.00G";
        QTest::newRow("max") << ~quint64(0) << "17179869184.00G";
    }
    void size_texts()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(format_size(bytes), text);
    }
};

QTEST_GUILESS_MAIN(test_settings)
#include "test_settings.moc"
