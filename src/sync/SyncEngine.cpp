#include "SyncEngine.h"

#include "Multistatus.h"

#include <QScopeGuard>
#include <QUuid>

namespace kv {

namespace {
constexpr int kMaxRounds = 3;
constexpr int kParallel = 4;
// The tag of an item sent whose server answered without one: the next
// listing tells it, and as If-Match it matches no version of the server.
const QString kUnknownTag = QStringLiteral("\"-\"");
const QString kCtagPrefix = QStringLiteral("ctag:");

QString newUid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@kelvadrin");
}

} // namespace

QString SyncReport::text() const {
    if (!ok())
        return failureText(failure, host, detail);
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
    QString out = parts.isEmpty() ? QStringLiteral("Synchronizacja zakończona: bez zmian.")
                                  : QStringLiteral("Synchronizacja zakończona: %1.")
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
    m_report = {};
    delete m_client;
    m_client = new DavClient(m_settings.user, m_settings.password, m_settings.timeoutMs, this);
    m_passes.clear();
    const QUrl tasks = m_settings.taskList.isEmpty() ? m_settings.calendar : m_settings.taskList;
    if (!m_settings.calendar.isEmpty()) {
        Pass pass{m_settings.calendar, {SyncKind::Events}, true};
        if (tasks == m_settings.calendar)
            pass.kinds << SyncKind::Tasks;
        m_passes << pass;
    }
    if (!tasks.isEmpty() && tasks != m_settings.calendar)
        m_passes << Pass{tasks, {SyncKind::Tasks}, true};
    if (!m_settings.addressBook.isEmpty())
        m_passes << Pass{m_settings.addressBook, {SyncKind::Contacts}, false};
    m_report.host = (m_passes.isEmpty() ? QUrl() : m_passes.first().url).host();
    nextPass();
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
    list(false);
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
    const QString saved = m_local.token(m_pass.kinds.first());
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
                for (const ItemState &s : m_local.states(kind))
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
    if (r.failure != SyncFailure::None) {
        fail(r.failure, r.detail);
        return std::nullopt;
    }
    auto ms = r.status == 207 ? parseMultistatus(r.body) : std::nullopt;
    if (!ms) {
        const SyncFailure f = failureOfStatus(r.status);
        fail(r.status == 207 || f == SyncFailure::None ? SyncFailure::Malformed : f,
             QStringLiteral("HTTP %1").arg(r.status));
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

// Settles both sides' changes: local writes and the sync state in one
// transaction (the address book's file first), then the writes to send.
void SyncEngine::settle() {
    if (!m_running)
        return;
    m_pushes.clear();
    bool storesWritten = false;
    QString error;
    m_settling = true;
    const auto settled = qScopeGuard([this] { m_settling = false; });
    try {
        m_local.registry().transaction([&] {
            bool contactsWritten = false;
            QMap<SyncKind, QMap<int, LocalItem>> locals;
            QMap<SyncKind, QMap<int, ItemState>> states;
            QMap<QString, std::pair<SyncKind, int>> byHref;
            for (const SyncKind kind : m_pass.kinds) {
                auto items = m_local.items(kind, &error);
                if (!items)
                    throw std::runtime_error("local");
                locals.insert(kind, *items);
                states.insert(kind, m_local.states(kind));
                for (auto it = states[kind].cbegin(); it != states[kind].cend(); ++it)
                    byHref.insert(it->href, {kind, it.key()});
            }
            const auto place = [&](SyncKind kind, int avoid) {
                QSet<int> taken;
                for (auto it = states[kind].cbegin(); it != states[kind].cend(); ++it)
                    taken.insert(it.key());
                taken.insert(avoid);
                return m_local.freePlace(kind, taken);
            };
            const auto write = [&](SyncKind kind, int n, const SyncContent &c) {
                m_local.put(kind, n, c);
                locals[kind][n] = LocalItem{SyncLocal::fingerprint(kind, c), c};
                contactsWritten |= kind == SyncKind::Contacts;
                storesWritten = true;
            };
            const auto keep = [&](SyncKind kind, int n, const ItemState &s) {
                m_local.putState(kind, n, s);
                states[kind][n] = s;
            };
            const auto drop = [&](SyncKind kind, int n) {
                m_local.dropState(kind, n);
                states[kind].remove(n);
            };

            // Items both sides knew.
            for (const SyncKind kind : m_pass.kinds) {
                const QMap<int, ItemState> known = states[kind];
                for (auto it = known.cbegin(); it != known.cend(); ++it) {
                    const int n = it.key();
                    ItemState st = it.value();
                    const std::optional<LocalItem> here =
                        locals[kind].contains(n) ? std::optional(locals[kind][n]) : std::nullopt;
                    const bool pending = st.etag.isEmpty();
                    const bool changedHere = !here || here->fingerprint != st.fingerprint;
                    const auto sv = m_listing.changed.constFind(st.href);
                    const bool gone = m_listing.removed.contains(st.href) ||
                                      (m_listing.full && sv == m_listing.changed.cend());
                    const bool changedThere =
                        !gone && sv != m_listing.changed.cend() && (pending || sv->etag != st.etag);
                    if (gone) {
                        if (!here) {
                            drop(kind, n);
                        } else if (pending || changedHere) {
                            // Lost there, kept here: it goes again.
                            st.etag.clear();
                            keep(kind, n, st);
                        } else {
                            m_local.remove(kind, n);
                            locals[kind].remove(n);
                            contactsWritten |= kind == SyncKind::Contacts;
                            storesWritten = true;
                            drop(kind, n);
                            ++m_report.removedHere;
                        }
                        continue;
                    }
                    if (!changedThere)
                        continue; // what goes out is decided below
                    const ServerContent server = SyncLocal::parse(m_pass.calendar, sv->data);
                    const bool holdable = server.content && server.kind == kind;
                    if (!holdable) {
                        ++m_report.leftThere[server.refusal];
                        if (here && changedHere) {
                            // Kept here as an item of its own; theirs stays untouched.
                            ++m_report.conflicts;
                            drop(kind, n);
                        } else if (!here) {
                            drop(kind, n);
                        }
                        continue;
                    }
                    const ItemState agreed{st.uid, st.href, sv->etag, server.fingerprint, sv->data};
                    if (here && here->fingerprint == server.fingerprint) {
                        keep(kind, n, agreed); // alike on both sides
                    } else if (!changedHere || !here) {
                        // Changed there only, or deleted here but changed there.
                        write(kind, n, *server.content);
                        keep(kind, n, agreed);
                        ++m_report.pulled;
                    } else {
                        // Changed on both sides: the server's version takes the
                        // place; this one is kept beside it.
                        ++m_report.conflicts;
                        const int other = place(kind, n);
                        if (other) {
                            write(kind, n, *server.content);
                            keep(kind, n, agreed);
                            SyncContent mine = here->content;
                            mine.event.uid.clear();
                            write(kind, other, mine);
                            ++m_report.pulled;
                        } else if (kind == SyncKind::Events && m_local.archive(here->content)) {
                            write(kind, n, *server.content);
                            keep(kind, n, agreed);
                            ++m_report.archived;
                            ++m_report.pulled;
                        } else {
                            // No room: this version keeps its place as a new
                            // item; the server's stays there.
                            ++m_report.leftThere[ImportRefusal::NoRoom];
                            drop(kind, n);
                        }
                    }
                }
            }

            // Items new on the server.
            for (auto it = m_listing.changed.cbegin(); it != m_listing.changed.cend(); ++it) {
                if (byHref.contains(it.key()))
                    continue;
                const ServerContent server = SyncLocal::parse(m_pass.calendar, it->data);
                if (!server.content) {
                    ++m_report.leftThere[server.refusal];
                    continue;
                }
                const SyncKind kind = server.kind;
                if (!m_pass.kinds.contains(kind))
                    continue;
                const ItemState agreed{server.uid, it.key(), it->etag, server.fingerprint,
                                       it->data};
                // An item here that the server holds alike, not yet linked
                // (sent or received just before the program ended).
                int alike = 0;
                for (auto l = locals[kind].cbegin(); l != locals[kind].cend() && !alike; ++l)
                    if (!states[kind].contains(l.key()) && l->fingerprint == server.fingerprint)
                        alike = l.key();
                if (alike) {
                    keep(kind, alike, agreed);
                    continue;
                }
                const int n = place(kind, 0);
                if (!n) {
                    ++m_report.leftThere[ImportRefusal::NoRoom];
                    continue;
                }
                write(kind, n, *server.content);
                keep(kind, n, agreed);
                ++m_report.pulled;
            }

            // What goes out.
            const QString base = m_pass.url.path(QUrl::FullyDecoded);
            for (const SyncKind kind : m_pass.kinds) {
                for (auto it = locals[kind].cbegin(); it != locals[kind].cend(); ++it) {
                    const int n = it.key();
                    const LocalItem &item = it.value();
                    const auto st = states[kind].constFind(n);
                    // Only what another computer reads back as it is here goes out.
                    const auto readsBack = [&](const QByteArray &body) {
                        const ServerContent back = SyncLocal::parse(m_pass.calendar, body);
                        if (back.content && back.kind == kind &&
                            back.fingerprint == item.fingerprint)
                            return true;
                        ++m_report.unsent;
                        return false;
                    };
                    if (st == states[kind].cend()) {
                        const QString uid = newUid();
                        const QString href =
                            base +
                            (base.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) +
                            uid.section(QLatin1Char('@'), 0, 0) + SyncLocal::fileSuffix(kind);
                        // Kept before it is sent: an answer lost with the
                        // program is recognised at the next sync.
                        const QByteArray body = SyncLocal::serialize(kind, item.content, uid);
                        if (!readsBack(body))
                            continue;
                        const ItemState pending{uid, href, QString(), item.fingerprint, {}};
                        keep(kind, n, pending);
                        m_pushes << Push{kind, n, pending, QString(), body};
                    } else if (st->etag.isEmpty() || item.fingerprint != st->fingerprint) {
                        const QByteArray body =
                            SyncLocal::serialize(kind, item.content, st->uid, st->data);
                        if (!readsBack(body))
                            continue;
                        ItemState sent = *st;
                        sent.fingerprint = item.fingerprint;
                        m_pushes << Push{kind, n, sent, st->etag, body};
                    }
                }
                for (auto it = states[kind].cbegin(); it != states[kind].cend(); ++it)
                    if (!locals[kind].contains(it.key()) && !it->etag.isEmpty())
                        m_pushes << Push{kind, it.key(), *it, it->etag, {}, true};
            }
            if (contactsWritten) {
                if (!m_local.commitContacts()) {
                    error = QStringLiteral("nie można zapisać bazy teleadresowej.");
                    throw std::runtime_error("contacts");
                }
                if (checkpoint)
                    checkpoint();
            }
            m_local.setToken(m_pass.kinds.first(), m_listing.token);
        });
    } catch (const std::exception &e) {
        if (error.isEmpty())
            error = QString::fromLocal8Bit(e.what());
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
    for (int i = 0; i < kParallel && !m_pushes.isEmpty(); ++i)
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
                 return fail(r.failure, r.detail);
             }
             if (push.remove &&
                 (r.status == 404 || r.status == 410 || (r.status >= 200 && r.status < 300))) {
                 m_results.append({push.kind, {push.number, std::nullopt}});
                 ++m_report.removedThere;
             } else if (!push.remove && r.status >= 200 && r.status < 300) {
                 ItemState s = push.state;
                 s.etag = r.etag.isEmpty() ? kUnknownTag : QString::fromUtf8(r.etag);
                 s.data = push.body;
                 m_results.append({push.kind, {push.number, s}});
                 ++m_report.pushed;
             } else if (r.status == 412) {
                 m_again = true; // changed there first: read and settle again
             } else if (!push.remove && r.status == 404 && !push.ifMatch.isEmpty()) {
                 ItemState s = push.state; // gone there: sent again as new
                 s.etag.clear();
                 m_results.append({push.kind, {push.number, s}});
                 m_again = true;
             } else {
                 m_pushes.clear();
                 const SyncFailure f = failureOfStatus(r.status);
                 return fail(f == SyncFailure::None ? SyncFailure::Malformed : f,
                             QStringLiteral("HTTP %1").arg(r.status));
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
            m_report.detail = QString::fromLocal8Bit(e.what());
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
    emit finished(m_report);
}

} // namespace kv
