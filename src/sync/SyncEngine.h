#pragma once
// One two-way sync of the stores with a CalDAV calendar and a CardDAV address
// book. Each collection is read first (its changes since the last sync token,
// or its ctag and tags), then planned (SyncPlan.h), then the plan is carried
// out: what it writes here in one registry transaction, then what it sends as
// conditional writes. Whatever moment the process ends at, the next sync finds
// both sides again: an item the two sides hold alike is recognised by its
// content.
#include "DavClient.h"
#include "Multistatus.h"
#include "SyncLocal.h"
#include "SyncPlan.h"
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
    QString server; // as the user gave it: with the user and a collection's
                    // address, it names the collection a state belongs to
    int timeoutMs = 30000;
    bool useSyncCollection = true; // false: the collection's ctag and tags only
    // The user's answers to a guarded plan, for this sync only.
    QMap<SyncKind, GuardAnswer> answers;
    // Kinds left out for now.
    QSet<SyncKind> paused;
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
    QList<SyncGuard> guards; // kinds held until the user answers
    bool ok() const { return failure == SyncFailure::None; }
    bool deleted() const { return removedHere + removedThere > 0; }
    // A sync that found nothing to do: "Synchronizacja zakończona: bez zmian."
    bool unchanged() const;
    // The status line: what changed and what could not be carried, or the error.
    QString text() const;
};

// "terminów", "zadań", "wpisów książki adresowej": the kind's items after a number.
QString kindItems(SyncKind kind);
// What a guarded plan would do, as a clause of a Polish sentence.
QString guardText(const SyncGuard &guard);

class SyncEngine : public QObject {
    Q_OBJECT
public:
    SyncEngine(SyncLocal &local, SyncSettings settings, QObject *parent = nullptr);
    ~SyncEngine() override;

    void start();
    // Ends the sync at once without storing anything more of it (its
    // settings no longer hold); `finished` is not emitted.
    void abort();
    bool running() const { return m_running; }
    // Whether the stores are being written by the sync right now.
    bool settling() const { return m_settling; }
    // For tests of interruption: called before each request and between the
    // address book's file and the registry's commit.
    std::function<void()> checkpoint;
    // For tests: each plan, before anything of it is carried out.
    std::function<void(const SyncPlan &)> planned;
    // Whether the stores may be written now (no import between its reading
    // and its writing); when not, the sync waits for resume() and plans then.
    std::function<bool()> mayWrite;
    void resume();
    bool waiting() const { return m_waiting; }

signals:
    void finished(const kv::SyncReport &report);
    // The stores were written: views of them load again.
    void storesChanged();

private:
    struct Pass {
        QUrl url;
        QList<SyncKind> kinds;
        bool calendar = true;
        bool partial = false; // a kind of the collection left out: its token stays
    };
    struct Push {
        SyncKind kind;
        int number;
        ItemState state; // uid, href and the fingerprint sent
        QString ifMatch; // empty: a new item
        QByteArray body;
        bool remove = false;
        int tries = 0; // sent again after "423 Locked"
    };

    void nextPass();
    void list(bool full);
    void listByTags(const QString &savedCtag);
    void fetch(QStringList paths, std::function<void()> then);
    // The reply's multistatus; nothing, with the sync failed, when it has none.
    std::optional<Multistatus> multistatusOf(const DavReply &reply);
    void settle();
    void execute(const SyncPlan &plan);
    QString collection() const;
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
    bool m_waiting = false;
    QList<Pass> m_passes;
    Pass m_pass;
    int m_round = 0;
    Listing m_listing;
    QList<Push> m_pushes;
    int m_inFlight = 0;
    int m_parallel = 4; // writes in flight at once; one after the server says it is locked
    bool m_again = false;
    QList<std::pair<SyncKind, std::pair<int, std::optional<ItemState>>>> m_results;
    SyncReport m_report;
};

} // namespace kv
