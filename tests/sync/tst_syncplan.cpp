// The plan of a sync, with no server and no event loop: each row of the
// table is one situation of both sides and the last sync's state, and the
// actions the plan takes for it.
#include "platform/Registry.h"
#include "sync/DavWire.h"
#include "sync/SyncEngine.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kv;

namespace {

// One side's tasks by number: their texts.
using Side = QMap<int, QString>;

struct Situation {
    Side here{};
    Side known{};         // what the last sync agreed on (number: text); "*" marks it
                          // unconfirmed, "+" sent as new after the token was listed
    Side server{};        // what the server lists changed, by the known number's place;
                          // numbers above 100 are items new there
    QList<int> removed{}; // known numbers the server reports gone
    bool full = false;    // a full listing: a known item not listed is gone
    QList<int> free{};    // free places here
    GuardAnswer answer = GuardAnswer::Ask;
};

SyncContent task(const QString &text) {
    SyncContent c;
    c.task = {text, QDate(2026, 12, 1), {}};
    return c;
}
QString href(int n) {
    return QStringLiteral("/c/%1.ics").arg(n);
}
QString uidOf(int n) {
    return QStringLiteral("u%1").arg(n);
}

PlanInput inputOf(const Situation &s) {
    PlanInput in;
    in.base = QStringLiteral("/c/");
    in.kinds = {SyncKind::Tasks};
    LocalSide side;
    for (auto it = s.here.cbegin(); it != s.here.cend(); ++it)
        side.items.insert(it.key(),
                          LocalItem{SyncLocal::fingerprint(SyncKind::Tasks, task(*it)), task(*it)});
    side.free = s.free;
    in.here.insert(SyncKind::Tasks, side);
    QMap<int, ItemState> states;
    for (auto it = s.known.cbegin(); it != s.known.cend(); ++it) {
        const bool pending = it->startsWith(QLatin1Char('*'));
        const bool fresh = it->startsWith(QLatin1Char('+'));
        const SyncContent c = task(pending || fresh ? it->mid(1) : *it);
        states.insert(it.key(),
                      ItemState{uidOf(it.key()), href(it.key()), pending ? QString() : "e1",
                                SyncLocal::fingerprint(SyncKind::Tasks, c),
                                SyncLocal::serialize(SyncKind::Tasks, c, uidOf(it.key())), fresh});
    }
    in.states.insert(SyncKind::Tasks, states);
    for (auto it = s.server.cbegin(); it != s.server.cend(); ++it)
        in.listing.changed.insert(
            href(it.key()),
            ServerItem{"e2", it->isEmpty() ? QByteArray("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n")
                                           : SyncLocal::serialize(SyncKind::Tasks, task(*it),
                                                                  uidOf(it.key()))});
    for (int n : s.removed)
        in.listing.removed.insert(href(n));
    in.listing.full = s.full;
    in.listing.token = QStringLiteral("t2");
    if (s.answer != GuardAnswer::Ask)
        in.answers.insert(SyncKind::Tasks, s.answer);
    int uids = 0;
    in.newUid = [uids]() mutable { return QStringLiteral("new%1@kelvadrin").arg(++uids); };
    return in;
}

QString actionName(SyncAction a) {
    switch (a) {
    case SyncAction::Nothing:
        return QStringLiteral("nothing");
    case SyncAction::SendNew:
        return QStringLiteral("send new");
    case SyncAction::SendChange:
        return QStringLiteral("send change");
    case SyncAction::Fetch:
        return QStringLiteral("fetch");
    case SyncAction::DeleteHere:
        return QStringLiteral("delete here");
    case SyncAction::DeleteThere:
        return QStringLiteral("delete there");
    case SyncAction::KeepBoth:
        return QStringLiteral("keep both");
    case SyncAction::LeaveOnServer:
        break;
    }
    return QStringLiteral("leave on server");
}

// "N action" for each row (N "-" for a row with no place here), ">M" where a
// conflict keeps this side's version at M, "+" where a write is sent.
QString describe(const SyncPlan &plan) {
    QStringList out;
    for (const PlanRow &r : plan.rows)
        out << (r.number != kNoPlace ? QString::number(r.number) : QStringLiteral("-")) +
                   QLatin1Char(' ') + actionName(r.action) +
                   (r.other != kNoPlace ? QStringLiteral(">%1").arg(r.other) : "") +
                   (r.push ? QStringLiteral("+") : QString());
    out.sort();
    return out.join(QStringLiteral(", "));
}

QString guardOf(const SyncPlan &plan) {
    if (plan.guards.isEmpty())
        return {};
    switch (plan.guards.first().which) {
    case GuardCase::ServerEmptied:
        return QStringLiteral("server emptied");
    case GuardCase::HereEmptied:
        return QStringLiteral("here emptied");
    case GuardCase::MostGone:
        break;
    }
    return QStringLiteral("most gone");
}

Side many(int count, int from = 1) {
    Side s;
    for (int n = from; n < from + count; ++n)
        s.insert(n, QStringLiteral("Zadanie %1").arg(n));
    return s;
}
Side without(Side s, const QList<int> &gone) {
    for (int n : gone)
        s.remove(n);
    return s;
}

} // namespace

