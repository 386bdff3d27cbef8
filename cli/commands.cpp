#include "cli/commands.h"

const cli_command_s cli_commands[] = {
    {"drives", "List physical drives and disk images.", cmd_drives},
    {"volumes", "List volumes that can be scanned.", cmd_volumes},
    {"scan", "Scan a volume for deleted files (quick, or --deep).", cmd_scan},
    {"recover", "Scan a volume and write the found files into a folder.", cmd_recover},
    {"partitions", "Search a drive for lost NTFS and FAT32 partitions.", cmd_partitions},
    {"repair", "Search a drive and rewrite its partition table.", cmd_repair},
};
const int cli_command_count = sizeof cli_commands / sizeof cli_commands[0];
