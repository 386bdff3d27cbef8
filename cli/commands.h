#pragma once
// Subcommands of vornrecovery-cli. Each takes the arguments after its name and returns the exit
// status: 0 success, 1 failure (one line on standard error), 2 usage error.

#include <QStringList>

enum cli_status_e { cli_ok = 0, cli_failed = 1, cli_usage = 2 };

int cmd_drives(const QStringList &args);
int cmd_volumes(const QStringList &args);
int cmd_scan(const QStringList &args);
int cmd_recover(const QStringList &args);
int cmd_partitions(const QStringList &args);
int cmd_repair(const QStringList &args);

struct cli_command_s {
    const char *name;
    const char *summary;
    int (*run)(const QStringList &args);
};

// The table main() dispatches on, in the order --help lists them.
extern const cli_command_s cli_commands[];
extern const int cli_command_count;