Q_DECLARE_METATYPE(Situation)

class TestSyncPlan : public QObject {
    Q_OBJECT
private slots:
    void plan_data() {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QString>("guard");
        const Side abc{{1, "A"}, {2, "B"}, {3, "C"}};
        auto row = [](const char *name, Situation s, const char *actions, const char *guard = "") {
            QTest::newRow(name) << s << QString::fromUtf8(actions) << QString::fromUtf8(guard);
        };
        // The conflict table.
        row("changed here", {{{1, "A2"}}, {{1, "A"}}}, "1 send change+");
        row("changed there", {{{1, "A"}}, {{1, "A"}}, {{1, "A2"}}}, "1 fetch");
        row("changed alike on both sides", {{{1, "A2"}}, {{1, "A"}}, {{1, "A2"}}}, "1 nothing");
        row("changed otherwise on both sides",
            {{{1, "A here"}}, {{1, "A"}}, {{1, "A there"}}, {}, false, {2, 3}},
            "1 keep both>2, 2 send new+");
        // A deletion here first: this side's version is still its own.
        row("changed on both sides after a deletion",
            {{{1, "A"}, {2, "B here"}}, {{1, "A"}, {2, "B"}}, {{2, "B there"}}, {1}, false, {3}},
            "1 delete here, 2 keep both>3, 3 send new+");
        // The version here stays as a new item; the server's stays there.
        row("changed on both sides, no free place", {{{1, "A here"}}, {{1, "A"}}, {{1, "A there"}}},
            "1 keep both+");
        row("deleted here, changed there", {{}, {{1, "A"}}, {{1, "A2"}}}, "1 fetch");
        row("changed here, deleted there", {{{1, "A2"}, {2, "B"}}, {{1, "A"}, {2, "B"}}, {}, {1}},
            "1 send new+, 2 nothing");
        row("deleted on both sides", {{{2, "B"}}, {{1, "A"}, {2, "B"}}, {}, {1}},
            "1 nothing, 2 nothing");
        row("unchanged here, deleted there", {abc, abc, {}, {2}},
            "1 nothing, 2 delete here, 3 nothing");
        row("deleted here, unchanged there", {without(abc, {2}), abc},
            "1 nothing, 2 delete there+, 3 nothing");
        row("gone from a full listing", {abc, abc, {{1, "A"}, {3, "C"}}, {}, true},
            "1 nothing, 2 delete here, 3 nothing");
        // New items, the first sync and the free places.
        row("new on both sides", {{{1, "A"}}, {}, {{101, "X"}}, {}, false, {2, 3}},
            "1 send new+, 2 fetch");
        row("first sync merges by content",
            {{{1, "A"}, {2, "B"}}, {}, {{101, "A"}, {102, "C"}}, {}, true, {3}},
            "1 nothing, 2 send new+, 3 fetch");
        // A place the sync still tracks (its deletion not yet sent) is not free.
        row("a tracked place is not taken",
            {{{1, "A"}}, {{1, "A"}, {2, "B"}}, {{101, "X"}}, {}, false, {2, 5}},
            "1 nothing, 2 delete there+, 5 fetch");
        row("no free place", {{{1, "A"}}, {}, {{101, "X"}}}, "- leave on server, 1 send new+");
        row("unconfirmed, then listed alike", {{{1, "A"}}, {{1, "*A"}}, {{1, "A"}}}, "1 nothing");
        row("unconfirmed and lost there", {{{1, "A"}, {2, "B"}}, {{1, "*A"}, {2, "B"}}, {}, {1}},
            "1 send new+, 2 nothing");
        // A server may leave out an item created after the token and deleted since.
        row("sent since the token, not named", {{{1, "A"}, {2, "B"}}, {{1, "+A"}, {2, "B"}}},
            "1 delete here, 2 nothing");
        row("sent since the token, named", {{{1, "A"}}, {{1, "+A"}}, {{1, "A"}}}, "1 nothing");
        row("the server's version cannot be held", {{{1, "A"}}, {{1, "A"}}, {{1, ""}}},
            "1 leave on server");
        // The guards: nothing of a held kind is carried out.
        row("server emptied", {abc, abc, {}, {}, true},
            "1 delete here, 2 delete here, 3 delete here", "server emptied");
        row("server emptied, sent back", {abc, abc, {}, {}, true, {}, GuardAnswer::Restore},
            "1 send new+, 2 send new+, 3 send new+");
        row("server emptied, deleted here too",
            {abc, abc, {}, {}, true, {}, GuardAnswer::Propagate},
            "1 delete here, 2 delete here, 3 delete here");
        row("here emptied", {{}, abc}, "1 delete there+, 2 delete there+, 3 delete there+",
            "here emptied");
        row("here emptied, brought back", {{}, abc, {}, {}, false, {}, GuardAnswer::Restore},
            "1 fetch, 2 fetch, 3 fetch");
        row("one item, deleted", {{}, {{1, "A"}}}, "1 delete there+");
        Situation most{many(12), many(12), {}, {1, 2, 3, 4, 5, 6, 7}};
        row("more than half of 12 gone there", most,
            "1 delete here, 10 nothing, 11 nothing, 12 nothing, 2 delete here, 3 delete here, "
            "4 delete here, 5 delete here, 6 delete here, 7 delete here, 8 nothing, 9 nothing",
            "most gone");
        Situation half{many(12), many(12), {}, {1, 2, 3, 4, 5, 6}};
        row("half of 12 gone there", half,
            "1 delete here, 10 nothing, 11 nothing, 12 nothing, 2 delete here, 3 delete here, "
            "4 delete here, 5 delete here, 6 delete here, 7 nothing, 8 nothing, 9 nothing");
    }
    void plan() {
        QFETCH(Situation, situation);
        QFETCH(QString, actions);
        QFETCH(QString, guard);
        const SyncPlan plan = planSync(inputOf(situation));
        QCOMPARE(describe(plan), actions);
        QCOMPARE(guardOf(plan), guard);
        QCOMPARE(plan.held(SyncKind::Tasks), !guard.isEmpty());
        // Named by the listing, an item is covered by its token.
        const PlanInput in = inputOf(situation);
        for (const PlanRow &r : plan.rows)
            QVERIFY2(!(r.state == PlanRow::State::Set && r.newState.fresh &&
                       in.listing.changed.contains(r.href)),
                     qPrintable(r.href));
        // Both versions of a conflict are kept.
        for (const PlanRow &r : plan.rows)
            if (r.other != kNoPlace)
                QVERIFY(r.mine && r.put && r.mine->task.text != r.put->task.text);
        // A held plan counts nothing it would have done.
        if (!guard.isEmpty())
            QCOMPARE(plan.removedHere + plan.pulled, 0);
    }

