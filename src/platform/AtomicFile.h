#pragma once
#include <QByteArray>
#include <QString>

namespace kv::AtomicFile {

// Replaces the file with the data in one step: writes a temporary file in the
// same folder, flushes it to disk and renames it over the old one, so a crash
// or a full disk leaves either the old or the new file, never a short one.
// Returns false (and leaves the old file) when any step fails.
bool write(const QString &fileName, const QByteArray &data, int mode = 0600);
// The same for data given in pieces written one after another.
bool write(const QString &fileName, std::initializer_list<QByteArrayView> pieces, int mode = 0600);

} // namespace kv::AtomicFile
