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
