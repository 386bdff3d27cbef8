#include "results/page_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QPixmap>
#include <QUrl>

QMessageBox::StandardButton show_warning_box(QWidget *parent, const QString &title, const QString &text,
                                             QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::Warning, title, text, buttons, parent,
                    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    const QPixmap icon(QStringLiteral(":/images/top.ico"));
    if (!icon.isNull())
        box.setIconPixmap(icon);
    const int answer = box.exec();
    return static_cast<QMessageBox::StandardButton>(answer);
}

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
    d.warning = [](QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons) {
        return show_warning_box(parent, QStringLiteral("VornRecovery"), text, buttons);
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