    // The state of one collection is never read for another; writing the
    // state of a new collection forgets the old one's.
    void stateBelongsToItsCollection() {
        QTemporaryDir dir;
        Registry registry(dir.filePath(QStringLiteral("registry.sqlite3")));
        SyncLocal local(registry, dir.path());
        const QString first = SyncLocal::collectionId("s", "anna", "https://s/anna/a/");
        const QString second = SyncLocal::collectionId("s", "anna", "https://s/anna/b/");
        local.bind(SyncKind::Events, first);
        local.putState(SyncKind::Events, 3, ItemState{"u", "/anna/a/u.ics", "e", "f", {}, true});
        local.setToken(SyncKind::Events, "t1");
        QCOMPARE(local.states(SyncKind::Events, first).size(), 1);
        QVERIFY(local.states(SyncKind::Events, first).value(3).fresh);
        QCOMPARE(local.token(SyncKind::Events, first), QStringLiteral("t1"));
        QVERIFY(local.states(SyncKind::Events, second).isEmpty());
        QVERIFY(local.token(SyncKind::Events, second).isEmpty());
        local.bind(SyncKind::Events, second);
        QVERIFY(local.states(SyncKind::Events, first).isEmpty());
        QVERIFY(local.states(SyncKind::Events, second).isEmpty());
    }

