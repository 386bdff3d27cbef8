// The shipped language.ini: its sections, that every language defines every key the program
// looks up, and that the file keeps to what the reader can parse.

#include "app/translations.h"
#include "tests/support/test_tools.h"

#include <QFile>
#include <QTest>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

// Every key the program looks up.
const char *const keys[] = {
    "back_warning", "language_warning", "menu_exit", "menu_help", "quit_warning",
    "startup_warning", "main_warning2", "main_warning1", "home_text1", "home_text2", "home_text3",
    "btn_back", "btn_refresh", "btn_scan", "drive_size", "local_disk", "partition_fs",
    "recovery_free", "scan_nosel_warning", "volume_logical_drives", "volume_select",
    "drive_physical_drives", "recovery_date1", "recovery_date2", "recovery_name", "btn_pause",
    "btn_recovery", "btn_resume", "btn_save_result", "btn_start", "btn_stop", "deep_scan_query",
    "raw_progress", "recovery_check_warning", "recovery_reading", "recovery_same_volume_warning",
    "recovery_select", "recovery_total_files", "btn_repair", "partition_es",
    "partition_finished", "partition_number", "partition_query", "partition_ss",
    "partition_text1",
};

struct section_s {
    const char *name;
    const char *image_code;
};

const section_s sections[] = {
    {"English", "en"},  {"Deutsch", "de"}, {"Français", "fr"},  {"Español", "es"},
    {"简体中文", "cn"}, {"繁體中文", "hk"}, {"Italiano", "it"},  {"日本語", "jp"},
    {"Português", "pt"}, {"Nederlands", "nl"}, {"العربية", "ar"},
};

bool is_known_key(const std::string &key)
{
    return std::any_of(std::begin(keys), std::end(keys), [&key](const char *k) { return key == k; });
}

} // namespace

class test_language_file : public QObject {
    Q_OBJECT

    QString path;
    QByteArray bytes;

    void load(const QString &language, bool english_first)
    {
        translations.clear();
        current_language_index = 0;
        if (english_first)
            QCOMPARE(load_language(QStringLiteral("English"), false), 0);
        QCOMPARE(load_language(language, true), 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        path = test_source_dir() + QStringLiteral("/data/language.ini");
        bytes = test_read_file(path);
        QVERIFY2(!bytes.isEmpty(), qPrintable(path));
        set_language_file(path);
    }

    // A mark in front of the first header would hide the English section.
    void no_byte_order_mark() { QVERIFY(!bytes.startsWith("\xEF\xBB\xBF")); }

    // Every line must be read whole (under 2047 bytes) and be a comment, blank, header or entry
    // of a known key: anything else the reader drops without a word.
    void every_line_parses()
    {
        const QList<QByteArray> lines = bytes.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const std::string line = lines[i].toStdString() + "\n";
            const QByteArray where = path.toUtf8() + ':' + QByteArray::number(i + 1);
            QVERIFY2(lines[i].size() < 2047, where.constData());
            QVERIFY2(!lines[i].contains('\r'), where.constData());
            if (lines[i].trimmed().isEmpty() || lines[i].startsWith(';'))
                continue;
            std::string name, key, text;
            if (match_section_header(line, name))
                continue;
            QVERIFY2(match_entry(line, key, text), where.constData());
            QVERIFY2(is_known_key(key), (where + ": unknown key " + key.c_str()).constData());
        }
    }

    void sections_in_order()
    {
        load(QStringLiteral("English"), false);
        QStringList expected;
        for (const section_s &s : sections)
            expected << QString::fromUtf8(s.name);
        QCOMPARE(language_names, expected);
    }

    void every_key_translated_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("image_code");
        for (const section_s &s : sections)
            QTest::newRow(s.name) << QString::fromUtf8(s.name) << QString::fromLatin1(s.image_code);
    }
    void every_key_translated()
    {
        QFETCH(QString, language);
        QFETCH(QString, image_code);

        // The section alone must define every key: an English fallback is not a translation.
        load(language, false);
        for (const char *key : keys)
            QVERIFY2(!text_for(key).isEmpty(), key);

        // As the program loads it: English first, the language over it.
        load(language, true);
        QCOMPARE(image_language_code(), image_code);
        for (const char *key : keys)
            QVERIFY2(!text_for(key).trimmed().isEmpty(), key);

        // Drawn between two sizes, so it brings its own blanks.
        const QString &free_text = text_for("recovery_free");
        QVERIFY2(free_text.startsWith(QLatin1Char(' ')) && free_text.endsWith(QLatin1Char(' ')),
                 qPrintable(free_text));
    }
};

QTEST_GUILESS_MAIN(test_language_file)
#include "test_language_file.moc"
