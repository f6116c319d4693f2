#pragma once
// WebDAV requests, all asynchronous: the reply comes to a callback on the
// thread's event loop. Credentials go with every request (no extra round trip
// for a challenge). The requests are made by the network helper
// (kelvadrin-dav, started with the first request; when the client ends it is
// kept a few seconds for the next one, then ended), so that Qt Network and
// its TLS backend are held only while a sync runs;
// certificates are checked there against the system's store and an untrusted
// one ends the request.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

namespace kv {

enum class SyncFailure {
    None,
    Unreachable,
    HostNotFound,
    Tls,
    Timeout,
    Unauthorized,
    Forbidden,
    Gone,
    Full,
    ServerError,
    Malformed,
    Local,
};

// The one Polish sentence of a failed sync.
QString failureText(SyncFailure failure, const QString &host, const QString &detail = {});
// The failure an HTTP status stands for (None for 2xx).
SyncFailure failureOfStatus(int status);

struct DavReply {
    int status = 0; // 0: no HTTP answer (see failure)
    QByteArray body;
    QByteArray etag;
    QByteArray location;
    SyncFailure failure = SyncFailure::None; // of the transport
    QString detail;
};

// The one reading of a reply that is not the answer wanted: the transport's
// failure, else the HTTP status's; a success of the wrong kind (a 207 that
// is no multistatus, a 2xx where a multistatus was due) is Malformed. The
// detail names the status where the transport gave none.
struct DavFault {
    SyncFailure failure;
    QString detail;
};
DavFault faultOf(const DavReply &reply);

using DavHeaders = QList<QPair<QByteArray, QByteArray>>;

class DavClient : public QObject {
    Q_OBJECT
public:
    DavClient(QString user, QString password, int timeoutMs, QObject *parent = nullptr);
    ~DavClient() override;

    void request(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                 const DavHeaders &headers, std::function<void(const DavReply &)> done);
    // Requests sent since the client was made.
    int requests() const { return m_requests; }
    // Ends every request in flight; their callbacks are not called.
    void abortAll();
    // Done with requests for now: requests in flight end as by abortAll and
    // the helper is kept for the next client (a later request starts one).
    void release();

private:
    bool started();
    void readReplies();
    // The helper is gone: every request in flight ends as unreachable.
    void helperLost(const QString &why);

    void adopt(std::unique_ptr<QProcess> helper);

    std::unique_ptr<QProcess> m_helper;
    QByteArray m_buffer;
    QHash<quint32, std::function<void(const DavReply &)>> m_waiting;
    QByteArray m_authorization;
    int m_timeoutMs;
    int m_requests = 0;
};

} // namespace kv
