#pragma once
// The program's one message-box form: a modal warning with a translated text, a title, the
// program's icon and a set of standard buttons.
//
// Tests answer boxes through warning_box_hook: while it is set, warning_box() hands the request
// to the hook and returns its answer instead of running the box.

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

inline const QString warning_title = QStringLiteral("VornRecovery");
inline const QString warning_title_pro = QStringLiteral("Vorn Data Recovery Pro");

struct warning_request_s {
    QString title;
    QString key;  // translation key of the text
    QString text; // text_for(key)
    QMessageBox::StandardButtons buttons;
    QWidget *parent = nullptr;
};

// Returns the button the user pressed (a QMessageBox::StandardButton).
using warning_hook_t = std::function<int(const warning_request_s &)>;
extern warning_hook_t warning_box_hook;

// Builds the box without running it. buttons NoButton leaves the toolkit's single OK button.
std::unique_ptr<QMessageBox> make_warning_box(const QString &title, const char *key,
                                              QMessageBox::StandardButtons buttons,
                                              QWidget *parent);

// Shows the box modally and returns the pressed button. Closing a Yes/No box answers No.
int warning_box(const QString &title, const char *key, QMessageBox::StandardButtons buttons,
                QWidget *parent);

// A Yes/No box: true only for Yes.
bool warning_yes(const char *key, QWidget *parent);
