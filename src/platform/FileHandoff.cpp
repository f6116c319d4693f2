#include "FileHandoff.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace kv {

namespace {
constexpr qsizetype kMaxMessage = 64 * 1024; // a file name and its line end
const QByteArray kTaken = QByteArrayLiteral("ok\n");
} // namespace

QString FileHandoff::socketFor(const QString &lockFile) {
    return QFileInfo(lockFile).absolutePath() + QStringLiteral("/Kelvadrin.exe.socket");
}

FileHandoff::FileHandoff(QString socketPath, QObject *parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {}

FileHandoff::~FileHandoff() {
    if (m_server) {
        m_server->close();
        QLocalServer::removeServer(m_socketPath);
    }
}

bool FileHandoff::listen() {
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &FileHandoff::takeConnection);
    }
    QLocalServer::removeServer(m_socketPath);
    return m_server->listen(m_socketPath);
}

void FileHandoff::takeConnection() {
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto read = [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxMessage)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(kMaxMessage).trimmed();
            socket->write(kTaken);
            socket->flush();
            socket->disconnectFromServer();
            const QString fileName = QString::fromUtf8(line);
            if (fileName.isEmpty())
                return;
            // The import asks in a modal window: the sender is answered first.
            QTimer::singleShot(0, this, [this, fileName] { emit fileReceived(fileName); });
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        if (socket->bytesAvailable() > 0)
            read();
    }
}

bool FileHandoff::send(const QString &socketPath, const QString &fileName, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(fileName.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs))
            break;
        answer += socket.readAll();
    }
    return answer == kTaken;
}

} // namespace kv
