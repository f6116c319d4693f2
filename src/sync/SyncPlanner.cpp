#include "SyncPlan.h"

#include <algorithm>

namespace kv {

bool SyncPlan::held(SyncKind kind) const {
    return std::any_of(guards.cbegin(), guards.cend(),
                       [kind](const SyncGuard &g) { return g.kind == kind; });
}

int SyncPlan::count(SyncKind kind, SyncAction action) const {
    return int(std::count_if(rows.cbegin(), rows.cend(), [&](const PlanRow &r) {
        return r.kind == kind && r.action == action;
    }));
}

namespace {

// The plan is made on working copies of both sides, changed as the rows are
// decided: a place taken by one row is not offered to the next.
class Planner {
public:
    explicit Planner(const PlanInput &in) : m_in(in) {
        for (const SyncKind kind : in.kinds) {
            m_items[kind] = in.here.value(kind).items;
            m_free[kind] = in.here.value(kind).free;
            m_states[kind] = in.states.value(kind);
        }
    }

    SyncPlan run() {
        for (const SyncKind kind : m_in.kinds)
            known(kind);
        newOnServer();
        for (const SyncKind kind : m_in.kinds)
            outgoing(kind);
        m_plan.token = m_in.listing.token;
        for (const SyncKind kind : m_in.kinds)
            guard(kind);
        count();
        return m_plan;
    }

private:
    GuardAnswer answer(SyncKind kind) const { return m_in.answers.value(kind, GuardAnswer::Ask); }

    // The one row of the item at a local number.
    PlanRow &row(SyncKind kind, int n, const QString &href) {
        const auto key = std::pair{int(kind), n};
        auto it = m_index.constFind(key);
        if (it == m_index.cend()) {
            PlanRow r;
            r.kind = kind;
            r.number = n;
            r.href = href;
            m_plan.rows << r;
            it = m_index.insert(key, m_plan.rows.size() - 1);
        }
        return m_plan.rows[*it];
    }
    void decide(PlanRow &r, SyncAction action, const char *reason) {
        r.action = action;
        r.reason = reason;
    }
    void keep(PlanRow &r, const ItemState &s) {
        r.state = PlanRow::State::Set;
        r.newState = s;
        m_states[r.kind][r.number] = s;
    }
    void drop(PlanRow &r) {
        r.state = PlanRow::State::Drop;
        m_states[r.kind].remove(r.number);
    }
    void put(PlanRow &r, const SyncContent &c) {
        r.put = c;
        m_items[r.kind][r.number] = LocalItem{SyncLocal::fingerprint(r.kind, c), c};
    }
    // The first free place (in the store's order) not taken by a known item, nor `avoid`.
    int place(SyncKind kind, int avoid) {
        QList<int> &free = m_free[kind];
        for (auto it = free.begin(); it != free.end(); ++it) {
            if (*it == avoid || m_states[kind].contains(*it) || m_items[kind].contains(*it))
                continue;
            const int n = *it;
            free.erase(it);
            return n;
        }
        return kNoPlace;
    }
    bool goneThere(const ItemState &st) const {
        const Listing &l = m_in.listing;
        if (l.removed.contains(st.href))
            return true;
        // A server need not report an item created after the token and
        // deleted since: one sent as new since then and not named is gone.
        return (l.full || st.fresh) && !l.changed.contains(st.href);
    }

    // Items both sides knew.
    void known(SyncKind kind) {
        const QMap<int, ItemState> states = m_states[kind];
        for (auto it = states.cbegin(); it != states.cend(); ++it) {
            const int n = it.key();
            ItemState st = it.value();
            const auto local = m_items[kind].constFind(n);
            const bool here = local != m_items[kind].cend();
            const bool pending = st.etag.isEmpty();
            const bool changedHere = !here || local->fingerprint != st.fingerprint;
            const auto sv = m_in.listing.changed.constFind(st.href);
            const bool listed = sv != m_in.listing.changed.cend();
            PlanRow &r = row(kind, n, st.href);
            if (st.fresh && (listed || m_in.listing.full)) {
                // Named by this listing: its token covers the item.
                st.fresh = false;
                keep(r, st);
            }
            if (goneThere(st)) {
                if (!here) {
                    decide(r, SyncAction::Nothing, "gone on both sides");
                    drop(r);
                } else if (pending || changedHere || answer(kind) == GuardAnswer::Restore) {
                    // Lost there, kept here: it goes again.
                    st.etag.clear();
                    keep(r, st);
                } else {
                    decide(r, SyncAction::DeleteHere, "deleted on the server");
                    r.removeHere = true;
                    m_items[kind].remove(n);
                    drop(r);
                }
                continue;
            }
            const bool changedThere = listed && (pending || sv->etag != st.etag);
            if (!changedThere) {
                if (!here && !pending && answer(kind) == GuardAnswer::Restore)
                    restoreHere(r, st, listed ? sv->data : st.data);
                continue; // what goes out is decided below
            }
            const ServerContent server = SyncLocal::parse(m_in.calendar, sv->data, m_in.today);
            if (!server.content || server.kind != kind) {
                decide(r, SyncAction::LeaveOnServer, "the server's version cannot be held");
                r.refusal = server.refusal;
                // Kept here as an item of its own; theirs stays untouched.
                if (here && changedHere) {
                    r.action = SyncAction::KeepBoth;
                    drop(r);
                } else if (!here) {
                    drop(r);
                }
                continue;
            }
            const ItemState agreed{st.uid, st.href, sv->etag, server.fingerprint, sv->data};
            if (here && local->fingerprint == server.fingerprint) {
                decide(r, SyncAction::Nothing, "alike on both sides");
                keep(r, agreed);
            } else if (!changedHere || !here) {
                decide(r, SyncAction::Fetch,
                       here ? "changed on the server" : "deleted here, changed on the server");
                put(r, *server.content);
                keep(r, agreed);
            } else {
                conflict(r, *local, *server.content, agreed);
            }
        }
    }

