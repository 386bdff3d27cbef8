#include "disk/drive_item.h"
#include "disk/volume_item.h"

QList<volume_item_s> volume_list;
QList<drive_item_s> drive_list;

namespace {
const int registered = [] {
    qRegisterMetaType<volume_item_s>("volume_item_s");
    qRegisterMetaType<drive_item_s>("drive_item_s");
    return 0;
}();
} // namespace
