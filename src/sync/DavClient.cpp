#include "DavClient.h"

#include "DavWire.h"
#include "platform/Module.h"

#include <QTimer>

namespace kv {

QString failureText(SyncFailure failure, const QString &host, const QString &detail) {
    const QString head = QStringLiteral("Synchronizacja nie powiodła się: ");
    switch (failure) {
    case SyncFailure::None:
        return {};
    case SyncFailure::Unreachable:
        return head + QStringLiteral("serwer %1 jest nieosiągalny.").arg(host);
    case SyncFailure::HostNotFound:
        return head + QStringLiteral("nie znaleziono serwera %1.").arg(host);
    case SyncFailure::Tls:
        return head +
               QStringLiteral("certyfikat serwera %1 nie jest zaufany (%2).").arg(host, detail);
    case SyncFailure::Timeout:
        return head + QStringLiteral("serwer %1 nie odpowiedział na czas.").arg(host);
    case SyncFailure::Unauthorized:
        return head + QStringLiteral("serwer nie przyjął nazwy użytkownika lub hasła.");
    case SyncFailure::Forbidden:
        return head + QStringLiteral("serwer odmówił dostępu do kalendarza lub książki adresowej.");
    case SyncFailure::Gone:
        return head + QStringLiteral("kalendarza lub książki adresowej nie ma już na serwerze; "
                                     "połącz się ponownie w oknie synchronizacji.");
    case SyncFailure::Full:
        return head + QStringLiteral("na serwerze zabrakło miejsca.");
    case SyncFailure::ServerError:
        return head + QStringLiteral("błąd serwera (%1).").arg(detail);
    case SyncFailure::Malformed:
        return head + QStringLiteral("serwer przysłał niezrozumiałą odpowiedź.");
    case SyncFailure::Local:
        break;
    }
    return head + detail;
}

SyncFailure failureOfStatus(int status) {
    if (status >= 200 && status < 300)
        return SyncFailure::None;
    switch (status) {
    case 401:
        return SyncFailure::Unauthorized;
    case 403:
        return SyncFailure::Forbidden;
    case 404:
    case 410:
        return SyncFailure::Gone;
    case 507:
        return SyncFailure::Full;
    default:
        return SyncFailure::ServerError;
    }
}

DavFault faultOf(const DavReply &reply) {
    const QString status = QStringLiteral("HTTP %1").arg(reply.status);
    if (reply.failure != SyncFailure::None)
        return {reply.failure, reply.detail.isEmpty() ? status : reply.detail};
    const SyncFailure f = failureOfStatus(reply.status);
    return {reply.status == 207 || f == SyncFailure::None ? SyncFailure::Malformed : f, status};
}

DavClient::DavClient(QString user, QString password, int timeoutMs, QObject *parent)
    : QObject(parent), m_timeoutMs(timeoutMs) {
    m_authorization = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
    m_helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_helper, &QProcess::readyReadStandardOutput, this, &DavClient::readReplies);
    connect(&m_helper, &QProcess::finished, this, [this] {
        readReplies(); // what it said before it ended
        if (!m_waiting.isEmpty())
            helperLost(QStringLiteral("moduł sieci programu przerwał pracę."));
    });
}

DavClient::~DavClient() {
    m_helper.disconnect(this);
    if (m_helper.state() == QProcess::NotRunning)
        return;
    // Its input closed, the helper ends by itself; one that does not is ended.
    m_helper.closeWriteChannel();
    if (!m_helper.waitForFinished(1000))
        m_helper.kill();
    m_helper.waitForFinished(1000);
}

bool DavClient::started() {
    if (m_helper.state() != QProcess::NotRunning)
        return true;
    const QString program = module::helper("kelvadrin-dav");
    if (program.isEmpty())
        return false;
    m_buffer.clear();
    m_helper.start(program, {}, QIODevice::ReadWrite | QIODevice::Unbuffered);
    return m_helper.waitForStarted(5000);
}

void DavClient::request(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                        const DavHeaders &headers, std::function<void(const DavReply &)> done) {
    wire::Request r{++m_lastId, verb, url, body, headers, m_timeoutMs};
    r.headers.prepend(qMakePair(QByteArray("User-Agent"), QByteArray("Kelvadrin")));
    r.headers.prepend(qMakePair(QByteArray("Authorization"), m_authorization));
    bool typed = false;
    for (const auto &header : headers)
        typed = typed || header.first.compare("Content-Type", Qt::CaseInsensitive) == 0;
    if (!body.isEmpty() && !typed)
        r.headers.append(
            qMakePair(QByteArray("Content-Type"), QByteArray("application/xml; charset=utf-8")));
    ++m_requests;
    if (!started()) {
        // Said as a reply, after the caller has returned, as any other.
        QTimer::singleShot(0, this, [done = std::move(done)] {
            DavReply out;
            out.failure = SyncFailure::Local;
            out.detail = QStringLiteral("nie można uruchomić modułu sieci programu "
                                        "(kelvadrin-dav).");
            done(out);
        });
        return;
    }
    m_waiting.insert(r.id, std::move(done));
    m_helper.write(wire::frame(r));
}

void DavClient::readReplies() {
    m_buffer += m_helper.readAllStandardOutput();
    while (const auto body = wire::nextFrame(m_buffer)) {
        const auto reply = wire::readReply(*body);
        if (!reply) {
            helperLost(QStringLiteral("moduł sieci programu przysłał niezrozumiałą odpowiedź."));
            return;
        }
        // A reply to a request aborted meanwhile is nobody's.
        auto done = m_waiting.take(reply->id);
        if (done)
            done(reply->reply);
    }
}

void DavClient::helperLost(const QString &why) {
    const auto waiting = std::exchange(m_waiting, {});
    // The next request starts a new helper.
    if (m_helper.state() != QProcess::NotRunning) {
        m_helper.kill();
        m_helper.waitForFinished(1000);
    }
    m_buffer.clear();
    for (const auto &done : waiting) {
        DavReply out;
        out.failure = SyncFailure::Local;
        out.detail = why;
        done(out);
    }
}

void DavClient::abortAll() {
    m_waiting.clear();
    if (m_helper.state() == QProcess::Running)
        m_helper.write(wire::frame(wire::Request{}));
}

} // namespace kv