    // Deleted here and unchanged there, and the user wants it back.
    void restoreHere(PlanRow &r, const ItemState &st, const QByteArray &data) {
        const ServerContent server = SyncLocal::parse(m_in.calendar, data, m_in.today);
        if (!server.content || server.kind != r.kind) {
            // Not held as it was: forgotten, the server's item comes as new
            // at the next listing of everything.
            decide(r, SyncAction::Nothing, "deleted here; taken again when next listed");
            drop(r);
            return;
        }
        decide(r, SyncAction::Fetch, "deleted here; brought back from the server");
        put(r, *server.content);
        ItemState agreed = st;
        agreed.fingerprint = server.fingerprint;
        keep(r, agreed);
    }

    // Changed on both sides: the server's version takes the place; this one
    // is kept beside it. `mine` is a copy: the place it came from is written.
    void conflict(PlanRow &r, LocalItem mine, const SyncContent &theirs, const ItemState &agreed) {
        const SyncKind kind = r.kind;
        decide(r, SyncAction::KeepBoth, "changed on both sides");
        if (const int other = place(kind, r.number); other != kNoPlace) {
            put(r, theirs);
            keep(r, agreed);
            SyncContent own = mine.content;
            own.event.uid.clear();
            r.other = other;
            r.mine = own;
            m_items[kind][other] = LocalItem{mine.fingerprint, own};
        } else if (kind == SyncKind::Events) {
            // No room: the message of this version goes to the archive.
            r.archive = true;
            r.mine = mine.content;
            put(r, theirs);
            keep(r, agreed);
        } else {
            // No room: this version keeps its place as a new item; the
            // server's stays there.
            r.refusal = ImportRefusal::NoRoom;
            drop(r);
        }
    }

    // Items new on the server.
    void newOnServer() {
        QSet<QString> knownHrefs;
        for (const SyncKind kind : m_in.kinds)
            for (const ItemState &s : m_in.states.value(kind))
                knownHrefs.insert(s.href);
        const auto &changed = m_in.listing.changed;
        for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
            if (knownHrefs.contains(it.key()))
                continue;
            const ServerContent server = SyncLocal::parse(m_in.calendar, it->data, m_in.today);
            if (server.content && !m_in.kinds.contains(server.kind))
                continue; // another kind of this collection, not synced
            const SyncKind kind = server.content ? server.kind : m_in.kinds.first();
            PlanRow left;
            left.kind = kind;
            left.href = it.key();
            if (!server.content) {
                decide(left, SyncAction::LeaveOnServer, "cannot be held here");
                left.refusal = server.refusal;
                m_plan.rows << left;
                continue;
            }
            const ItemState agreed{server.uid, it.key(), it->etag, server.fingerprint, it->data};
            // An item here that the server holds alike, not yet linked (sent
            // or received just before the program ended, or a first sync).
            int alike = 0;
            for (auto l = m_items[kind].cbegin(); l != m_items[kind].cend() && !alike; ++l)
                if (!m_states[kind].contains(l.key()) && l->fingerprint == server.fingerprint)
                    alike = l.key();
            if (alike) {
                PlanRow &r = row(kind, alike, it.key());
                decide(r, SyncAction::Nothing, "alike on both sides, linked");
                keep(r, agreed);
                continue;
            }
            const int n = place(kind, kNoPlace);
            if (n == kNoPlace) {
                decide(left, SyncAction::LeaveOnServer, "no free place");
                left.refusal = ImportRefusal::NoRoom;
                m_plan.rows << left;
                continue;
            }
            PlanRow &r = row(kind, n, it.key());
            decide(r, SyncAction::Fetch, "new on the server");
            put(r, *server.content);
            keep(r, agreed);
        }
    }

