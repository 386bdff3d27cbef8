#pragma once
// One running copy per user: an exclusive flock on a file in the runtime folder. The kernel drops
// the lock when the process ends, so a crashed instance never blocks the next start.

#include <QString>

// 0 when this process now holds the lock named name, -1 when another process holds it.
int single_instance_acquire(const QString &name);
// Path of the lock file for name (runtime folder, or the temporary folder with the user id).
QString single_instance_path(const QString &name);
