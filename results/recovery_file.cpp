#include "results/recovery_file.h"

#include "engines/recovery_base.h"
#include "results/recovery_window.h"

#include <QFile>

recovery_file_c::~recovery_file_c()
{
    request_stop();
    wait();
}

void recovery_file_c::prepare(const QDir &destination, const QList<recovery_item_s> &items)
{
    destination_ = destination;
    items_.clear();
    for (const recovery_item_s &item : items)
        if (item.ticked)
            items_.append(item);
    stop_ = false;
    written_ = partial_ = failed_ = 0;
}

void recovery_file_c::run()
{
    for (const recovery_item_s &item : std::as_const(items_)) {
        if (stop_)
            break;
        const int result = page_->write_one_file(destination_, item);
        if (result == 0)
            ++written_;
        else if (result == recover_partial)
            ++partial_;
        else
            ++failed_;
    }
}

int copy_plain_file(const QString &source, const QString &destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return -1;
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray buffer(0x20000, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0)
            return recover_partial;
        if (got == 0)
            break;
        if (out.write(buffer.constData(), got) != got)
            return recover_partial;
    }
    return out.flush() ? 0 : recover_partial;
}
