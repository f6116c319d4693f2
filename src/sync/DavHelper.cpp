// kelvadrin-dav: the program's requests to a calendar server, made with Qt
// Network in a process of their own, so that the program itself never holds
// Qt Network, its TLS backend, the keyring's libraries and their own. It
// reads requests on its standard input and writes the replies on its
// standard output (DavWire.h); it ends when its input closes, that is when
// the program is done with it or is gone. Certificates are checked against
// the system's store and an untrusted one ends the request.
//   kelvadrin-dav --keyring-read KEY    prints the password kept under KEY
//   kelvadrin-dav --keyring-write KEY   keeps its standard input under KEY
// (the service "Kelvadrin"); status 1 when there is no keyring or no password.
#include "DavWire.h"

#include <QCoreApplication>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSocketNotifier>
#include <QSslError>
#include <qt6keychain/keychain.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

using kv::DavReply;
using kv::SyncFailure;

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

DavReply replyOf(QNetworkReply *reply, const QString &sslDetail) {
    DavReply out;
    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isOpen())
        out.body = reply->readAll();
    out.etag = reply->rawHeader("ETag");
    out.location = reply->rawHeader("Location");
    if (out.status != 0)
        return out;
    switch (reply->error()) {
    case QNetworkReply::HostNotFoundError:
        out.failure = SyncFailure::HostNotFound;
        break;
    case QNetworkReply::SslHandshakeFailedError:
        out.failure = SyncFailure::Tls;
        out.detail = sslDetail.isEmpty()
                         ? QStringLiteral("nie udało się nawiązać bezpiecznego połączenia")
                         : sslDetail;
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
    return out;
}

// The whole frame, or the program is gone and so is the point of going on.
void send(const QByteArray &frame) {
    qsizetype done = 0;
    while (done < frame.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, frame.constData() + done, frame.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            QCoreApplication::exit(1);
            return;
        }
        done += n;
    }
}

class Helper : public QObject {
public:
    Helper() : m_input(STDIN_FILENO, QSocketNotifier::Read) {
        // Redirects are followed by the program, which knows which ones to trust.
        m_nam.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        connect(&m_input, &QSocketNotifier::activated, this, &Helper::readInput);
    }

private:
    void readInput() {
        char chunk[65536];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0) { // the program is done with us
            m_input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        m_buffer.append(chunk, n);
        while (const auto body = kv::wire::nextFrame(m_buffer)) {
            const auto request = kv::wire::readRequest(*body);
            if (!request) {
                QCoreApplication::exit(2);
                return;
            }
            if (request->verb.isEmpty())
                abortAll();
            else
                start(*request);
        }
    }

    void start(const kv::wire::Request &r) {
        QNetworkRequest request(r.url);
        for (const auto &[name, value] : r.headers)
            request.setRawHeader(name, value);
        request.setTransferTimeout(r.timeoutMs);
        QNetworkReply *reply = m_nam.sendCustomRequest(request, r.verb, r.body);
        auto sslDetail = std::make_shared<QString>();
        connect(reply, &QNetworkReply::sslErrors, reply,
                [sslDetail](const QList<QSslError> &errors) {
                    if (!errors.isEmpty())
                        *sslDetail = certificateFault(errors.first());
                });
        connect(reply, &QNetworkReply::finished, this, [this, reply, sslDetail, id = r.id] {
            reply->deleteLater();
            m_inFlight.remove(id);
            send(kv::wire::frame(kv::wire::Reply{id, replyOf(reply, *sslDetail)}));
        });
        m_inFlight.insert(r.id, reply);
    }

    // The aborted requests are not answered.
    void abortAll() {
        const auto inFlight = std::exchange(m_inFlight, {});
        for (const QPointer<QNetworkReply> &reply : inFlight)
            if (reply) {
                reply->disconnect(this);
                reply->abort();
                reply->deleteLater();
            }
    }

    QNetworkAccessManager m_nam;
    QSocketNotifier m_input;
    QByteArray m_buffer;
    QHash<quint32, QPointer<QNetworkReply>> m_inFlight;
};

// One read or write of the keyring; the status says how it went.
int keyring(QCoreApplication &app, const char *mode, const QString &key) {
    const QString service = QStringLiteral("Kelvadrin");
    QKeychain::Job *job = nullptr;
    if (std::strcmp(mode, "--keyring-read") == 0) {
        job = new QKeychain::ReadPasswordJob(service, &app);
    } else {
        QByteArray password;
        char chunk[4096];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;)
            password.append(chunk, qsizetype(n));
        auto *write = new QKeychain::WritePasswordJob(service, &app);
        write->setTextData(QString::fromUtf8(password));
        job = write;
    }
    job->setAutoDelete(false);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, &app, [&app, job] {
        if (job->error() != QKeychain::NoError)
            return app.exit(1);
        if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(job))
            send(read->textData().toUtf8());
        app.exit(0);
    });
    job->start();
    return app.exec();
}

} // namespace

int main(int argc, char **argv) {
    // Gone with the program, even one killed outright.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1)
        return 0;
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    if (argc == 3 && (std::strcmp(argv[1], "--keyring-read") == 0 ||
                      std::strcmp(argv[1], "--keyring-write") == 0))
        return keyring(app, argv[1], QString::fromLocal8Bit(argv[2]));
    Helper helper;
    return app.exec();
}
