// Random interleavings, from a seed: two computers and a third client change,
// fire and delete items and sync in any order, some syncs dying by SIGKILL at
// a checkpoint of the engine. After each round the sides are settled (A, B,
// A, B) and must hold the same items, with nothing lost, stale or doubled.
//
// Every item carries a marker "#N" in its text (message, task text or name),
// new for each item added, and every text written is new ("vK"), so each
// version is known by its fingerprint. An action touches a marker when it
// changes, fires or deletes an item carrying it (conflict copies share it).
// With P the items held after the last round and S those held now:
//  - the items of a marker no action touched or added are those of P;
//  - a marker of P or added in the round that is gone was deleted in the
//    round (a deletion may lose against a change, so one deleted may stay);
//  - every item of S is in P or was written in the round;
//  - the last version written of a marker, when no later action touched the
//    marker, is in S (a change made on both sides keeps both versions);
//  - a version is held more often than in P (and more than once) only when
//    its series was fired in the round: two firings can reach the same date.
// Appointments get dates and times as the editor offers them (any day 1..31,
// hours 01..24). KV_SYNC_SEED and KV_SYNC_ROUNDS replay a run; a kill may land on another
// request of a parallel batch, so a run with kills may not repeat exactly.
#include "SyncFixture.h"
#include "appointments/Changedateunit.h"

#include <QRegularExpression>
#include <algorithm>
#include <csignal>
#include <random>

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kMaxPerKind = 8;

struct Item {
    SyncKind kind;
    int number; // on a computer; 0 on the server
    QString fingerprint;
    SyncContent content;
    QString text;
    int marker;
    QString description;
    QJsonObject server; // href, etag and data of a server item
};

Item itemOf(SyncKind kind, int number, const SyncContent &c, const QString &fingerprint) {
    Item item{kind, number, fingerprint, c, {}, 0, {}, {}};
    const AppointmentRecord &r = c.event.record;
    switch (kind) {
    case SyncKind::Events:
        item.text = r.message;
        item.description = QStringLiteral("event %1 %2 repeat %3%4: ")
                               .arg(r.date, r.time.isEmpty() ? QStringLiteral("--:--") : r.time)
                               .arg(r.repeat)
                               .arg(r.armed ? QString() : QStringLiteral(" unarmed"));
        break;
    case SyncKind::Tasks:
        item.text = c.task.text;
        item.description = QStringLiteral("task of %1: ").arg(c.task.added.toString(Qt::ISODate));
        break;
    case SyncKind::Contacts:
        item.text = c.card.name;
        item.description = QStringLiteral("entry (%1, %2): ").arg(c.card.town, c.card.phone);
        break;
    }
    static const QRegularExpression marker(QStringLiteral("#(\\d+)"));
    item.marker = marker.match(item.text).captured(1).toInt();
    item.description += QString(item.text).replace(QLatin1String("\r\n"), QLatin1String(" / "));
    return item;
}

// In the order of their texts: the same choices on every run of a seed,
// whatever numbers or addresses the items got.
QList<Item> sorted(QList<Item> items) {
    std::sort(items.begin(), items.end(), [](const Item &x, const Item &y) {
        return std::tie(x.text, x.fingerprint) < std::tie(y.text, y.fingerprint);
    });
    return items;
}

QList<Item> held(Computer &c, std::optional<SyncKind> only = {}) {
    QList<Item> out;
    for (SyncKind kind : {SyncKind::Events, SyncKind::Tasks, SyncKind::Contacts})
        if (!only || kind == *only) {
            const auto items = c.local->items(kind).value_or(QMap<int, LocalItem>());
            for (auto it = items.cbegin(); it != items.cend(); ++it)
                out << itemOf(kind, it.key(), it->content, it->fingerprint);
        }
    return sorted(out);
}

// The data of a server item with a new SUMMARY and DESCRIPTION, or FN.
QString retold(const QString &data, const QString &text) {
    QStringList lines = QString(data)
                            .remove(QLatin1Char('\r'))
                            .replace(QLatin1String("\n "), "")
                            .split(QLatin1Char('\n'));
    static const QRegularExpression named(QStringLiteral("^(SUMMARY|DESCRIPTION|FN)[:;]"));
    for (QString &line : lines)
        if (named.match(line).hasMatch())
            line = line.left(line.indexOf(QLatin1Char(':')) + 1) + text;
    return lines.join(QLatin1String("\r\n"));
}

