#include "partition/partition_item.h"

void register_partition_item()
{
    qRegisterMetaType<partition_item_s>("partition_item_s");
}

namespace {
const int registered = [] {
    register_partition_item();
    return 0;
}();
} // namespace
