#pragma once
#include <QString>

namespace kv::Autostart {

// Writes the XDG autostart entry (Exec = the program's own path) when the
// file is missing. An existing file is left untouched, whatever it holds.
// Returns whether the file exists afterwards; a failure is not an error.
bool ensure(const QString &entryFile, const QString &executable);

} // namespace kv::Autostart
