#include "skin/warning_box.h"

#include "app/translations.h"

#include <QPixmap>

warning_hook_t warning_box_hook;

std::unique_ptr<QMessageBox> make_warning_box(const QString &title, const char *key,
                                              QMessageBox::StandardButtons buttons,
                                              QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, title, text_for(key), buttons,
                                             parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    box->setIconPixmap(QPixmap(QStringLiteral(":/images/top.ico")));
    return box;
}

int warning_box(const QString &title, const char *key, QMessageBox::StandardButtons buttons,
                QWidget *parent)
{
    if (warning_box_hook) {
        const warning_request_s request{title, QString::fromLatin1(key), text_for(key), buttons,
                                        parent};
        return warning_box_hook(request);
    }
    auto box = make_warning_box(title, key, buttons, parent);
    const int answer = box->exec();
    // A Yes/No box closed by its window button reports Escape's button; treat it as No.
    if ((buttons & QMessageBox::Yes) && answer != QMessageBox::Yes)
        return QMessageBox::No;
    return answer;
}

bool warning_yes(const char *key, QWidget *parent)
{
    return warning_box(warning_title, key, QMessageBox::Yes | QMessageBox::No, parent) ==
           QMessageBox::Yes;
}
