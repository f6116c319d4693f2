#include "Discovery.h"

#include "Multistatus.h"

namespace kv {

Discovery::Discovery(QUrl server, QString user, QString password, QObject *parent)
    : QObject(parent), m_server(std::move(server)), m_client(user, password, 30000, this) {}

void Discovery::fail(const DavReply &r) {
    const DavFault fault = faultOf(r);
    m_result.failure = fault.failure;
    m_result.detail = fault.detail;
    emit finished(m_result);
}

void Discovery::propfind(const QUrl &url, const QByteArray &props, int depth, int redirects,
                         std::function<void(const QUrl &, const Multistatus &)> then) {
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:propfind "
                            "xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
                            "xmlns:r=\"urn:ietf:params:xml:ns:carddav\"><d:prop>" +
                            props + "</d:prop></d:propfind>";
    m_client.request("PROPFIND", url, body, {{"Depth", QByteArray::number(depth)}},
                     [=, this](const DavReply &r) {
                         if (r.status >= 300 && r.status < 400 && !r.location.isEmpty() &&
                             redirects < 5) {
                             const QUrl next = url.resolved(QUrl::fromEncoded(r.location));
                             // Never from an encrypted address to a plain one.
                             if (url.scheme() == QLatin1String("https") &&
                                 next.scheme() != QLatin1String("https"))
                                 return fail(DavReply{r.status,
                                                      {},
                                                      {},
                                                      {},
                                                      SyncFailure::Tls,
                                                      QStringLiteral("przekierowanie bez TLS")});
                             return propfind(next, props, depth, redirects + 1, then);
                         }
                         const auto ms = r.status == 207 ? parseMultistatus(r.body) : std::nullopt;
                         if (r.failure != SyncFailure::None || !ms)
                             return fail(r);
                         then(url, *ms);
                     });
}

void Discovery::start() {
    // The well-known addresses first, then the address as given.
    QStringList candidates;
    QUrl root = m_server;
    root.setPath(QString());
    for (const char *wk : {"/.well-known/caldav", "/.well-known/carddav"})
        candidates << root.resolved(QUrl(QString::fromLatin1(wk))).toString();
    candidates.prepend(m_server.toString());
    findPrincipal(candidates);
}

void Discovery::findPrincipal(const QStringList &candidates) {
    if (candidates.isEmpty())
        return fail(DavReply{404, {}, {}, {}, SyncFailure::Gone, QStringLiteral("HTTP 404")});
    const QUrl url(candidates.first());
    const QStringList rest = candidates.mid(1);
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:propfind "
                            "xmlns:d=\"DAV:\"><d:prop><d:current-user-principal/></d:prop>"
                            "</d:propfind>";
    m_client.request("PROPFIND", url, body, {{"Depth", "0"}}, [=, this](const DavReply &r) {
        if (r.status >= 300 && r.status < 400 && !r.location.isEmpty()) {
            QStringList next = rest;
            next.prepend(url.resolved(QUrl::fromEncoded(r.location)).toString());
            return findPrincipal(next.size() > 8 ? rest : next);
        }
        if (r.failure != SyncFailure::None || r.status == 401)
            return fail(r);
        const auto ms = r.status == 207 ? parseMultistatus(r.body) : std::nullopt;
        if (ms)
            for (const DavEntry &e : ms->entries)
                if (!e.props.principal.isEmpty())
                    return listHomes(url.resolved(QUrl(e.props.principal)));
        if (rest.isEmpty())
            return fail(r);
        findPrincipal(rest);
    });
}

void Discovery::listHomes(const QUrl &principal) {
    propfind(principal, "<c:calendar-home-set/><r:addressbook-home-set/>", 0, 0,
             [this](const QUrl &url, const Multistatus &ms) {
                 for (const DavEntry &e : ms.entries) {
                     if (!e.props.calendarHome.isEmpty())
                         m_result.calendarHome = url.resolved(QUrl(e.props.calendarHome));
                     if (!e.props.addressBookHome.isEmpty())
                         m_result.addressBookHome = url.resolved(QUrl(e.props.addressBookHome));
                 }
                 listCollections();
             });
}

void Discovery::listCollections() {
    const QByteArray props =
        "<d:resourcetype/><d:displayname/><c:supported-calendar-component-set/>";
    const auto collect = [this](const QUrl &url, const Multistatus &ms) {
        for (const DavEntry &e : ms.entries) {
            const QUrl at = url.resolved(QUrl(e.href));
            const QString name = e.props.displayName.isEmpty()
                                     ? at.path().section(QLatin1Char('/'), -2, -2)
                                     : e.props.displayName;
            if (e.props.calendar &&
                !std::any_of(m_result.calendars.cbegin(), m_result.calendars.cend(),
                             [&](const DavCollection &c) { return c.url == at; }))
                m_result.calendars << DavCollection{at, name, e.props.components};
            if (e.props.addressBook &&
                !std::any_of(m_result.addressBooks.cbegin(), m_result.addressBooks.cend(),
                             [&](const DavCollection &c) { return c.url == at; }))
                m_result.addressBooks << DavCollection{at, name, {}};
        }
    };
    const auto books = [=, this] {
        if (m_result.addressBookHome.isEmpty() || m_result.addressBookHome == m_result.calendarHome)
            return emit finished(m_result);
        propfind(m_result.addressBookHome, props, 1, 0,
                 [=, this](const QUrl &u, const Multistatus &m) {
                     collect(u, m);
                     emit finished(m_result);
                 });
    };
    if (m_result.calendarHome.isEmpty())
        return books();
    propfind(m_result.calendarHome, props, 1, 0, [=](const QUrl &u, const Multistatus &m) {
        collect(u, m);
        books();
    });
}

void Discovery::create(bool calendar, const QString &name) {
    const QUrl home = calendar ? m_result.calendarHome : m_result.addressBookHome;
    if (home.isEmpty())
        return emit created(false, failureText(SyncFailure::Gone, m_server.host()));
    const QUrl url = home.resolved(QUrl(name.toLower() + QLatin1Char('/')));
    const QByteArray body =
        calendar
            ? "<?xml version=\"1.0\" encoding=\"utf-8\"?><c:mkcalendar xmlns:d=\"DAV:\" "
              "xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:set><d:prop><d:displayname>" +
                  name.toHtmlEscaped().toUtf8() +
                  "</d:displayname><c:supported-calendar-component-set><c:comp "
                  "name=\"VEVENT\"/><c:comp name=\"VTODO\"/></c:supported-calendar-"
                  "component-set></d:prop></d:set></c:mkcalendar>"
            : "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:mkcol xmlns:d=\"DAV:\" "
              "xmlns:r=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop><d:resourcetype>"
              "<d:collection/><r:addressbook/></d:resourcetype><d:displayname>" +
                  name.toHtmlEscaped().toUtf8() + "</d:displayname></d:prop></d:set></d:mkcol>";
    m_client.request(
        calendar ? "MKCALENDAR" : "MKCOL", url, body, {}, [=, this](const DavReply &r) {
            if (r.status == 201) {
                DavCollection c{url, name, {}};
                if (calendar)
                    m_result.calendars << c;
                else
                    m_result.addressBooks << c;
                return emit created(true, {});
            }
            if (r.failure != SyncFailure::None)
                return emit created(false, failureText(r.failure, url.host(), r.detail));
            const QString why = r.status == 403   ? QStringLiteral(": brak uprawnień")
                                : r.status == 405 ? QStringLiteral(": serwer nie tworzy tu "
                                                                   "takich zbiorów")
                                : r.status == 507 ? QStringLiteral(": brak miejsca na serwerze")
                                                  : QString();
            emit created(false, QStringLiteral("Serwer %1 nie utworzył zbioru „%2” (HTTP %3%4). "
                                               "Utwórz go na stronie serwera i wybierz "
                                               "„Połącz” ponownie.")
                                    .arg(url.host(), name)
                                    .arg(r.status)
                                    .arg(why));
        });
}

} // namespace kv
