#pragma once
// Shared pieces of the window tests: answering warning boxes, mouse events that pass the frame's
// event filter, and small volume and drive lists.

#include "disk/drive_item.h"
#include "disk/volume_item.h"
#include "skin/warning_box.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

class QWidget;

// Records every warning box and answers with the queued buttons (then with default_answer).
class warning_recorder_c {
public:
    explicit warning_recorder_c(int default_answer = QMessageBox::Ok);
    ~warning_recorder_c();

    void answer_next(int button) { answers.append(button); }
    QStringList keys() const;
    const warning_request_s &last() const { return requests.last(); }

    QList<warning_request_s> requests;

private:
    QList<int> answers;
    int fallback;
};

// Sends a mouse event to w at local pos (global = w's mapToGlobal) through the application,
// so event filters see it.
void send_mouse(QWidget *w, int type, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                Qt::MouseButtons buttons = Qt::NoButton);
void click_at(QWidget *w, QPoint pos);

// volume_list / drive_list style lists: header item first.
volume_item_s make_volume(const QString &device, const QString &label, const QString &mount,
                          uint64_t total, uint64_t free_bytes, const QString &fs = QStringLiteral("FAT32"));
QList<volume_item_s> sample_volumes();
drive_item_s make_drive(const QString &path, uint64_t size);
QList<drive_item_s> sample_drives(int count);

// A language file with sections English and Deutsch holding the texts the window shows;
// written into dir, set as the language file and loaded (English).
void load_test_language(const QString &dir);

constexpr uint64_t GiB = 1024ull * 1024 * 1024;
