#pragma once
#include <QString>
#include <QStringList>

// What a crash leaves behind. An atomic write (AtomicFile) first writes a
// temporary file "<name>.XXXXXX" beside its target and renames it over the
// target; when the process dies in between, the temporary file stays. The
// program removes these at start, once it holds the single-instance marker,
// so that no other copy can be writing one at that moment.
namespace kv::StaleFiles {

// Whether the file name is one of the temporary names an atomic write of the
// target creates: the target's name, a dot and exactly six letters or digits.
bool isTemporaryOf(const QString &fileName, const QString &target);

// Removes from the folder the temporary files of the given targets (plain
// file names such as "Archiwum.tra"). Only regular files of this user whose
// names have exactly that form are removed: links, folders and every other
// name are left alone. Returns how many files were removed.
int removeStale(const QString &folder, const QStringList &targets);

} // namespace kv::StaleFiles
