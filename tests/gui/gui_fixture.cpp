#include "gui_fixture.h"

#include "app/translations.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QWidget>

warning_recorder_c::warning_recorder_c(int default_answer) : fallback(default_answer)
{
    warning_box_hook = [this](const warning_request_s &r) {
        requests.append(r);
        return answers.isEmpty() ? fallback : answers.takeFirst();
    };
}

warning_recorder_c::~warning_recorder_c() { warning_box_hook = nullptr; }

QStringList warning_recorder_c::keys() const
{
    QStringList out;
    for (const warning_request_s &r : requests)
        out.append(r.key);
    return out;
}

void send_mouse(QWidget *w, int type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPointF global = w->mapToGlobal(QPointF(pos));
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        buttons |= button;
    if (type == QEvent::MouseMove)
        button = Qt::NoButton;
    QMouseEvent event(QEvent::Type(type), QPointF(pos), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void click_at(QWidget *w, QPoint pos)
{
    send_mouse(w, QEvent::MouseButtonPress, pos);
    send_mouse(w, QEvent::MouseButtonRelease, pos);
}

volume_item_s make_volume(const QString &device, const QString &label, const QString &mount,
                          uint64_t total, uint64_t free_bytes, const QString &fs)
{
    volume_item_s v;
    v.device_name = device;
    v.volume_name = device;
    v.label = label;
    v.mount_point = mount;
    v.total_bytes = total;
    v.free_bytes = free_bytes;
    v.file_system = fs;
    return v;
}

QList<volume_item_s> sample_volumes()
{
    return {volume_item_s{},
            make_volume(QStringLiteral("/dev/sdb1"), QStringLiteral("USB"), QStringLiteral("/media/usb"),
                        8 * GiB, 2 * GiB),
            make_volume(QStringLiteral("/dev/sdc1"), QString(), QStringLiteral("/dev/sdc1"), 4 * GiB, 0,
                        QStringLiteral("NTFS"))};
}

drive_item_s make_drive(const QString &path, uint64_t size)
{
    drive_item_s d;
    d.device_path = path;
    d.size_bytes = size;
    auto g = std::make_shared<disk_geometry_s>();
    g->bytes_per_sector = 512;
    d.geometry = g;
    return d;
}

QList<drive_item_s> sample_drives(int count)
{
    QList<drive_item_s> list{drive_item_s{}};
    for (int i = 0; i < count; ++i)
        list.append(make_drive(QStringLiteral("/dev/sd%1").arg(QChar(u'a' + i)), (i + 1) * 100 * GiB));
    return list;
}

void load_test_language(const QString &dir)
{
    const QString path = dir + QStringLiteral("/language.ini");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write("[English]\n"
                "local_disk=\"Local Disk\"\n"
                "recovery_free=\" free of \"\n"
                "startup_warning=\"Still looking for disks.\"\n"
                "menu_help=\"Help\"\n"
                "menu_exit=\"Exit\"\n"
                "[Deutsch]\n"
                "local_disk=\"Lokaler Datenträger\"\n");
        f.close();
    }
    set_language_file(path);
    translations.clear();
    current_language_index = 0;
    load_language(QStringLiteral("English"), true);
}
