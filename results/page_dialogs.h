#pragma once
// The questions the results page asks the user. Each is a function object so that tests can
// answer them; the defaults are the toolkit's dialogs and the program's warning box.

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// The program's one message-box form: Warning icon, the given title and text and buttons.
// Returns the button pressed (closing the box counts as No).
QMessageBox::StandardButton show_warning_box(QWidget *parent, const QString &title, const QString &text,
                                             QMessageBox::StandardButtons buttons);

struct page_dialogs_s {
    // Folder for recovered files; empty when cancelled.
    std::function<QString(QWidget *parent, const QString &caption, const QString &start)> choose_folder;
    // A warning box titled "VornRecovery".
    std::function<QMessageBox::StandardButton(QWidget *parent, const QString &text,
                                              QMessageBox::StandardButtons buttons)> warning;
    // Scan-file names for saving and loading; empty when cancelled.
    std::function<QString(QWidget *parent, const QString &start)> save_file;
    std::function<QString(QWidget *parent, const QString &start)> open_file;
    // Shows a folder in the file manager.
    std::function<void(const QString &folder)> open_folder;
};

page_dialogs_s default_page_dialogs();
