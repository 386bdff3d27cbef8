#include "results/page_dialogs.h"

#include "skin/warning_box.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace {
const QString scan_filter = QStringLiteral("VornRecovery Scan files (*.sav);;All files (*.*)");
const QString scan_selected = QStringLiteral("VornRecovery Scan files (*.sav)");
} // namespace

page_dialogs_s default_page_dialogs()
{
    page_dialogs_s d;
    d.choose_folder = [](QWidget *parent, const QString &caption, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, caption, start,
                                                 QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    };
    d.save_file = [](QWidget *parent, const QString &start) {
        QString selected = scan_selected;
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Save"), start, scan_filter, &selected);
    };
    d.open_file = [](QWidget *parent, const QString &start) {
        QString selected = scan_selected;
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Save"), start, scan_filter, &selected);
    };
    d.open_folder = [](const QString &folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); };
    return d;
}

int warning_box_with_text(QWidget *parent, const char *key, const QString &text,
                          QMessageBox::StandardButtons buttons)
{
    if (warning_box_hook)
        return warning_box_hook({warning_title, QString::fromLatin1(key), text, buttons, parent});
    auto box = make_warning_box(warning_title, key, buttons, parent);
    box->setText(text);
    return box->exec();
}
