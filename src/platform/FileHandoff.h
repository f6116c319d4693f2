#pragma once
// A file opened while the program runs already: the second copy hands the
// file's name to the running copy through a local socket beside the
// single-instance lock (in the user's private runtime folder) and ends.
// Plain Unix-domain sockets watched by the event loop: no network library is
// loaded for it.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

class QSocketNotifier;

namespace kv {

class FileHandoff : public QObject {
    Q_OBJECT
public:
    // The socket beside a single-instance lock file.
    static QString socketFor(const QString &lockFile);

    // The running copy's side; `listen` makes it take files.
    explicit FileHandoff(QString socketPath, QObject *parent = nullptr);
    ~FileHandoff() override;
    // Only the copy that holds the single-instance lock may call this: a
    // socket left by an ended copy is removed. False when it cannot listen.
    bool listen();

    // The second copy's side: true when the running copy has taken the name.
    // The running copy holds the lock a moment before it listens: until the
    // time-out the socket is tried again, and `waiting` is called once when
    // the first try finds nobody listening.
    static bool send(const QString &socketPath, const QString &fileName, int timeoutMs = 5000,
                     const std::function<void()> &waiting = {});

signals:
    // A file name handed over; emitted after the sender has been answered.
    void fileReceived(const QString &fileName);

private:
    struct Connection {
        QSocketNotifier *notifier = nullptr;
        QByteArray received;
    };
    void takeConnections();
    void readFrom(int fd);
    void drop(int fd);
    void closeServer();

    QString m_socketPath;
    int m_server = -1;
    QSocketNotifier *m_serverNotifier = nullptr;
    std::map<int, Connection> m_connections;
};

} // namespace kv
