#include "app/init.h"

#include "disk/drive_enum.h"
#include "disk/volume_enum.h"
#include "engines/fat/sector_layer.h"

std::atomic<int> init_done{0};

void init_c::run()
{
    enumerate_volumes();
    enumerate_drives();
    init_sector_layer();
    init_done = 1;
    Q_EMIT init_finished();
}