class Run {
public:
    explicit Run(quint32 seed) : m_seed(seed), m_rng(seed) {}

    bool ready() { return server.url.isValid(); }

    // One round; the reason it failed, with what it did and what each side holds.
    QString round(int r) {
        m_round = {};
        try {
            play();
        } catch (const std::exception &e) {
            expect(false, QStringLiteral("thrown: ") + QString::fromLocal8Bit(e.what()));
        }
        if (m_round.failure.isEmpty())
            return {};
        QString out = QStringLiteral("round %1 of seed %2: %3\nactions:\n  %4\n")
                          .arg(r)
                          .arg(m_seed)
                          .arg(m_round.failure, m_round.log.join(QLatin1String("\n  ")));
        const auto list = [&](const QString &side, const std::function<QList<Item>()> &items) {
            out += side + QStringLiteral(" holds:\n");
            try {
                for (const Item &i : items())
                    out += QStringLiteral("  %1\n").arg(i.description);
            } catch (const std::exception &e) {
                out += QStringLiteral("  (cannot be read: %1)\n").arg(e.what());
            }
        };
        list(QStringLiteral("before, all sides"), [&] { return m_held; });
        for (Computer *c : {&a, &b})
            list(c == &a ? QStringLiteral("A") : QStringLiteral("B"),
                 [&] { return c->local ? ::held(*c) : QList<Item>(); });
        list(QStringLiteral("the server"), [&] { return serverItems(); });
        return out;
    }

