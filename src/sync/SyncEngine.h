#pragma once
// One two-way sync of the stores with a CalDAV calendar and a CardDAV address
// book. Each collection is read first (its changes since the last sync token,
// or its ctag and tags), then what changed on each side is settled here in
// one registry transaction, then local changes go out as conditional writes.
// Whatever moment the process ends at, the next sync finds both sides again:
// an item the two sides hold alike is recognised by its content.
#include "DavClient.h"
#include "Multistatus.h"
#include "SyncLocal.h"
#include "interchange/ImportReport.h"

#include <QObject>
#include <QUrl>

namespace kv {

struct SyncSettings {
    QUrl calendar;    // appointments (and tasks when taskList is empty)
    QUrl taskList;    // tasks, when the server keeps them apart
    QUrl addressBook; // address entries
    QString user;
    QString password;
    int timeoutMs = 30000;
    bool useSyncCollection = true; // false: the collection's ctag and tags only
};

struct SyncReport {
    SyncFailure failure = SyncFailure::None;
    QString detail;
    QString host;
    int pulled = 0; // items new or changed here
    int pushed = 0; // items sent
    int removedHere = 0;
    int removedThere = 0;
    int conflicts = 0;
    int archived = 0;        // appointments of a conflict kept in the archive
    RefusalCounts leftThere; // server items this program cannot hold
    int unsent = 0;          // items here that would not read back alike there
    int requests = 0;
    bool ok() const { return failure == SyncFailure::None; }
    // The status line: what changed and what could not be carried, or the error.
    QString text() const;
};

class SyncEngine : public QObject {
    Q_OBJECT
public:
    SyncEngine(SyncLocal &local, SyncSettings settings, QObject *parent = nullptr);
    ~SyncEngine() override;

    void start();
    bool running() const { return m_running; }
    // Whether the stores are being written by the sync right now.
    bool settling() const { return m_settling; }
    // For tests of interruption: called before each request and between the
    // address book's file and the registry's commit.
    std::function<void()> checkpoint;

signals:
    void finished(const kv::SyncReport &report);
    // The stores were written: views of them load again.
    void storesChanged();

private:
    struct Pass {
        QUrl url;
        QList<SyncKind> kinds;
        bool calendar = true;
    };
    struct ServerItem {
        QString etag;
        QByteArray data;
    };
    struct Listing {
        QMap<QString, ServerItem> changed; // by path
        QSet<QString> removed;
        bool full = false;
        QString token;
    };
    struct Push {
        SyncKind kind;
        int number;
        ItemState state; // uid, href and the fingerprint sent
        QString ifMatch; // empty: a new item
        QByteArray body;
        bool remove = false;
    };

    void nextPass();
    void list(bool full);
    void listByTags(const QString &savedCtag);
    void fetch(QStringList paths, std::function<void()> then);
    // The reply's multistatus; nothing, with the sync failed, when it has none.
    std::optional<Multistatus> multistatusOf(const DavReply &reply);
    void settle();
    void pushAll();
    void pushDone();
    void fail(SyncFailure failure, const QString &detail = {});
    bool saveResults();
    void finish();
    void send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
              const DavHeaders &headers, std::function<void(const DavReply &)> done);
    QString pathOf(const QString &href) const;
    QUrl urlOf(const QString &path) const;
    QByteArray propBody(bool data) const;

    SyncLocal &m_local;
    SyncSettings m_settings;
    DavClient *m_client = nullptr;
    bool m_running = false;
    bool m_settling = false;
    QList<Pass> m_passes;
    Pass m_pass;
    int m_round = 0;
    Listing m_listing;
    QList<Push> m_pushes;
    int m_inFlight = 0;
    bool m_again = false;
    QList<std::pair<SyncKind, std::pair<int, std::optional<ItemState>>>> m_results;
    SyncReport m_report;
};

} // namespace kv
