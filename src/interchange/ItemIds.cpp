#include "ItemIds.h"

#include <QUuid>

namespace kv {

QString newItemUid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@kelvadrin");
}

QString entryUid(int entry) {
    return QStringLiteral("entry-%1@kelvadrin").arg(entry);
}

QString taskUid(int task) {
    return QStringLiteral("task-%1@kelvadrin").arg(task);
}

} // namespace kv