    Radicale server;
    Computer a{server.calendar(), server.addressBook()};
    Computer b{server.calendar(), server.addressBook()};
    ThirdClient phone{server.url};

private:
    void play() {
        for (int i = 0, n = 1 + pick(4); i < n && m_round.failure.isEmpty(); ++i) {
            const int what = pick(10);
            if (what < 5)
                change(pick(2));
            else if (what < 7)
                changeServer();
            else
                sync(pick(2), pick(5) == 0);
        }
        for (int side : {0, 1, 0, 1})
            if (m_round.failure.isEmpty())
                sync(side, false, QStringLiteral("settles"));
        if (m_round.failure.isEmpty()) {
            const QStringList contents = a.contents();
            expect(contents == b.contents(), QStringLiteral("A and B differ"));
            expect(contents == phone.contents({server.calendar(), server.addressBook()}),
                   QStringLiteral("A and the server differ"));
        }
        if (m_round.failure.isEmpty())
            judge(::held(a));
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    void expect(bool ok, const QString &what) {
        if (!ok && m_round.failure.isEmpty())
            m_round.failure = what;
    }
    QString newText(int marker) {
        static const QStringList words{
            QStringLiteral("Dentysta"),      QStringLiteral("Basen"),  QStringLiteral("Żłobek"),
            QStringLiteral("Czynsz"),        QStringLiteral("Śmieci"), QStringLiteral("Ćwiczenia"),
            QStringLiteral("Urodziny Zosi"), QStringLiteral("Łódź"),   QStringLiteral("Zakupy")};
        return QStringLiteral("%1 #%2 v%3")
            .arg(words[pick(words.size())])
            .arg(marker)
            .arg(++m_version);
    }
    void wrote(const Item &item, const QString &how) {
        m_round.log << how + item.description;
        m_focus = item.marker;
        (m_round.created.contains(item.marker) ? m_round.created : m_round.touched) << item.marker;
        m_round.last[item.marker] = item.fingerprint;
        m_round.written << item.fingerprint;
    }
    void removed(const Item &item, const QString &how) {
        m_round.log << how + item.description;
        m_focus = item.marker;
        m_round.touched << item.marker;
        m_round.deleted << item.marker;
        m_round.last.remove(item.marker);
    }
    // Half the time the items of the marker the last action touched, when
    // there are any: changes on both sides, deletions against changes.
    QList<Item> focused(const QList<Item> &items) {
        QList<Item> out;
        for (const Item &i : items)
            if (i.marker == m_focus)
                out << i;
        return !out.isEmpty() && pick(2) ? out : QList<Item>();
    }
    Item at(Computer &c, SyncKind kind, int n) {
        for (const Item &item : held(c, kind))
            if (item.number == n)
                return item;
        expect(false, QStringLiteral("nothing at %1 after writing it").arg(n));
        return {};
    }

    // On a computer: adds, changes, fires or deletes an item.
    void change(int side) {
        Computer &c = side ? b : a;
        const QString who = side ? QStringLiteral("B ") : QStringLiteral("A ");
        const QList<Item> focus = focused(held(c));
        const auto kind = focus.isEmpty() ? SyncKind(pick(3)) : focus.first().kind;
        const QList<Item> items = focus.isEmpty() ? held(c, kind) : focus;
        const int ops = kind == SyncKind::Events ? 4 : 3;
        int op = !focus.isEmpty() ? 1 + pick(ops - 1) : items.isEmpty() ? 0 : pick(ops);
        if (op == 0 && items.size() >= kMaxPerKind)
            op = 1 + pick(2);
        if (op == 0) {
            const int marker = ++m_markers;
            m_round.created << marker;
            const QString text = newText(marker);
            int n = 0;
            if (kind == SyncKind::Events) {
                AppointmentStore s = c.appointments();
                n = s.firstFreeSlot();
                // As the editor offers them: days 1..31 of any month, hours 01..24.
                const auto two = [](int v) {
                    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
                };
                s.writeDate(n, two(1 + pick(12)) + '/' + two(1 + pick(31)) + QStringLiteral("/27"));
                if (pick(3))
                    s.writeTime(
                        n, two(1 + pick(24)) + ':' +
                               two(QList{0, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55}[pick(11)]));
                s.writeInfo(n, text);
                s.writeRepeat(n, QList{0, 7, 31, 41}[pick(4)]);
                s.key().writeBool(names::termin(n), true);
            } else if (kind == SyncKind::Tasks) {
                n = c.tasks().add(text, QDate(2026, 1, 1).addDays(pick(365)));
            } else {
                AddressRecord card;
                card.name = text;
                card.town = QStringLiteral("Kraków");
                card.street = QStringLiteral("Rynek %1").arg(pick(50));
                card.phone = QString::number(100000 + pick(900000));
                n = c.addresses().storeEntry(-1, card).entry;
            }
            return wrote(at(c, kind, n), who + QStringLiteral("adds "));
        }
        const Item item = items[pick(items.size())];
        const int n = item.number;
        const QString text = newText(item.marker);
        if (op == 1) {
            if (kind == SyncKind::Events) {
                c.appointments().writeInfo(n, text);
            } else if (kind == SyncKind::Tasks) {
                c.tasks().change(n, text);
            } else {
                AddressRecord card = item.content.card;
                card.name = text;
                expect(c.addresses().storeEntry(n, card).status == AddressFile::Status::Done,
                       QStringLiteral("an entry not stored"));
            }
            return wrote(at(c, kind, n), who + QStringLiteral("changes %1 to ").arg(item.text));
        }
        const int repeat = item.content.event.record.repeat;
        if (op == 3 && repeat) {
            AppointmentStore s = c.appointments();
            s.writeDate(n, *advanceDate(item.content.event.record.date, repeat));
            m_round.fired << item.marker;
            return wrote(at(c, kind, n), who + QStringLiteral("fires "));
        }
        if (op == 3)
            c.appointments().deleteFired(n);
        else if (kind == SyncKind::Events)
            c.appointments().deleteSlot(n);
        else if (kind == SyncKind::Tasks)
            c.tasks().remove(n);
        else
            expect(c.addresses().deleteEntry(n) == AddressFile::Status::Done,
                   QStringLiteral("an entry not deleted"));
        removed(item, who + (op == 3 ? QStringLiteral("fires once ") : QStringLiteral("deletes ")));
    }

    QList<Item> serverItems() {
        QList<Item> out;
        for (const QUrl &collection : {server.calendar(), server.addressBook()}) {
            const QJsonObject r =
                phone.call({{"op", "list"}, {"collection", collection.toString()}});
            expect(r.value("ok").toBool(), QStringLiteral("the third client cannot list"));
            for (const auto &v : r.value("items").toArray()) {
                const QByteArray data = v.toObject().value("data").toString().toUtf8();
                const ServerContent s =
                    SyncLocal::parse(!data.contains("BEGIN:VCARD"), data, kToday);
                Item item = itemOf(s.kind, 0, s.content.value_or(SyncContent()), s.fingerprint);
                if (!s.content)
                    item.description = QStringLiteral("unheld: ") + QString::fromUtf8(data);
                item.server = v.toObject();
                out << item;
            }
        }
        return sorted(out);
    }

    // Through the third client: changes the text of an item, deletes one or
    // adds a task or a contact.
    void changeServer() {
        const QList<Item> all = serverItems(), focus = focused(all);
        const QList<Item> &items = focus.isEmpty() ? all : focus;
        const auto kind = pick(2) ? SyncKind::Tasks : SyncKind::Contacts;
        int op = !focus.isEmpty() ? pick(2) : items.isEmpty() ? 2 : pick(3);
        if (op == 2 && std::count_if(items.begin(), items.end(),
                                     [&](const Item &i) { return i.kind == kind; }) >= kMaxPerKind)
            op = 1;
        QJsonObject r;
        if (op == 2) {
            const int marker = ++m_markers;
            m_round.created << marker;
            const QString text = newText(marker);
            const QString name = QStringLiteral("tel-%1").arg(marker);
            const QString data =
                kind == SyncKind::Tasks
                    ? QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Telefon//PL\r\n"
                                     "BEGIN:VTODO\r\nUID:%1\r\nDTSTAMP:20270101T120000Z\r\n"
                                     "CREATED:%2T120000Z\r\nSUMMARY:%3\r\nEND:VTODO\r\n"
                                     "END:VCALENDAR\r\n")
                          .arg(name, QDate(2026, 1, 1).addDays(pick(365)).toString("yyyyMMdd"),
                               text)
                    : QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\n"
                                     "N:%2;;;;\r\nTEL:%3\r\nEND:VCARD\r\n")
                          .arg(name, text)
                          .arg(500000 + pick(100000));
            const QUrl collection =
                kind == SyncKind::Tasks ? server.calendar() : server.addressBook();
            r = phone.call({{"op", "put"},
                            {"collection", collection.toString()},
                            {"name", name + SyncLocal::fileSuffix(kind)},
                            {"data", data}});
            const ServerContent s =
                SyncLocal::parse(kind == SyncKind::Tasks, data.toUtf8(), kToday);
            expect(bool(s.content), QStringLiteral("a server item not held: ") + data);
            wrote(itemOf(kind, 0, s.content.value_or(SyncContent()), s.fingerprint),
                  QStringLiteral("server adds "));
        } else {
            const Item item = items[pick(items.size())];
            const QJsonValue href = item.server.value("href"), etag = item.server.value("etag");
            if (op == 0) {
                const QString data =
                    retold(item.server.value("data").toString(), newText(item.marker));
                r = phone.call({{"op", "put_if"}, {"href", href}, {"etag", etag}, {"data", data}});
                const ServerContent s =
                    SyncLocal::parse(item.kind != SyncKind::Contacts, data.toUtf8(), kToday);
                wrote(itemOf(item.kind, 0, s.content.value_or(SyncContent()), s.fingerprint),
                      QStringLiteral("server changes %1 to ").arg(item.text));
            } else {
                r = phone.call({{"op", "delete"}, {"href", href}, {"etag", etag}});
                removed(item, QStringLiteral("server deletes "));
            }
        }
        expect(r.value("ok").toBool(), QStringLiteral("the third client failed: ") +
                                           QJsonDocument(r).toJson(QJsonDocument::Compact));
    }

    // In this process, or through kv_sync_tool with a kill at a checkpoint
    // (a run with fewer checkpoints ends normally).
    void sync(int side, bool tool, const QString &how = QStringLiteral("syncs")) {
        Computer &c = side ? b : a;
        const QString who = side ? QStringLiteral("B ") : QStringLiteral("A ");
        if (!tool) {
            SyncReport r = c.sync();
            m_round.log << who + how + QStringLiteral(": ") + r.text();
            if (r.ok() && !r.guards.isEmpty()) {
                // The deletions were this test's own: the user confirms them.
                for (const SyncGuard &g : r.guards)
                    c.settings.answers[g.kind] = GuardAnswer::Propagate;
                r = c.sync();
                c.settings.answers.clear();
                m_round.log << who + how + QStringLiteral(", deletions confirmed: ") + r.text();
            }
            return expect(r.ok(), who + QStringLiteral("failed to sync"));
        }
        const int killAt = 1 + pick(6);
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(KV_SYNC_TOOL),
                {c.dir.path(), server.calendar().toString(), server.addressBook().toString(), kUser,
                 kPassword, QString::number(killAt)});
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return expect(false, who + QStringLiteral("hung in kv_sync_tool"));
        }
        const QString out = QString::fromUtf8(p.readAll()).trimmed();
        if (p.exitStatus() == QProcess::CrashExit) {
            m_round.log << who + QStringLiteral("syncs, killed at checkpoint %1").arg(killAt);
            expect(p.exitCode() == SIGKILL, who + QStringLiteral("died otherwise: ") + out);
            // As the program started again. The old registry is closed first:
            // opening the file while it is open here would drop this
            // process's locks on it, and the other process could then take
            // the store's log away.
            c.local.reset();
            c.registry.reset();
            c.open();
        } else {
            m_round.log << who + QStringLiteral("syncs (kill at %1 not reached): ").arg(killAt) +
                               out;
            expect(p.exitCode() == 0, who + QStringLiteral("failed to sync in kv_sync_tool"));
        }
    }

    void judge(const QList<Item> &now) {
        QMap<int, QStringList> before, after;
        QHash<QString, int> countBefore, countAfter;
        for (const Item &i : m_held) {
            before[i.marker] << i.fingerprint;
            ++countBefore[i.fingerprint];
        }
        for (const Item &i : now) {
            after[i.marker] << i.fingerprint;
            ++countAfter[i.fingerprint];
        }
        for (auto *m : {&before, &after})
            for (QStringList &l : *m)
                l.sort();
        const auto name = [](int marker) { return QStringLiteral("#%1").arg(marker); };
        for (int m : QSet<int>(before.keyBegin(), before.keyEnd()) | m_round.created)
            expect(after.contains(m) || m_round.deleted.contains(m),
                   name(m) + QStringLiteral(" is lost: no action deleted it"));
        for (int m : after.keys())
            expect(m_round.touched.contains(m) || m_round.created.contains(m) ||
                       before.value(m) == after.value(m),
                   name(m) + QStringLiteral(" changed though no action touched it"));
        for (const Item &i : now) {
            expect(countBefore.contains(i.fingerprint) || m_round.written.contains(i.fingerprint),
                   QStringLiteral("neither held before nor written: ") + i.description);
            expect(countAfter[i.fingerprint] <= std::max(1, countBefore.value(i.fingerprint)) ||
                       m_round.fired.contains(i.marker),
                   QStringLiteral("held %1 times: ").arg(countAfter[i.fingerprint]) +
                       i.description);
        }
        for (auto it = m_round.last.cbegin(); it != m_round.last.cend(); ++it)
            expect(countAfter.contains(it.value()),
                   QStringLiteral("the last version of %1 written is lost").arg(name(it.key())));
        if (m_round.failure.isEmpty())
            m_held = now;
    }

    quint32 m_seed;
    std::mt19937 m_rng;
    int m_markers = 0;
    int m_version = 0;
    int m_focus = 0;
    QList<Item> m_held; // after the last round, on all sides
    struct {
        QStringList log;
        QSet<int> created, touched, deleted, fired; // markers
        QSet<QString> written;                      // fingerprints
        QMap<int, QString> last;                    // the version a marker's last action wrote
        QString failure;
    } m_round;
};

int rounds() {
    return qEnvironmentVariable("KV_SYNC_ROUNDS", QStringLiteral("200")).toInt();
}

} // namespace

class TestSyncRounds : public QObject {
    Q_OBJECT
public:
    // A long run outlasts the five minutes Qt Test gives a test function.
    TestSyncRounds() {
        if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
            qputenv("QTEST_FUNCTION_TIMEOUT",
                    QByteArray::number(std::max(300, 2 * rounds()) * 1000));
    }

private slots:
    void interleavings() {
        const quint32 seed = qEnvironmentVariable("KV_SYNC_SEED", QStringLiteral("1")).toUInt();
        const int rounds = ::rounds();
        qInfo("KV_SYNC_SEED=%u KV_SYNC_ROUNDS=%d", seed, rounds);
        Run run(seed);
        QVERIFY(run.ready());
        for (int r = 1; r <= rounds; ++r) {
            const QString failure = run.round(r);
            if (!failure.isEmpty())
                QFAIL(qPrintable(failure));
        }
    }
};

QTEST_GUILESS_MAIN(TestSyncRounds)
#include "tst_sync_rounds.moc"
