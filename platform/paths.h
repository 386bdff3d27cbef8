#pragma once
// Where the program keeps and finds its files (XDG folders, data beside the executable).

#include <QString>

// $XDG_CONFIG_HOME/VornRecovery (default ~/.config/VornRecovery); created on demand by writers.
QString platform_config_dir();
// $XDG_STATE_HOME/VornRecovery (default ~/.local/state/VornRecovery).
QString platform_state_dir();
// $XDG_RUNTIME_DIR, or the temporary folder when it is not set.
QString platform_runtime_dir();
// Folder of the running executable (from /proc/self/exe), without trailing separator.
QString platform_executable_dir();
// A data file that comes with the program: $VORN_DATA_DIR first (tests, portable copies), then
// beside the executable and its ../data and ../share/vornrecovery, then <each of $XDG_DATA_DIRS>/vornrecovery.
// Returns the first existing path, or an empty string.
QString platform_find_data_file(const QString &name);
// The user's home folder.
QString platform_home_dir();