    // The one reading of a reply that is not the answer wanted.
    void replyFaults_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("transport");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("said");
        const auto row = [](const char *name, int status, SyncFailure transport, QString detail,
                            SyncFailure failure, QString said) {
            QTest::newRow(name) << status << int(transport) << detail << int(failure) << said;
        };
        row("timeout", 0, SyncFailure::Timeout, {}, SyncFailure::Timeout, "HTTP 0");
        row("certificate", 0, SyncFailure::Tls, "serwer sam go podpisał", SyncFailure::Tls,
            "serwer sam go podpisał");
        row("207 that is no multistatus", 207, SyncFailure::None, {}, SyncFailure::Malformed,
            "HTTP 207");
        row("200 where a multistatus was due", 200, SyncFailure::None, {}, SyncFailure::Malformed,
            "HTTP 200");
        row("gone", 410, SyncFailure::None, {}, SyncFailure::Gone, "HTTP 410");
        row("password", 401, SyncFailure::None, {}, SyncFailure::Unauthorized, "HTTP 401");
        row("server", 502, SyncFailure::None, {}, SyncFailure::ServerError, "HTTP 502");
    }
    void replyFaults() {
        QFETCH(int, status);
        QFETCH(int, transport);
        QFETCH(QString, detail);
        QFETCH(int, failure);
        QFETCH(QString, said);
        DavReply reply;
        reply.status = status;
        reply.failure = SyncFailure(transport);
        reply.detail = detail;
        const DavFault fault = faultOf(reply);
        QCOMPARE(int(fault.failure), failure);
        QCOMPARE(fault.detail, said);
    }

    // The frames between the program and its network helper: they arrive in
    // pieces and together, and a damaged one is refused, never half read.
    void helperFrames() {
        const wire::Request request{7,      "REPORT",         QUrl("https://serwer.pl/dav/ż/"),
                                    "<x/>", {{"Depth", "1"}}, 30000};
        DavReply answer;
        answer.status = 207;
        answer.body = QByteArray(70000, 'b');
        answer.etag = "\"1\"";
        answer.failure = SyncFailure::Tls;
        answer.detail = QStringLiteral("serwer sam go podpisał");
        const QByteArray both = wire::frame(request) + wire::frame(wire::Reply{9, answer});

        QByteArray buffer;
        QList<QByteArray> bodies;
        for (const char c : both) { // a byte at a time
            buffer.append(c);
            while (const auto body = wire::nextFrame(buffer))
                bodies.append(*body);
        }
        QCOMPARE(bodies.size(), 2);
        QVERIFY(buffer.isEmpty());
        const auto readRequest = wire::readRequest(bodies[0]);
        QVERIFY(readRequest);
        QCOMPARE(readRequest->url, request.url);
        QCOMPARE(readRequest->headers, request.headers);
        QCOMPARE(readRequest->timeoutMs, 30000);
        const auto reply = wire::readReply(bodies[1]);
        QVERIFY(reply && reply->id == 9);
        QCOMPARE(reply->reply.body, answer.body);
        QCOMPARE(int(reply->reply.failure), int(SyncFailure::Tls));
        QCOMPARE(reply->reply.detail, answer.detail);

        QVERIFY(!wire::readReply(bodies[0]));            // a request is no reply
        QVERIFY(!wire::readReply(bodies[1].chopped(1))); // cut short
        QVERIFY(!wire::readRequest(QByteArray(1, '\x09') + bodies[0].mid(1))); // another build
        QByteArray huge = QByteArray::fromHex("7fffffff") + "x";
        QCOMPARE(wire::nextFrame(huge), std::optional<QByteArray>(QByteArray()));
    }
};

QTEST_GUILESS_MAIN(TestSyncPlan)
#include "tst_syncplan.moc"
