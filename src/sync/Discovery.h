#pragma once
// Finding a user's calendars and address books from a server's address:
// the well-known addresses and the current user's principal (RFC 6764),
// its calendar and address book homes, and the collections in them.
#include "DavClient.h"

#include <QObject>
#include <QUrl>

namespace kv {

struct DavCollection {
    QUrl url;
    QString name;
    QStringList components; // of a calendar; empty: any
};

struct DiscoveryResult {
    SyncFailure failure = SyncFailure::None;
    QString detail;
    QUrl calendarHome;
    QUrl addressBookHome;
    QList<DavCollection> calendars;
    QList<DavCollection> addressBooks;
};

class Discovery : public QObject {
    Q_OBJECT
public:
    Discovery(QUrl server, QString user, QString password, QObject *parent = nullptr);
    void start();
    const DiscoveryResult &result() const { return m_result; }
    // Makes a calendar (or an address book) named `name` in the home found.
    void create(bool calendar, const QString &name);

signals:
    void finished(const kv::DiscoveryResult &result);
    void created(bool ok, const QString &text);

private:
    void propfind(const QUrl &url, const QByteArray &props, int depth, int redirects,
                  std::function<void(const QUrl &, const struct Multistatus &)> then);
    void findPrincipal(const QStringList &candidates);
    void listHomes(const QUrl &principal);
    void listCollections();
    void fail(const DavReply &reply);

    QUrl m_server;
    DavClient m_client;
    DiscoveryResult m_result;
};

} // namespace kv
