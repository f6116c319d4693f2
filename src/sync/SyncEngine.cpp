#include "SyncEngine.h"

#include "interchange/ItemIds.h"

#include "Multistatus.h"

#include <QScopeGuard>
#include <QTimer>

namespace kv {

namespace {
constexpr int kMaxRounds = 3;

// A store this computer could not write, said as the user reads it; what
// the store itself said goes to the log, in its own words.
QString localWriteFailed(const std::exception &e) {
    qWarning("sync: %s", e.what());
    return QStringLiteral("nie można zapisać danych na tym komputerze.");
}

constexpr int kParallel = 4;
// A server that takes one write at a time (Xandikos) answers the others
// "423 Locked", or fails them with a 500: each is sent again after a wait,
// one at a time, a few times at most. Every write is conditional (If-Match,
// If-None-Match), so one the server did carry out comes back as a 412 or a
// 404 and is settled as such.
constexpr int kLockedTries = 5;
constexpr int kLockedWaitMs = 200; // times the try: 0.2 s, 0.4 s ... 1 s
// The tag of an item sent whose server answered without one: the next
// listing tells it, and as If-Match it matches no version of the server.
const QString kUnknownTag = QStringLiteral("\"-\"");
const QString kCtagPrefix = QStringLiteral("ctag:");

} // namespace

QString kindItems(SyncKind kind) {
    switch (kind) {
    case SyncKind::Events:
        return QStringLiteral("terminów");
    case SyncKind::Tasks:
        return QStringLiteral("zadań");
    case SyncKind::Contacts:
        break;
    }
    return QStringLiteral("wpisów książki adresowej");
}

QString guardText(const SyncGuard &g) {
    switch (g.which) {
    case GuardCase::ServerEmptied:
        return QStringLiteral("na serwerze nie ma już żadnego z %1 %2")
            .arg(g.known)
            .arg(kindItems(g.kind));
    case GuardCase::HereEmptied:
        return QStringLiteral("na tym komputerze nie ma już żadnego z %1 %2")
            .arg(g.known)
            .arg(kindItems(g.kind));
    case GuardCase::MostGone:
        break;
    }
    return QStringLiteral("usunięcie %1 z %2 %3")
        .arg(g.deleteHere + g.deleteThere)
        .arg(g.known)
        .arg(kindItems(g.kind));
}

bool SyncReport::unchanged() const {
    int left = 0;
    for (const auto &[reason, n] : leftThere)
        left += n;
    return ok() && guards.isEmpty() &&
           conflicts + pulled + pushed + removedHere + removedThere + unsent + left == 0;
}

QString SyncReport::text() const {
    if (!ok())
        return failureText(failure, host, detail);
    QString held;
    if (!guards.isEmpty()) {
        QStringList what;
        for (const SyncGuard &g : guards)
            what << guardText(g);
        held = QStringLiteral("Synchronizacja czeka na decyzję: %1; nic z tego nie zostało "
                              "usunięte.")
                   .arg(what.join(QStringLiteral("; ")));
    }
    // A conflict first: the status line may not show the whole sentence.
    QStringList parts;
    if (conflicts)
        parts << (archived ? QStringLiteral("zmienione po obu stronach – %1 (obie wersje "
                                            "zachowane, w archiwum – %2)")
                                 .arg(conflicts)
                                 .arg(archived)
                           : QStringLiteral("zmienione po obu stronach – %1 (obie wersje "
                                            "zachowane)")
                                 .arg(conflicts));
    if (pulled)
        parts << QStringLiteral("pobrane – %1").arg(pulled);
    if (pushed)
        parts << QStringLiteral("wysłane – %1").arg(pushed);
    if (removedHere)
        parts << QStringLiteral("usunięte tutaj – %1").arg(removedHere);
    if (removedThere)
        parts << QStringLiteral("usunięte na serwerze – %1").arg(removedThere);
    QString out =
        parts.isEmpty()
            ? (held.isEmpty() ? QStringLiteral("Synchronizacja zakończona: bez zmian.") : held)
            : (held.isEmpty() ? QString() : held + QLatin1Char(' ')) +
                  QStringLiteral("Synchronizacja zakończona: %1.")
                      .arg(parts.join(QStringLiteral(", ")));
    if (unsent)
        out += QStringLiteral(" Niewysłane – %1: inny kalendarz nie odczytałby ich tak samo.")
                   .arg(unsent);
    int left = 0;
    QStringList reasons;
    for (const auto &[reason, n] : leftThere) {
        left += n;
        reasons << QStringLiteral("%1 – %2").arg(refusalText(reason)).arg(n);
    }
    if (left)
        out += QStringLiteral(" Pozostawione na serwerze – %1: %2.")
                   .arg(left)
                   .arg(reasons.join(QStringLiteral("; ")));
    return out;
}

SyncEngine::SyncEngine(SyncLocal &local, SyncSettings settings, QObject *parent)
    : QObject(parent), m_local(local), m_settings(std::move(settings)) {}

SyncEngine::~SyncEngine() {
    if (m_client)
        m_client->abortAll();
}

void SyncEngine::start() {
    if (m_running)
        return;
    m_running = true;
    m_waiting = false;
    m_parallel = kParallel;
    m_report = {};
    delete m_client;
    m_client = new DavClient(m_settings.user, m_settings.password, m_settings.timeoutMs, this);
    m_passes.clear();
    const QUrl tasks = m_settings.taskList.isEmpty() ? m_settings.calendar : m_settings.taskList;
    QList<Pass> passes;
    if (!m_settings.calendar.isEmpty()) {
        Pass pass{m_settings.calendar, {SyncKind::Events}, true};
        if (tasks == m_settings.calendar)
            pass.kinds << SyncKind::Tasks;
        passes << pass;
    }
    if (!tasks.isEmpty() && tasks != m_settings.calendar)
        passes << Pass{tasks, {SyncKind::Tasks}, true};
    if (!m_settings.addressBook.isEmpty())
        passes << Pass{m_settings.addressBook, {SyncKind::Contacts}, false};
    for (Pass &pass : passes) {
        const qsizetype all = pass.kinds.size();
        pass.kinds.removeIf([this](SyncKind k) { return m_settings.paused.contains(k); });
        pass.partial = pass.kinds.size() < all;
        if (!pass.kinds.isEmpty())
            m_passes << pass;
    }
    m_report.host = (m_passes.isEmpty() ? QUrl() : m_passes.first().url).host();
    nextPass();
}

void SyncEngine::abort() {
    if (!m_running)
        return;
    m_running = false;
    m_waiting = false;
    m_pushes.clear();
    m_results.clear();
    if (m_client)
        m_client->abortAll();
}

void SyncEngine::resume() {
    if (m_running && std::exchange(m_waiting, false))
        settle();
}

QString SyncEngine::collection() const {
    return SyncLocal::collectionId(m_settings.server, m_settings.user, m_pass.url.toString());
}

void SyncEngine::send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                      const DavHeaders &headers, std::function<void(const DavReply &)> done) {
    if (checkpoint)
        checkpoint();
    m_client->request(verb, url, body, headers, std::move(done));
}