    // What goes out.
    void outgoing(SyncKind kind) {
        const QString base =
            m_in.base + (m_in.base.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/"));
        const QMap<int, LocalItem> items = m_items[kind];
        for (auto it = items.cbegin(); it != items.cend(); ++it) {
            const int n = it.key();
            const LocalItem &item = it.value();
            const auto st = m_states[kind].constFind(n);
            // Only what another computer reads back as it is here goes out.
            const auto readsBack = [&](const QByteArray &body) {
                const ServerContent back = SyncLocal::parse(m_in.calendar, body, m_in.today);
                return back.content && back.kind == kind && back.fingerprint == item.fingerprint;
            };
            if (st == m_states[kind].cend()) {
                const QString uid = m_in.newUid();
                PlanRow &r = row(kind, n, {});
                r.href = base + uid.section(QLatin1Char('@'), 0, 0) + SyncLocal::fileSuffix(kind);
                const QByteArray body = SyncLocal::serialize(kind, item.content, uid);
                if (!readsBack(body)) {
                    decide(r, SyncAction::Nothing, "would not read back alike elsewhere");
                    ++m_plan.unsent;
                    continue;
                }
                if (r.action == SyncAction::Nothing)
                    decide(r, SyncAction::SendNew, "new here");
                // Kept before it is sent: an answer lost with the program is
                // recognised at the next sync.
                const ItemState pending{uid, r.href, QString(), item.fingerprint, {}};
                keep(r, pending);
                r.push = PlanPush{QString(), body, pending};
            } else if (st->etag.isEmpty() || item.fingerprint != st->fingerprint) {
                PlanRow &r = row(kind, n, st->href);
                const QByteArray body = SyncLocal::serialize(kind, item.content, st->uid, st->data);
                if (!readsBack(body)) {
                    decide(r, SyncAction::Nothing, "would not read back alike elsewhere");
                    ++m_plan.unsent;
                    continue;
                }
                if (st->etag.isEmpty()) {
                    if (r.action == SyncAction::Nothing)
                        decide(r, SyncAction::SendNew, "lost on the server, kept here");
                } else if (r.action == SyncAction::Nothing) {
                    decide(r, SyncAction::SendChange, "changed here");
                }
                ItemState sent = *st;
                sent.fingerprint = item.fingerprint;
                r.push = PlanPush{st->etag, body, sent};
            } else {
                PlanRow &r = row(kind, n, st->href);
                if (!*r.reason)
                    decide(r, SyncAction::Nothing, "unchanged");
            }
        }
        const QMap<int, ItemState> states = m_states[kind];
        for (auto it = states.cbegin(); it != states.cend(); ++it) {
            if (items.contains(it.key()) || it->etag.isEmpty() ||
                answer(kind) == GuardAnswer::Restore)
                continue;
            PlanRow &r = row(kind, it.key(), it->href);
            decide(r, SyncAction::DeleteThere, "deleted here");
            r.push = PlanPush{it->etag, {}, *it};
        }
    }

    // A plan that would delete what one side lost is held for the user.
    void guard(SyncKind kind) {
        if (answer(kind) != GuardAnswer::Ask)
            return;
        SyncGuard g;
        g.kind = kind;
        g.deleteHere = m_plan.count(kind, SyncAction::DeleteHere);
        g.deleteThere = m_plan.count(kind, SyncAction::DeleteThere);
        bool allGoneThere = true, allGoneHere = true;
        const QMap<int, ItemState> states = m_in.states.value(kind);
        const QMap<int, LocalItem> items = m_in.here.value(kind).items;
        for (auto it = states.cbegin(); it != states.cend(); ++it) {
            if (it->etag.isEmpty())
                continue; // never confirmed there
            ++g.known;
            allGoneThere &= goneThere(*it);
            allGoneHere &= !items.contains(it.key());
        }
        // One item gone is an item deleted, not a side emptied.
        if (g.known >= 2 && allGoneThere && g.deleteHere > 0)
            g.which = GuardCase::ServerEmptied;
        else if (g.known >= 2 && allGoneHere && g.deleteThere > 0)
            g.which = GuardCase::HereEmptied;
        else if (g.known > 10 && 2 * (g.deleteHere + g.deleteThere) > g.known)
            g.which = GuardCase::MostGone;
        else
            return;
        m_plan.guards << g;
    }

    void count() {
        for (const PlanRow &r : std::as_const(m_plan.rows)) {
            if (m_plan.held(r.kind))
                continue;
            switch (r.action) {
            case SyncAction::Fetch:
                ++m_plan.pulled;
                break;
            case SyncAction::DeleteHere:
                ++m_plan.removedHere;
                break;
            case SyncAction::KeepBoth:
                ++m_plan.conflicts;
                if (r.other != kNoPlace || r.archive)
                    ++m_plan.pulled;
                m_plan.archived += r.archive ? 1 : 0;
                if (r.refusal == ImportRefusal::NoRoom || !r.put)
                    ++m_plan.leftThere[r.refusal];
                break;
            case SyncAction::LeaveOnServer:
                ++m_plan.leftThere[r.refusal];
                break;
            default:
                break;
            }
        }
    }

    const PlanInput &m_in;
    SyncPlan m_plan;
    QMap<SyncKind, QMap<int, LocalItem>> m_items;
    QMap<SyncKind, QList<int>> m_free;
    QMap<SyncKind, QMap<int, ItemState>> m_states;
    QMap<std::pair<int, int>, int> m_index;
};

} // namespace

SyncPlan planSync(const PlanInput &input) {
    return Planner(input).run();
}

} // namespace kv
