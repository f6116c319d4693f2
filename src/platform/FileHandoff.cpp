#include "FileHandoff.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kv {

namespace {
constexpr qsizetype kMaxMessage = 64 * 1024; // a file name and its line end
const QByteArray kTaken = QByteArrayLiteral("ok\n");

// The socket's address; false when the path does not fit into one.
bool addressOf(const QString &path, sockaddr_un &address) {
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || encoded.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

// Waits until the socket may be read or written; false on time-out.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd watched{fd, events, 0};
        const int n = ::poll(&watched, 1, int(left.count()));
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return false;
    }
}
} // namespace

QString FileHandoff::socketFor(const QString &lockFile) {
    return QFileInfo(lockFile).absolutePath() + QStringLiteral("/Kelvadrin.exe.socket");
}

FileHandoff::FileHandoff(QString socketPath, QObject *parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {}

FileHandoff::~FileHandoff() {
    while (!m_connections.empty())
        drop(m_connections.begin()->first);
    if (m_server >= 0) {
        closeServer();
        ::unlink(QFile::encodeName(m_socketPath).constData());
    }
}

void FileHandoff::closeServer() {
    delete m_serverNotifier;
    m_serverNotifier = nullptr;
    ::close(m_server);
    m_server = -1;
}

bool FileHandoff::listen() {
    if (m_server >= 0)
        closeServer();
    sockaddr_un address;
    if (!addressOf(m_socketPath, address))
        return false;
    ::unlink(address.sun_path);
    m_server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_server < 0)
        return false;
    // The user's own, whatever the runtime folder allows.
    const mode_t mask = ::umask(0077);
    const bool bound =
        ::bind(m_server, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(m_server, 8) != 0) {
        closeServer();
        return false;
    }
    m_serverNotifier = new QSocketNotifier(m_server, QSocketNotifier::Read, this);
    connect(m_serverNotifier, &QSocketNotifier::activated, this, &FileHandoff::takeConnections);
    return true;
}

void FileHandoff::takeConnections() {
    for (;;) {
        const int fd = ::accept4(m_server, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        m_connections[fd] = Connection{notifier, {}};
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { readFrom(fd); });
    }
}

void FileHandoff::readFrom(int fd) {
    Connection &connection = m_connections[fd];
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            connection.received.append(buffer, n);
            if (connection.received.size() > kMaxMessage)
                return drop(fd);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        return drop(fd); // the sender went away before its line was whole
    }
    const qsizetype end = connection.received.indexOf('\n');
    if (end < 0)
        return;
    const QString fileName = QString::fromUtf8(connection.received.left(end).trimmed());
    // Three bytes always fit into an empty socket buffer.
    [[maybe_unused]] const ssize_t written = ::write(fd, kTaken.constData(), size_t(kTaken.size()));
    drop(fd);
    if (fileName.isEmpty())
        return;
    // The import asks in a modal window: the sender is answered first.
    QTimer::singleShot(0, this, [this, fileName] { emit fileReceived(fileName); });
}

void FileHandoff::drop(int fd) {
    const auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    found->second.notifier->setEnabled(false);
    found->second.notifier->deleteLater();
    m_connections.erase(found);
    ::close(fd);
}

namespace {
// Connects to the running copy's socket. The copy takes the single-instance
// lock a moment before it listens, so a socket that is not there yet or not
// listening is tried again until the deadline. -1 when none answered.
int connectTo(const sockaddr_un &address, std::chrono::steady_clock::time_point deadline,
              const std::function<void()> &waiting) {
    bool toldWaiting = false;
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return -1;
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 ||
            (errno == EAGAIN && waitFor(fd, POLLOUT, deadline)))
            return fd;
        const int reason = errno;
        ::close(fd);
        if ((reason != ENOENT && reason != ECONNREFUSED) ||
            std::chrono::steady_clock::now() >= deadline)
            return -1;
        if (!toldWaiting && waiting) {
            toldWaiting = true;
            waiting();
        }
        ::poll(nullptr, 0, 20);
    }
}
} // namespace

bool FileHandoff::send(const QString &socketPath, const QString &fileName, int timeoutMs,
                       const std::function<void()> &waiting) {
    sockaddr_un address;
    if (!addressOf(socketPath, address))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const int fd = connectTo(address, deadline, waiting);
    if (fd < 0)
        return false;
    const QByteArray message = fileName.toUtf8() + '\n';
    qsizetype sent = 0;
    while (sent < message.size()) {
        const ssize_t n =
            ::send(fd, message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!waitFor(fd, POLLOUT, deadline))
                break;
        } else
            break;
    }
    QByteArray answer;
    while (sent == message.size() && !answer.contains('\n') && answer.size() < 16) {
        char buffer[16];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            answer.append(buffer, n);
        else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!waitFor(fd, POLLIN, deadline))
                break;
        } else
            break;
    }
    const bool taken = answer == kTaken;
    ::close(fd);
    return taken;
}

} // namespace kv
