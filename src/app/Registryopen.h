#pragma once
#include "platform/Interfaces.h"
#include "platform/Registry.h"

#include <QDateTime>
#include <memory>

namespace kv {

// Opens the registry store at start-up and checks it.
//
// A store found damaged is first copied beside itself
// ("registry-uszkodzony-YYYYMMDD-HHMMSS.sqlite3", with its journal), and the
// user is told which file is damaged and where the copy is; then the program
// goes on with what can be read. A file that is no database at all is moved
// aside the same way and a new store is begun. When the store cannot be
// opened at all, the user is told in Polish, naming the file, and nothing is
// returned.
std::unique_ptr<Registry> openRegistry(const QString &fileName, IStartupMessage &message,
                                       const QDateTime &now);

// The name of the copy kept of a damaged store.
QString damagedCopyName(const QString &fileName, const QDateTime &now);

} // namespace kv
