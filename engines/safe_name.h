#pragma once
// Names read from a disk are untrusted: before one is joined to a folder it is reduced to a
// single safe path component.

#include <QString>

// No "/", no NUL, not "." or ".."; other control characters become "_". An empty result becomes
// fallback (a name made from the entry's identifier). At most 255 bytes of UTF-8.
QString safe_name_component(const QString &name, const QString &fallback);
