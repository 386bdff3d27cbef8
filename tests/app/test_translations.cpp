// The language.ini reader: file format rules, fallback to English, section and image codes.

#include "app/translations.h"
#include "tests/support/test_tools.h"

#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QTest>

#include <regex>

class test_translations : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    void load(const QByteArray &content, const QString &language)
    {
        const QString path = dir.filePath(QStringLiteral("language.ini"));
        QVERIFY(test_write_file(path, content));
        set_language_file(path);
        translations.clear();
        current_language_index = 0;
        QCOMPARE(load_language(QStringLiteral("English"), false), 0);
        QCOMPARE(load_language(language, true), 0);
    }

private Q_SLOTS:
    void format_rules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray en = "[English]\n";
        QTest::newRow("plain") << en + "a=\"Alpha\"\n" << "English" << QByteArray("a") << "Alpha";
        QTest::newRow("crlf") << QByteArray("[English]\r\na=\"Alpha\"\r\n") << "English" << QByteArray("a") << "Alpha";
        QTest::newRow("leading blanks dropped") << en + "   a=\"Alpha\"\n" << "English" << QByteArray("a") << "Alpha";
        QTest::newRow("blank before = belongs to key") << en + "a =\"Alpha\"\n" << "English" << QByteArray("a") << "";
        QTest::newRow("blank before = key with blank") << en + "a =\"Alpha\"\n" << "English" << QByteArray("a ") << "Alpha";
        QTest::newRow("blanks after = and quote") << en + "a=  \"Alpha\"   \n" << "English" << QByteArray("a") << "Alpha";
        QTest::newRow("comment") << en + ";a=\"Alpha\"\n" << "English" << QByteArray(";a") << "";
        QTest::newRow("semicolon after blank is a key") << en + " ;a=\"Alpha\"\n" << "English" << QByteArray(" ;a") << "Alpha";
        QTest::newRow("empty text is no entry") << en + "a=\"\"\n" << "English" << QByteArray("a") << "";
        QTest::newRow("inner quotes kept") << en + "a=\"say \"hi\" now\"\n" << "English" << QByteArray("a") << "say \"hi\" now";
        QTest::newRow("several =, last one splits") << en + "a=b=\"x=y\"\n" << "English" << QByteArray("a=b") << "x=y";
        QTest::newRow("text after quote") << en + "a=\"Alpha\" x\n" << "English" << QByteArray("a") << "";
        QTest::newRow("escape n") << en + "a=\"one\\ntwo\"\n" << "English" << QByteArray("a") << "one\ntwo";
        QTest::newRow("escape t") << en + "a=\"one\\ttwo\"\n" << "English" << QByteArray("a") << "one\ttwo";
        QTest::newRow("other escape kept") << en + "a=\"one\\xtwo\"\n" << "English" << QByteArray("a") << "one\\xtwo";
        QTest::newRow("entry before first section") << QByteArray("a=\"Alpha\"\n[English]\n") << "English" << QByteArray("a") << "";
        QTest::newRow("utf8 text") << QByteArray("[English]\nk=\"Grüße 日本\"\n") << "English" << QByteArray("k") << QString::fromUtf8("Grüße 日本");
        QTest::newRow("bom hides header") << QByteArray("\xEF\xBB\xBF[English]\na=\"Alpha\"\n") << "English" << QByteArray("a") << "";
        QTest::newRow("case-sensitive key") << en + "Key=\"K\"\n" << "English" << QByteArray("key") << "";
        QTest::newRow("german overlays english") << en + "a=\"Alpha\"\nb=\"Beta\"\n[Deutsch]\na=\"Alfa\"\n" << "Deutsch" << QByteArray("a") << "Alfa";
        QTest::newRow("missing german key falls back") << en + "a=\"Alpha\"\nb=\"Beta\"\n[Deutsch]\na=\"Alfa\"\n" << "Deutsch" << QByteArray("b") << "Beta";
        QTest::newRow("unknown language keeps english") << en + "a=\"Alpha\"\n[Deutsch]\na=\"Alfa\"\n" << "Klingon" << QByteArray("a") << "Alpha";
        QTest::newRow("same name twice in a row: second not read") << en + "a=\"A\"\n[Deutsch]\na=\"D1\"\n[Deutsch]\nb=\"D2\"\n" << "Deutsch" << QByteArray("b") << "";
        QTest::newRow("same name again later is read") << en + "a=\"A\"\n[Deutsch]\na=\"D1\"\n[X]\n[Deutsch]\nb=\"D2\"\n" << "Deutsch" << QByteArray("b") << "D2";
        // A line longer than 2047 bytes is read in pieces: the second piece is a line of its own.
        QTest::newRow("long line split in pieces") << en + "a=\"" + QByteArray(2100, 'x') + "\"\nb=\"" + QByteArray(1, 'y') + "\"\n"
                                                   << "English" << QByteArray("a") << "";
        QTest::newRow("piece boundary makes an entry") << en + QByteArray(2047, ' ') + "p=\"Piece\"\n" << "English" << QByteArray("p") << "Piece";
    }
    void format_rules()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, language);
        QFETCH(QByteArray, key);
        QFETCH(QString, expected);
        load(file, language);
        QCOMPARE(text_for(key.toStdString()), expected);
    }

    // The hand-written line matchers must agree with the two ECMAScript patterns they replace.
    void matchers_agree_with_patterns()
    {
        const std::regex header_re(R"(^\s*\[(.*)\]\s*$)", std::regex::ECMAScript);
        const std::regex entry_re(R"re(^\s*([^;].*)\s*=\s*"(.+)"\s*$)re", std::regex::ECMAScript);
        const char alphabet[] = {' ', '\t', ';', '=', '"', 'a', 'b', '[', ']', '\r', '\\', 'n', '\xC3'};
        QRandomGenerator rng(20261211);
        for (int round = 0; round < 20000; ++round) {
            std::string line;
            const int len = static_cast<int>(rng.bounded(12));
            for (int i = 0; i < len; ++i)
                line += alphabet[rng.bounded(static_cast<int>(sizeof alphabet))];
            if (rng.bounded(4) != 0)
                line += '\n';
            std::smatch m;
            std::string name, key, text;
            const bool want_header = std::regex_match(line, m, header_re);
            QCOMPARE(match_section_header(line, name), want_header);
            if (want_header)
                QCOMPARE(name, m[1].str());
            const bool want_entry = std::regex_match(line, m, entry_re);
            if (match_entry(line, key, text) != want_entry)
                QFAIL(qPrintable(QStringLiteral("entry mismatch on %1 (regex %2)").arg(QString::fromLatin1(QByteArray::fromStdString(line).toHex())).arg(want_entry)));
            if (want_entry) {
                QCOMPARE(key, m[1].str());
                QCOMPARE(text, m[2].str());
            }
        }
    }

    void unknown_key_is_empty_and_stable()
    {
        load("[English]\na=\"Alpha\"\n", QStringLiteral("English"));
        const QString &first = text_for("nope");
        QVERIFY(first.isEmpty());
        QCOMPARE(&text_for("nope"), &first);
        QVERIFY(translations.count("nope") == 1);
    }

    void missing_file_changes_nothing()
    {
        load("[English]\na=\"Alpha\"\n[Deutsch]\n", QStringLiteral("Deutsch"));
        set_language_file(dir.filePath(QStringLiteral("absent.ini")));
        QCOMPARE(load_language(QStringLiteral("English"), false), -1);
        QCOMPARE(text_for("a"), QStringLiteral("Alpha"));
        QCOMPARE(language_names, QStringList({QStringLiteral("English"), QStringLiteral("Deutsch")}));
    }

    void section_index_and_image_code_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("code");
        QTest::newRow("english") << "English" << 0 << "en";
        QTest::newRow("deutsch") << "Deutsch" << 1 << "de";
        QTest::newRow("simplified chinese") << QString::fromUtf8("简体中文") << 2 << "cn";
        QTest::newRow("traditional chinese") << QString::fromUtf8("繁體中文") << 3 << "hk";
        QTest::newRow("japanese") << QString::fromUtf8("日本語") << 4 << "jp";
        QTest::newRow("arabic") << QString::fromUtf8("العربية") << 5 << "ar";
        QTest::newRow("other name") << "Esperanto" << 6 << "en";
        QTest::newRow("not a section: first section's code") << "Klingon" << 0 << "en";
    }
    void section_index_and_image_code()
    {
        QFETCH(QString, language);
        QFETCH(int, index);
        QFETCH(QString, code);
        load(QString::fromUtf8("[English]\n[Deutsch]\n[简体中文]\n[繁體中文]\n[日本語]\n[العربية]\n[Esperanto]\n").toUtf8(), language);
        QCOMPARE(language_names.size(), 7);
        QCOMPARE(current_language_index, index);
        QCOMPARE(image_language_code(), code);
        QCOMPARE(localized_image_path(QStringLiteral("btn_top11.png")),
                 QStringLiteral("/images/multilang/") + code + QStringLiteral("/btn_top11.png"));
    }

    void first_section_decides_when_language_unknown()
    {
        load("[Deutsch]\n[English]\n", QStringLiteral("Klingon"));
        QCOMPARE(current_language_index, 0);
        QCOMPARE(image_language_code(), QStringLiteral("de"));
    }
};

QTEST_GUILESS_MAIN(test_translations)
#include "test_translations.moc"
