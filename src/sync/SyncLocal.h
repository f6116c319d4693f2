#pragma once
// What the sync reads and writes here: the items of the three stores as the
// server carries them, and the sync state kept beside them in the registry
// (for each item its identity, address on the server, the server's version
// tag and a fingerprint of the content both sides last agreed on).
#include "addressbook/AddressFile.h"
#include "addressbook/Vcard.h"
#include "appointments/AppointmentStore.h"
#include "appointments/Icalendar.h"
#include "platform/Interfaces.h"
#include "tasks/TaskStore.h"

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <optional>

namespace kv {

enum class SyncKind { Events, Tasks, Contacts };

// One item as the program holds it; only the part of its kind is used.
struct SyncContent {
    CalendarEvent event;
    CalendarTask task;
    AddressRecord card;
};

struct LocalItem {
    QString fingerprint;
    SyncContent content;
};

// A server item read: the content when the program can hold it exactly.
struct ServerContent {
    SyncKind kind = SyncKind::Events;
    QString uid;
    std::optional<SyncContent> content;
    QString fingerprint;
    ImportRefusal refusal = ImportRefusal::Unreadable;
};

// What both sides last agreed on for the item at one local number. An empty
// tag marks an item sent as new whose arrival was not yet confirmed.
struct ItemState {
    QString uid;
    QString href;
    QString etag;
    QString fingerprint;
    // The server's copy as last read or sent: a change made here is laid over
    // it, so that what this program does not keep of the item stays there.
    QByteArray data;
    // Sent as new after the kept token was listed: a listing of the changes
    // since that token need not name it, unless it still is there.
    bool fresh = false;
    bool operator==(const ItemState &) const = default;
};

class SyncLocal {
public:
    // folder: where the address book and the archive live; the clock (the
    // system's when null) tells the day a to-do without one is added on.
    SyncLocal(Registry &registry, QString folder, const IClock *clock = nullptr);

    Registry &registry() { return m_registry; }

    // The items held now, by local number; a failure when the store cannot be read.
    Result<QMap<int, LocalItem>> items(SyncKind kind);
    static QString fingerprint(SyncKind kind, const SyncContent &content);
    static QByteArray serialize(SyncKind kind, const SyncContent &content, const QString &uid,
                                QByteArrayView serverCopy = {});
    // A calendar resource (one VEVENT or VTODO) or one vCard; a to-do
    // without a day of its own is added `today`.
    static ServerContent parse(bool calendar, QByteArrayView data, QDate today);
    QDate today() const;
    static QString fileSuffix(SyncKind kind);

    // The local numbers an item coming in may take, lowest first (a slot is
    // free when it holds no date, time, message nor armed flag).
    QList<int> freePlaces(SyncKind kind);

    // Writes of one sync step. For appointments and tasks they go into the
    // running registry transaction; address entries are written to the
    // image read by items() and stored by commitContacts().
    void put(SyncKind kind, int n, const SyncContent &content);
    void remove(SyncKind kind, int n);
    bool commitContacts();
    // The message of an appointment that found no slot, kept in the archive.
    bool archive(const SyncContent &content);

    // The name of a collection a state belongs to.
    static QString collectionId(const QString &server, const QString &user, const QString &url);

    // --- the sync state, kept for one collection per kind: read only for
    // the collection it belongs to (empty for another one)
    QMap<int, ItemState> states(SyncKind kind, const QString &collection);
    QString token(SyncKind kind, const QString &collection);
    // Makes the kind's state the collection's, forgetting another one's.
    void bind(SyncKind kind, const QString &collection);
    void putState(SyncKind kind, int n, const ItemState &state);
    void dropState(SyncKind kind, int n);
    void setToken(SyncKind kind, const QString &token);
    // Forgets every item's state and token (a new server or collection).
    void forget();

private:
    RegKey stateKey(SyncKind kind);
    bool belongs(SyncKind kind, const QString &collection);

    Registry &m_registry;
    QString m_folder;
    const IClock *m_clock;
    AppointmentStore m_appointments;
    TaskStore m_tasks;
    AddressFile m_addresses;
};

} // namespace kv
