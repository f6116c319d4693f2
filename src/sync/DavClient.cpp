#include "DavClient.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

namespace kv {

namespace {
// A certificate's fault in a sentence of this program's own.
QString certificateFault(const QSslError &e) {
    switch (e.error()) {
    case QSslError::CertificateExpired:
        return QStringLiteral("jego ważność wygasła");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("nie jest jeszcze ważny");
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
        return QStringLiteral("serwer sam go podpisał");
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return QStringLiteral("wystawca certyfikatu jest nieznany");
    case QSslError::HostNameMismatch:
        return QStringLiteral("certyfikat wystawiono dla innego serwera");
    case QSslError::CertificateRevoked:
        return QStringLiteral("certyfikat unieważniono");
    default:
        break;
    }
    return QStringLiteral("nie można go sprawdzić");
}
} // namespace

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
    // Redirects are followed by the caller, who knows which ones to trust.
    m_nam.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

void DavClient::request(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                        const DavHeaders &headers, std::function<void(const DavReply &)> done) {
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", m_authorization);
    request.setRawHeader("User-Agent", "Kelvadrin");
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    if (!body.isEmpty() && !request.hasRawHeader("Content-Type"))
        request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    request.setTransferTimeout(m_timeoutMs);
    ++m_requests;
    QNetworkReply *reply = m_nam.sendCustomRequest(request, verb, body);
    auto sslDetail = std::make_shared<QString>();
    connect(reply, &QNetworkReply::sslErrors, reply, [sslDetail](const QList<QSslError> &errors) {
        if (!errors.isEmpty())
            *sslDetail = certificateFault(errors.first());
    });
    connect(reply, &QNetworkReply::finished, this, [reply, sslDetail, done = std::move(done)] {
        reply->deleteLater();
        DavReply out;
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->isOpen())
            out.body = reply->readAll();
        out.etag = reply->rawHeader("ETag");
        out.location = reply->rawHeader("Location");
        if (out.status == 0) {
            switch (reply->error()) {
            case QNetworkReply::HostNotFoundError:
                out.failure = SyncFailure::HostNotFound;
                break;
            case QNetworkReply::SslHandshakeFailedError:
                out.failure = SyncFailure::Tls;
                out.detail = sslDetail->isEmpty()
                                 ? QStringLiteral("nie udało się nawiązać bezpiecznego połączenia")
                                 : *sslDetail;
                break;
            case QNetworkReply::TimeoutError:
            case QNetworkReply::OperationCanceledError:
                out.failure = SyncFailure::Timeout;
                break;
            default:
                out.failure = SyncFailure::Unreachable;
                out.detail = reply->errorString();
                break;
            }
        }
        done(out);
    });
}

void DavClient::abortAll() {
    for (QNetworkReply *reply : m_nam.findChildren<QNetworkReply *>()) {
        reply->disconnect(this);
        reply->abort();
    }
}

} // namespace kv
