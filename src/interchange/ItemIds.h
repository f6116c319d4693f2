#pragma once
// The identities (UID) this program gives the items it writes out: their one
// home, so that the file export, the import and the sync agree.
#include <QString>

namespace kv {

// A new identity: "<random UUID>@kelvadrin".
QString newItemUid();
// The identity of address entry n (0..999) and of task n when they have
// none of their own.
QString entryUid(int entry);
QString taskUid(int task);

} // namespace kv
