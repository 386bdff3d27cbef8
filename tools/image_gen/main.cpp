// vorn_image_gen: draws every picture of the program and writes the resource list.
// Usage: vorn_image_gen <output folder> [language.ini]
// The texts of the localized picture buttons come from language.ini when it has them, else
// from the table below.

#include "image_set.h"

#include "app/translations.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

namespace {

struct folder_s {
    const char *code;
    const char *section; // section name in language.ini
    button_texts_s texts;
};

QString u(const char *s) { return QString::fromUtf8(s); }

QList<folder_s> folders()
{
    return {
        {"en", "English",
         {u("Quick Scan"), u("Partitions"), u("Deep Scan"), u("Start a new scan"),
          u("Find deleted files on a volume"), u("Resume a saved scan"),
          u("Open a saved deep-scan file")}},
        {"de", "Deutsch",
         {u("Schnellscan"), u("Partitionen"), u("Tiefenscan"), u("Neuen Scan starten"),
          u("Gelöschte Dateien auf einem Laufwerk finden"), u("Gespeicherten Scan fortsetzen"),
          u("Eine gespeicherte Tiefenscan-Datei öffnen")}},
        {"fr", "Français",
         {u("Analyse rapide"), u("Partitions"), u("Analyse approfondie"), u("Nouvelle analyse"),
          u("Retrouver les fichiers supprimés d'un volume"), u("Reprendre une analyse"),
          u("Ouvrir une analyse approfondie enregistrée")}},
        {"es", "Español",
         {u("Análisis rápido"), u("Particiones"), u("Análisis profundo"), u("Nuevo análisis"),
          u("Buscar archivos eliminados en un volumen"), u("Reanudar un análisis"),
          u("Abrir un análisis profundo guardado")}},
        {"cn", "简体中文",
         {u("快速扫描"), u("分区搜索"), u("深度扫描"), u("开始新的扫描"),
          u("查找卷上已删除的文件"), u("继续已保存的扫描"), u("打开已保存的深度扫描文件")}},
        {"hk", "繁體中文",
         {u("快速掃描"), u("分割區搜尋"), u("深度掃描"), u("開始新的掃描"),
          u("尋找磁碟區上已刪除的檔案"), u("繼續已儲存的掃描"), u("開啟已儲存的深度掃描檔案")}},
        {"it", "Italiano",
         {u("Scansione rapida"), u("Partizioni"), u("Scansione profonda"), u("Nuova scansione"),
          u("Trova i file eliminati su un volume"), u("Riprendi una scansione"),
          u("Apri una scansione profonda salvata")}},
        {"jp", "日本語",
         {u("クイックスキャン"), u("パーティション"), u("ディープスキャン"), u("新しいスキャンを開始"),
          u("ボリューム上の削除されたファイルを探す"), u("保存したスキャンを再開"),
          u("保存したディープスキャンファイルを開く")}},
    };
}

// Keys of language.ini that override the table; a key missing from the section keeps the
// table's text of that language.
void apply_file_texts(const QString &section, button_texts_s &t)
{
    translations.clear();
    if (load_language(section, false) != 0)
        return;
    const std::pair<const char *, QString *> keys[] = {
        {"image_quick_scan", &t.quick},       {"image_partitions", &t.partitions},
        {"image_deep_scan", &t.deep},         {"image_start_scan", &t.start},
        {"image_start_scan_hint", &t.start_hint}, {"image_resume_scan", &t.resume},
        {"image_resume_scan_hint", &t.resume_hint},
    };
    for (const auto &[key, text] : keys) {
        const QString &found = text_for(key);
        if (!found.isEmpty())
            *text = found;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vorn_image_gen <output folder> [language.ini]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]);
    if (argc > 2)
        set_language_file(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(root + QStringLiteral("/images"))) {
        std::fprintf(stderr, "vorn_image_gen: cannot create %s\n", argv[1]);
        return 1;
    }
    image_set_c out(root);
    draw_frame(out);
    draw_pages(out);
    draw_animation(out);
    for (folder_s folder : folders()) {
        apply_file_texts(u(folder.section), folder.texts);
        draw_localized(out, u(folder.code), folder.texts);
    }
    if (out.failures != 0 || !out.write_qrc(QStringLiteral("vorn_images.qrc"))) {
        std::fprintf(stderr, "vorn_image_gen: %d pictures could not be written\n", out.failures);
        return 1;
    }
    return 0;
}