void SyncEngine::nextPass() {
    if (!m_running)
        return;
    if (m_passes.isEmpty())
        return finish();
    m_pass = m_passes.takeFirst();
    m_round = 0;
    // What the user wants back is read whole.
    const bool restore = std::any_of(m_pass.kinds.cbegin(), m_pass.kinds.cend(), [this](auto k) {
        return m_settings.answers.value(k) == GuardAnswer::Restore;
    });
    list(restore);
}

QString SyncEngine::pathOf(const QString &href) const {
    return m_pass.url.resolved(QUrl(href)).path(QUrl::FullyDecoded);
}

QUrl SyncEngine::urlOf(const QString &path) const {
    QUrl url = m_pass.url;
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

QByteArray SyncEngine::propBody(bool data) const {
    QByteArray prop = "<d:getetag/>";
    if (data)
        prop += m_pass.calendar ? "<c:calendar-data/>" : "<c:address-data/>";
    return prop;
}

void SyncEngine::list(bool full) {
    m_listing = {};
    const QString saved =
        m_pass.partial ? QString() : m_local.token(m_pass.kinds.first(), collection());
    if (!m_settings.useSyncCollection || saved.startsWith(kCtagPrefix))
        return listByTags(full ? QString() : saved);
    const QString token = full ? QString() : saved;
    const QByteArray ns =
        m_pass.calendar ? "urn:ietf:params:xml:ns:caldav" : "urn:ietf:params:xml:ns:carddav";
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<d:sync-collection xmlns:d=\"DAV:\" xmlns:c=\"" +
                            ns + "\"><d:sync-token>" + token.toHtmlEscaped().toUtf8() +
                            "</d:sync-token><d:sync-level>1</d:sync-level><d:prop>" +
                            propBody(true) + "</d:prop></d:sync-collection>";
    send("REPORT", m_pass.url, body, {{"Depth", "0"}}, [this, token](const DavReply &r) {
        if (r.failure == SyncFailure::None && r.status != 207) {
            if ((r.status == 403 || r.status == 409 || r.status == 400) && !token.isEmpty() &&
                r.body.contains("valid-sync-token"))
                return list(true); // the server forgot the token: read everything
            if (failureOfStatus(r.status) == SyncFailure::ServerError &&
                ((r.status >= 400 && r.status < 500 && r.status != 412) || r.status == 501))
                return listByTags(QString()); // no sync-collection here
        }
        const auto ms = multistatusOf(r);
        if (!ms)
            return;
        if (ms->syncToken.isEmpty())
            return fail(SyncFailure::Malformed);
        m_listing.full = token.isEmpty();
        m_listing.token = ms->syncToken;
        QStringList missing;
        for (const DavEntry &e : ms->entries) {
            const QString path = pathOf(e.href);
            if (path == m_pass.url.path(QUrl::FullyDecoded))
                continue;
            if (e.status == 404 || e.status == 410) {
                m_listing.removed.insert(path);
            } else if (e.status >= 200 && e.status < 300) {
                m_listing.changed.insert(path, {e.props.etag, e.props.data});
                if (e.props.data.isEmpty())
                    missing << path;
            }
        }
        fetch(missing, [this] { settle(); });
    });
}

void SyncEngine::listByTags(const QString &savedCtag) {
    m_listing = {};
    const QByteArray depth0 = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                              "<d:propfind xmlns:d=\"DAV:\" "
                              "xmlns:cs=\"http://calendarserver.org/ns/\"><d:prop><cs:getctag/>"
                              "</d:prop></d:propfind>";
    send("PROPFIND", m_pass.url, depth0, {{"Depth", "0"}}, [this, savedCtag](const DavReply &r) {
        const auto ms = multistatusOf(r);
        if (!ms)
            return;
        if (ms->entries.isEmpty())
            return fail(SyncFailure::Malformed);
        const QString ctag = ms->entries.first().props.ctag;
        m_listing.token = kCtagPrefix + ctag;
        if (!ctag.isEmpty() && kCtagPrefix + ctag == savedCtag)
            return settle(); // nothing changed there
        const QByteArray depth1 = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                  "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/>"
                                  "</d:prop></d:propfind>";
        send("PROPFIND", m_pass.url, depth1, {{"Depth", "1"}}, [this](const DavReply &r) {
            const auto ms = multistatusOf(r);
            if (!ms)
                return;
            m_listing.full = true;
            QMap<QString, QString> tags;
            for (const SyncKind kind : m_pass.kinds)
                for (const ItemState &s : m_local.states(kind, collection()))
                    tags.insert(s.href, s.etag);
            QStringList wanted;
            for (const DavEntry &e : ms->entries) {
                const QString path = pathOf(e.href);
                if (path == m_pass.url.path(QUrl::FullyDecoded) || e.props.collection ||
                    e.status < 200 || e.status >= 300)
                    continue;
                m_listing.changed.insert(path, {e.props.etag, {}});
                if (tags.value(path) != e.props.etag)
                    wanted << path;
            }
            fetch(wanted, [this] { settle(); });
        });
    });
}

std::optional<Multistatus> SyncEngine::multistatusOf(const DavReply &r) {
    auto ms =
        r.failure == SyncFailure::None && r.status == 207 ? parseMultistatus(r.body) : std::nullopt;
    if (!ms) {
        const DavFault fault = faultOf(r);
        fail(fault.failure, fault.detail);
    }
    return ms;
}

void SyncEngine::fetch(QStringList paths, std::function<void()> then) {
    if (paths.isEmpty())
        return then();
    const QByteArray report = m_pass.calendar ? "c:calendar-multiget" : "c:addressbook-multiget";
    const QByteArray ns =
        m_pass.calendar ? "urn:ietf:params:xml:ns:caldav" : "urn:ietf:params:xml:ns:carddav";
    QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?><" + report +
                      " xmlns:d=\"DAV:\" xmlns:c=\"" + ns + "\"><d:prop>" + propBody(true) +
                      "</d:prop>";
    for (const QString &path : paths)
        body += "<d:href>" + urlOf(path).path(QUrl::FullyEncoded).toUtf8() + "</d:href>";
    body += "</" + report + ">";
    send("REPORT", m_pass.url, body, {{"Depth", "1"}}, [this, then](const DavReply &r) {
        const auto ms = multistatusOf(r);
        if (!ms)
            return;
        for (const DavEntry &e : ms->entries) {
            const QString path = pathOf(e.href);
            if (e.status == 404 || e.status == 410) {
                m_listing.changed.remove(path);
                m_listing.removed.insert(path);
            } else if (e.status >= 200 && e.status < 300 && m_listing.changed.contains(path)) {
                m_listing.changed[path] = {e.props.etag, e.props.data};
            }
        }
        then();
    });
}

// Plans the pass from both sides and the last sync's state, then carries it out.
void SyncEngine::settle() {
    if (!m_running)
        return;
    if (mayWrite && !mayWrite()) {
        m_waiting = true;
        return;
    }
    PlanInput in;
    in.calendar = m_pass.calendar;
    in.base = m_pass.url.path(QUrl::FullyDecoded);
    in.kinds = m_pass.kinds;
    in.listing = m_listing;
    in.answers = m_settings.answers;
    in.newUid = newItemUid;
    in.today = m_local.today();
    const QString id = collection();
    QString unread;
    // What is here, read at one moment.
    m_local.registry().reading([&] {
        for (const SyncKind kind : m_pass.kinds) {
            auto items = m_local.items(kind);
            if (!items) {
                unread = items.failure();
                return;
            }
            in.here.insert(kind, LocalSide{*items, m_local.freePlaces(kind)});
            in.states.insert(kind, m_local.states(kind, id));
        }
    });
    if (!unread.isEmpty())
        return fail(SyncFailure::Local, unread);
    SyncPlan plan = planSync(in);
    for (SyncGuard &g : plan.guards)
        g.collection = m_pass.url.toString();
    if (planned)
        planned(plan);
    // A kind held in one round stays held in the next.
    for (const SyncGuard &g : std::as_const(plan.guards))
        if (!m_report.guards.contains(g))
            m_report.guards << g;
    m_report.pulled += plan.pulled;
    m_report.removedHere += plan.removedHere;
    m_report.conflicts += plan.conflicts;
    m_report.archived += plan.archived;
    m_report.unsent += plan.unsent;
    for (const auto &[reason, n] : plan.leftThere)
        m_report.leftThere[reason] += n;
    execute(plan);
}

// Carries out a plan: what it writes here and the state it keeps in one
// transaction (the address book's file first), then what it sends.
void SyncEngine::execute(const SyncPlan &plan) {
    m_pushes.clear();
    bool storesWritten = false;
    bool contactsWritten = false;
    QString error;
    m_settling = true;
    const auto settled = qScopeGuard([this] { m_settling = false; });
    try {
        m_local.registry().transaction([&] {
            for (const SyncKind kind : m_pass.kinds)
                if (!plan.held(kind))
                    m_local.bind(kind, collection());
            for (const PlanRow &r : plan.rows) {
                if (plan.held(r.kind))
                    continue;
                const bool writes = r.removeHere || r.put || r.other != kNoPlace;
                if (r.removeHere)
                    m_local.remove(r.kind, r.number);
                if (r.put)
                    m_local.put(r.kind, r.number, *r.put);
                if (r.other != kNoPlace && r.mine)
                    m_local.put(r.kind, r.other, *r.mine);
                if (r.archive && r.mine && !m_local.archive(*r.mine)) {
                    error = QStringLiteral("archiwum jest pełne lub nie można go zapisać, a "
                                           "wersja terminu z tego komputera nie ma gdzie zostać.");
                    throw std::runtime_error("archive");
                }
                storesWritten |= writes;
                contactsWritten |= writes && r.kind == SyncKind::Contacts;
                if (r.state == PlanRow::State::Set)
                    m_local.putState(r.kind, r.number, r.newState);
                else if (r.state == PlanRow::State::Drop)
                    m_local.dropState(r.kind, r.number);
                if (r.push)
                    m_pushes << Push{r.kind,          r.number,     r.push->state,
                                     r.push->ifMatch, r.push->body, r.push->body.isEmpty()};
            }
            if (contactsWritten) {
                if (!m_local.commitContacts()) {
                    error = QStringLiteral("nie można zapisać bazy teleadresowej.");
                    throw std::runtime_error("contacts");
                }
                if (checkpoint)
                    checkpoint();
            }
            if (plan.guards.isEmpty() && !m_pass.partial)
                m_local.setToken(m_pass.kinds.first(), plan.token);
        });
    } catch (const std::exception &e) {
        if (error.isEmpty())
            error = localWriteFailed(e);
        return fail(SyncFailure::Local, error);
    }
    if (storesWritten)
        emit storesChanged();
    pushAll();
}

void SyncEngine::pushAll() {
    m_again = false;
    m_results.clear();
    m_inFlight = 0;
    if (m_pushes.isEmpty())
        return pushDone();
    for (int i = 0; i < m_parallel && !m_pushes.isEmpty(); ++i)
        pushDone();
}

// Sends the next write, or ends the round when none is left.
void SyncEngine::pushDone() {
    if (!m_running)
        return;
    if (m_pushes.isEmpty()) {
        if (m_inFlight > 0)
            return;
        if (!saveResults() || m_report.failure != SyncFailure::None)
            return finish();
        if (m_again && ++m_round < kMaxRounds)
            return list(false);
        return nextPass();
    }
    if (m_inFlight >= m_parallel)
        return;
    const Push push = m_pushes.takeFirst();
    ++m_inFlight;
    DavHeaders headers;
    if (push.ifMatch.isEmpty())
        headers << qMakePair(QByteArray("If-None-Match"), QByteArray("*"));
    else
        headers << qMakePair(QByteArray("If-Match"), push.ifMatch.toUtf8());
    if (!push.remove)
        headers << qMakePair(QByteArray("Content-Type"),
                             QByteArray(push.kind == SyncKind::Contacts
                                            ? "text/vcard; charset=utf-8"
                                            : "text/calendar; charset=utf-8"));
    send(push.remove ? "DELETE" : "PUT", urlOf(push.state.href), push.body, headers,
         [this, push](const DavReply &r) {
             --m_inFlight;
             if (!m_running)
                 return;
             if (r.failure != SyncFailure::None) {
                 m_pushes.clear();
                 const DavFault fault = faultOf(r);
                 return fail(fault.failure, fault.detail);
             }
             if (push.remove &&
                 (r.status == 404 || r.status == 410 || (r.status >= 200 && r.status < 300))) {
                 m_results.append({push.kind, {push.number, std::nullopt}});
                 ++m_report.removedThere;
             } else if (!push.remove && r.status >= 200 && r.status < 300) {
                 ItemState s = push.state;
                 s.etag = r.etag.isEmpty() ? kUnknownTag : QString::fromUtf8(r.etag);
                 s.data = push.body;
                 // Younger than any token kept in this pass.
                 s.fresh = s.fresh || push.ifMatch.isEmpty();
                 m_results.append({push.kind, {push.number, s}});
                 ++m_report.pushed;
             } else if ((r.status == 423 || r.status == 500 || r.status == 503) &&
                        push.tries < kLockedTries) {
                 // Sent again once the server has had a moment, holding its
                 // place among the writes in flight until then.
                 Push again = push;
                 ++again.tries;
                 m_parallel = 1;
                 ++m_inFlight;
                 QTimer::singleShot(kLockedWaitMs * again.tries, this, [this, again] {
                     --m_inFlight;
                     if (!m_running)
                         return;
                     m_pushes.prepend(again);
                     pushDone();
                 });
             } else if (r.status == 412) {
                 m_again = true; // changed there first: read and settle again
             } else if (!push.remove && r.status == 404 && !push.ifMatch.isEmpty()) {
                 ItemState s = push.state; // gone there: sent again as new
                 s.etag.clear();
                 m_results.append({push.kind, {push.number, s}});
                 m_again = true;
             } else {
                 m_pushes.clear();
                 const DavFault fault = faultOf(r);
                 return fail(fault.failure, fault.detail);
             }
             pushDone();
         });
}

void SyncEngine::fail(SyncFailure failure, const QString &detail) {
    if (!m_running)
        return;
    if (m_report.failure == SyncFailure::None) {
        m_report.failure = failure;
        m_report.detail = detail;
    }
    // The state of the writes that did arrive is kept once the others end.
    if (m_inFlight > 0)
        return;
    saveResults();
    finish();
}

// The state of every write that arrived, in one registry write.
bool SyncEngine::saveResults() {
    try {
        m_local.registry().transaction([&] {
            for (const auto &[kind, result] : m_results) {
                if (result.second)
                    m_local.putState(kind, result.first, *result.second);
                else
                    m_local.dropState(kind, result.first);
            }
        });
    } catch (const std::exception &e) {
        if (m_report.failure == SyncFailure::None) {
            m_report.failure = SyncFailure::Local;
            m_report.detail = localWriteFailed(e);
        }
        return false;
    }
    m_results.clear();
    return true;
}

void SyncEngine::finish() {
    if (!m_running)
        return;
    m_running = false;
    m_report.requests = m_client ? m_client->requests() : 0;
    // Until the next sync nothing of this one is needed: the connections,
    // their thread and what the server sent go now.
    if (m_client) {
        m_client->release(); // now, for a sync that follows at once
        m_client->deleteLater();
    }
    m_client = nullptr;
    m_listing = {};
    m_pushes.clear();
    m_results.clear();
    emit finished(m_report);
}

} // namespace kv
