#pragma once
// The file and folder questions the results page asks. Each is a function object so that tests
// can answer them; the defaults are the toolkit's dialogs. Warning boxes go through
// skin/warning_box.h, whose hook tests answer.

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

struct page_dialogs_s {
    // Folder for recovered files; empty when cancelled.
    std::function<QString(QWidget *parent, const QString &caption, const QString &start)> choose_folder;
    // Scan-file names for saving and loading; empty when cancelled.
    std::function<QString(QWidget *parent, const QString &start)> save_file;
    std::function<QString(QWidget *parent, const QString &start)> open_file;
    // Shows a folder in the file manager.
    std::function<void(const QString &folder)> open_folder;
};

page_dialogs_s default_page_dialogs();

// A warning box with the text of key filled in by the caller (arguments, a fallback text).
int warning_box_with_text(QWidget *parent, const char *key, const QString &text,
                          QMessageBox::StandardButtons buttons);
