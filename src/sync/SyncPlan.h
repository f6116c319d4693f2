#pragma once
// The plan of one sync of one collection: a pure function of what is here,
// what the server listed and what both sides agreed on at the last sync.
// Nothing is read or written while planning; the engine carries the plan out.
#include "SyncLocal.h"
#include "interchange/ImportReport.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <functional>

namespace kv {

// One server item as listed: its version tag and, when fetched, its data.
struct ServerItem {
    QString etag;
    QByteArray data;
};

// What the server listed of one collection.
struct Listing {
    QMap<QString, ServerItem> changed; // by path
    QSet<QString> removed;
    bool full = false; // every item is listed: one missing is gone
    QString token;
};

// One kind as it is here: the items, and the places an incoming item may take
// (ascending; the store's own rule for a free place).
struct LocalSide {
    QMap<int, LocalItem> items;
    QList<int> free;
};

// The user's answer to the question of a guarded kind.
enum class GuardAnswer {
    Ask,       // not answered: the kind is held, nothing of it is written
    Restore,   // what one side lost comes back from the other
    Propagate, // what one side lost goes on the other too
};

enum class GuardCase {
    ServerEmptied, // none of the items the last sync knew is on the server
    HereEmptied,   // none of them is here
    MostGone,      // more than half of them would go
};

// A kind whose plan would delete too much: held until the user answers.
struct SyncGuard {
    SyncKind kind = SyncKind::Events;
    GuardCase which = GuardCase::ServerEmptied;
    int known = 0;       // items the last sync knew
    int deleteHere = 0;  // the plan's deletions on this computer
    int deleteThere = 0; // and on the server
    QString collection;  // its address
    bool operator==(const SyncGuard &) const = default;
};

enum class SyncAction {
    Nothing,
    SendNew,
    SendChange,
    Fetch,
    DeleteHere,
    DeleteThere,
    KeepBoth,
    LeaveOnServer,
};

// A write to the server.
struct PlanPush {
    QString ifMatch; // empty: a new item (If-None-Match: *)
    QByteArray body; // empty: a deletion
    ItemState state; // what both sides agree on once it arrives
};

// No local number: entry 0 of the address book is a place like any other.
inline constexpr int kNoPlace = -1;

// One item's row: its action, why, and the effects the engine carries out in
// this order: the writes here, the state kept, the write sent.
struct PlanRow {
    SyncKind kind = SyncKind::Events;
    SyncAction action = SyncAction::Nothing;
    int number = kNoPlace; // the local number
    QString href;
    const char *reason = "";
    std::optional<SyncContent> put; // written here at `number`
    bool removeHere = false;
    int other = kNoPlace; // a conflict: this side's version goes here
    std::optional<SyncContent> mine;
    bool archive = false; // a conflict without room: this version's message archived
    enum class State { Same, Set, Drop } state = State::Same;
    ItemState newState;
    std::optional<PlanPush> push;
    ImportRefusal refusal = ImportRefusal::Unreadable; // LeaveOnServer
};

struct PlanInput {
    bool calendar = true;
    QString base; // the collection's path
    QList<SyncKind> kinds;
    QMap<SyncKind, LocalSide> here;
    QMap<SyncKind, QMap<int, ItemState>> states; // of this collection only
    Listing listing;
    QMap<SyncKind, GuardAnswer> answers;
    std::function<QString()> newUid;
    QDate today; // a to-do read without a day of its own is added on it
};

struct SyncPlan {
    QList<PlanRow> rows;
    QList<SyncGuard> guards; // kinds held: none of their rows is carried out
    QString token;           // stored when no kind is held
    // What the rows do, as the status line counts it.
    int pulled = 0;
    int removedHere = 0;
    int conflicts = 0;
    int archived = 0;
    int unsent = 0;
    RefusalCounts leftThere;

    bool held(SyncKind kind) const;
    int count(SyncKind kind, SyncAction action) const;
};

SyncPlan planSync(const PlanInput &input);

} // namespace kv
