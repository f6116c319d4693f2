#include "DavClient.h"

#include "DavWire.h"
#include "platform/Module.h"

#include <QCoreApplication>
#include <QPointer>
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

namespace {

// Request numbers run on from one client to the next, so that a reply to a
// request of a client that has ended is never taken for another's.
quint32 g_lastId = 0;

// A helper whose client has ended, kept a few seconds for the next client of
// the same user: a sync soon after another ("Połącz" and the sync after it,
// "Synchronizuj teraz", a change soon after a sync) starts no new process.
class Spare : public QObject {
public:
    static constexpr int kKeepMs = 5000;

    static void keep(std::unique_ptr<QProcess> helper, QByteArray buffer,
                     QByteArray authorization) {
        Spare *spare = instance();
        if (!spare)
            return; // no event loop to end it later: it ends now
        spare->drop();
        spare->m_helper = std::move(helper);
        spare->m_buffer = std::move(buffer);
        spare->m_authorization = std::move(authorization);
        // What arrives meanwhile (replies to requests aborted) is kept with it.
        connect(spare->m_helper.get(), &QProcess::readyReadStandardOutput, spare,
                [spare] { spare->m_buffer += spare->m_helper->readAllStandardOutput(); });
        connect(spare->m_helper.get(), &QProcess::finished, spare, [spare] {
            spare->m_helper.release()->deleteLater();
            spare->m_timer.stop();
        });
        spare->m_timer.start();
    }

    static std::unique_ptr<QProcess> take(const QByteArray &authorization, QByteArray *buffer) {
        Spare *spare = s_instance;
        if (!spare || !spare->m_helper)
            return nullptr;
        if (spare->m_authorization != authorization ||
            spare->m_helper->state() != QProcess::Running) {
            spare->drop();
            return nullptr;
        }
        spare->m_timer.stop();
        spare->m_helper->disconnect(spare);
        spare->m_buffer += spare->m_helper->readAllStandardOutput();
        *buffer = std::exchange(spare->m_buffer, {});
        return std::move(spare->m_helper);
    }

private:
    explicit Spare(QObject *parent) : QObject(parent) {
        m_timer.setSingleShot(true);
        m_timer.setInterval(kKeepMs);
        connect(&m_timer, &QTimer::timeout, this, &Spare::drop);
    }

    // With the program: every helper still here ends, the kept one too.
    ~Spare() override {
        if (m_helper) {
            m_helper->disconnect(this);
            m_helper->closeWriteChannel();
            m_helper.release()->setParent(this);
        }
        for (QProcess *helper : findChildren<QProcess *>(Qt::FindDirectChildrenOnly)) {
            helper->disconnect();
            if (!helper->waitForFinished(1000))
                helper->kill();
            helper->waitForFinished(1000);
        }
    }

    static Spare *instance() {
        if (!s_instance && QCoreApplication::instance())
            s_instance = new Spare(QCoreApplication::instance());
        return s_instance;
    }

    // Its input closed, the helper ends by itself; one that does not is
    // ended a second later. It is gone with the program at the latest.
    void drop() {
        m_timer.stop();
        m_buffer.clear();
        if (!m_helper)
            return;
        QProcess *helper = m_helper.release();
        helper->disconnect(this);
        helper->setParent(this);
        connect(helper, &QProcess::finished, helper, &QObject::deleteLater);
        helper->closeWriteChannel();
        QTimer::singleShot(1000, helper, [helper] { helper->kill(); });
    }

    static inline QPointer<Spare> s_instance;
    std::unique_ptr<QProcess> m_helper;
    QByteArray m_buffer;
    QByteArray m_authorization;
    QTimer m_timer;
};

} // namespace

DavClient::DavClient(QString user, QString password, int timeoutMs, QObject *parent)
    : QObject(parent), m_timeoutMs(timeoutMs) {
    m_authorization = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

DavClient::~DavClient() {
    release();
}

void DavClient::release() {
    if (!m_helper)
        return;
    m_helper->disconnect(this);
    if (m_helper->state() == QProcess::Running) {
        if (!m_waiting.isEmpty())
            m_helper->write(wire::frame(wire::Request{})); // abort what is in flight
        m_waiting.clear();
        Spare::keep(std::move(m_helper), std::move(m_buffer), m_authorization);
    } else {
        m_helper.release()->deleteLater(); // this may run inside one of its signals
    }
    m_buffer.clear();
}

void DavClient::adopt(std::unique_ptr<QProcess> helper) {
    if (m_helper) // a helper that ended; this may run inside one of its signals
        m_helper.release()->deleteLater();
    m_helper = std::move(helper);
    connect(m_helper.get(), &QProcess::readyReadStandardOutput, this, &DavClient::readReplies);
    connect(m_helper.get(), &QProcess::finished, this, [this] {
        readReplies(); // what it said before it ended
        if (!m_waiting.isEmpty())
            helperLost(QStringLiteral("moduł sieci programu przerwał pracę."));
    });
    if (!m_buffer.isEmpty())
        QTimer::singleShot(0, this, &DavClient::readReplies);
}

bool DavClient::started() {
    if (m_helper && m_helper->state() != QProcess::NotRunning)
        return true;
    std::unique_ptr<QProcess> helper = Spare::take(m_authorization, &m_buffer);
    if (!helper) {
        const QString program = module::helper("kelvadrin-dav");
        if (program.isEmpty())
            return false;
        helper = std::make_unique<QProcess>();
        helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper->start(program, {}, QIODevice::ReadWrite | QIODevice::Unbuffered);
        if (!helper->waitForStarted(5000))
            return false;
        m_buffer.clear();
    }
    adopt(std::move(helper));
    return true;
}

void DavClient::request(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                        const DavHeaders &headers, std::function<void(const DavReply &)> done) {
    wire::Request r{++g_lastId, verb, url, body, headers, m_timeoutMs};
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
    m_helper->write(wire::frame(r));
}

void DavClient::readReplies() {
    m_buffer += m_helper->readAllStandardOutput();
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
    if (m_helper && m_helper->state() != QProcess::NotRunning) {
        m_helper->kill();
        m_helper->waitForFinished(1000);
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
    if (m_helper && m_helper->state() == QProcess::Running)
        m_helper->write(wire::frame(wire::Request{}));
}

} // namespace kv
