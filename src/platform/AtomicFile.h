#pragma once
#include <QByteArray>
#include <QString>

namespace kv::AtomicFile {

// Replaces the file with the data in one step: writes a temporary file in the
// same folder, flushes it to disk and renames it over the old one, so a crash
// or a full disk leaves either the old or the new file, never a short one.
// Returns false (and leaves the old file) when any step fails.
//
// A name that is a symbolic link is written through: the file it points to is
// replaced and the link stays. A file without any write permission, one the
// user may not write, or something other than a regular file on a disk (a
// FIFO, a device, a kernel file under /proc or /sys) is never replaced (false).
bool write(const QString &fileName, const QByteArray &data, int mode = 0600);
// The same for data given in pieces written one after another.
bool write(const QString &fileName, std::initializer_list<QByteArrayView> pieces, int mode = 0600);

} // namespace kv::AtomicFile
