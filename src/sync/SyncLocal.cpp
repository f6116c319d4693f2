#include "SyncLocal.h"

#include "archive/ArchiveFile.h"
#include "platform/DateText.h"
#include "platform/RegistryNames.h"

#include <QCryptographicHash>

namespace kv {

namespace {
constexpr QChar kSep(0x1f);

QString hashed(const QStringList &parts) {
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(kSep).toUtf8(), QCryptographicHash::Sha1).toHex());
}

const QString &stateKeyPath(SyncKind kind) {
    switch (kind) {
    case SyncKind::Events:
        return names::syncEventsKey;
    case SyncKind::Tasks:
        return names::syncTasksKey;
    case SyncKind::Contacts:
        break;
    }
    return names::syncContactsKey;
}

QString damagedBook() {
    return QStringLiteral("Baza teleadresowa jest uszkodzona: kontakty nie są synchronizowane.");
}
} // namespace

SyncLocal::SyncLocal(Registry &registry, QString folder, const IClock *clock)
    : m_registry(registry), m_folder(std::move(folder)), m_clock(clock),
      m_appointments(registry.openKey(names::appointmentsKey, true)),
      m_tasks(registry.openKey(names::tasksKey, true)), m_addresses(m_folder) {}

Result<QMap<int, LocalItem>> SyncLocal::items(SyncKind kind) {
    QMap<int, LocalItem> out;
    switch (kind) {
    case SyncKind::Events: {
        const AppointmentFile::Records records = m_appointments.exportRecords();
        for (int n = 1; n <= AppointmentStore::SlotCount; ++n) {
            const AppointmentRecord &r = records[size_t(n - 1)];
            if (r.date.isEmpty() && r.time.isEmpty())
                continue;
            LocalItem item;
            item.content.event.record = r;
            item.fingerprint = fingerprint(kind, item.content);
            out.insert(n, item);
        }
        break;
    }
    case SyncKind::Tasks:
        for (int n = 1; n <= TaskStore::MaxTasks; ++n) {
            if (!m_tasks.exists(n))
                continue;
            LocalItem item;
            item.content.task.text = TaskStore::storedText(m_tasks.text(n).value_or(QString()));
            item.content.task.added = m_tasks.addedOn(n).value_or(QDate());
            item.fingerprint = fingerprint(kind, item.content);
            out.insert(n, item);
        }
        break;
    case SyncKind::Contacts: {
        const AddressFile::Status status = m_addresses.loadWhole();
        if (status == AddressFile::Status::NoFile) {
            for (int n = 0; n < AddressFile::kEntries; ++n)
                m_addresses.ClearEntry(n);
        } else if (status != AddressFile::Status::Done) {
            return Failure{damagedBook()};
        }
        for (int n = 0; n < AddressFile::kEntries; ++n) {
            if (m_addresses.isFree(n))
                continue;
            LocalItem item;
            item.content.card = m_addresses.readEntry(n);
            item.fingerprint = fingerprint(kind, item.content);
            out.insert(n, item);
        }
        break;
    }
    }
    return out;
}

QString SyncLocal::fingerprint(SyncKind kind, const SyncContent &c) {
    switch (kind) {
    case SyncKind::Events: {
        const AppointmentRecord &r = c.event.record;
        return hashed({r.armed ? QStringLiteral("1") : QStringLiteral("0"), r.date, r.time,
                       r.message, QString::number(r.repeat)});
    }
    case SyncKind::Tasks:
        return hashed({c.task.text, c.task.added.toString(Qt::ISODate)});
    case SyncKind::Contacts:
        break;
    }
    QStringList fields;
    for (int f = 0; f < AddressFile::FieldCount; ++f)
        fields << c.card.field(f);
    return hashed(fields);
}

QByteArray SyncLocal::serialize(SyncKind kind, const SyncContent &content, const QString &uid,
                                QByteArrayView serverCopy) {
    if (!serverCopy.isEmpty()) {
        const QByteArray ours = serialize(kind, content, uid);
        return kind == SyncKind::Contacts ? Vcard::merge(serverCopy, ours)
                                          : Icalendar::merge(serverCopy, ours);
    }
    switch (kind) {
    case SyncKind::Events: {
        // Links name an entry of this computer's address book: they stay here.
        CalendarEvent event{content.event.record, uid, {}, {}};
        return Icalendar::write({event}, {});
    }
    case SyncKind::Tasks: {
        CalendarTask task = content.task;
        task.uid = uid;
        return Icalendar::write({}, {task});
    }
    case SyncKind::Contacts:
        break;
    }
    return Vcard::write({VcardEntry{content.card, 0, uid}});
}

QString SyncLocal::fileSuffix(SyncKind kind) {
    return kind == SyncKind::Contacts ? QStringLiteral(".vcf") : QStringLiteral(".ics");
}

QDate SyncLocal::today() const {
    return m_clock ? m_clock->now().date() : QDate::currentDate();
}

ServerContent SyncLocal::parse(bool calendar, QByteArrayView data, QDate today) {
    ServerContent out;
    if (calendar) {
        // No clock: what the server holds is taken as it is, past or not.
        const auto contents = Icalendar::read(data, QDateTime());
        if (!contents)
            return out;
        if (contents->events.size() + contents->tasks.size() == 1 && contents->refused.empty()) {
            SyncContent c;
            if (contents->events.size() == 1) {
                out.kind = SyncKind::Events;
                c.event = contents->events.first();
                c.event.link.reset();
                c.event.linkName.clear();
                out.uid = c.event.uid;
            } else {
                out.kind = SyncKind::Tasks;
                c.task = contents->tasks.first();
                // A to-do without a day of its own is added today, as it is stored.
                if (!c.task.added.isValid())
                    c.task.added = today;
                out.uid = c.task.uid;
            }
            out.fingerprint = fingerprint(out.kind, c);
            out.content = c;
        } else if (!contents->refused.empty()) {
            out.refusal = contents->refused.begin()->first;
        }
        return out;
    }
    out.kind = SyncKind::Contacts;
    const auto contents = Vcard::read(data);
    if (!contents)
        return out;
    if (contents->entries.size() == 1 && contents->refused.empty()) {
        if (contents->valuesLeftOut > 0) {
            // Values this program has no place for would be lost on the
            // server by the next change made here.
            out.refusal = ImportRefusal::MoreValues;
            return out;
        }
        SyncContent c;
        c.card = contents->entries.first().record;
        out.uid = contents->entries.first().uid;
        out.fingerprint = fingerprint(out.kind, c);
        out.content = c;
    } else if (!contents->refused.empty()) {
        out.refusal = contents->refused.begin()->first;
    }
    return out;
}

QList<int> SyncLocal::freePlaces(SyncKind kind) {
    QList<int> out;
    switch (kind) {
    case SyncKind::Events:
        for (int n = 1; n <= AppointmentStore::SlotCount; ++n)
            if (m_appointments.slotIsEmpty(n))
                out << n;
        return out;
    case SyncKind::Tasks:
        for (int n = 1; n <= TaskStore::MaxTasks; ++n)
            if (!m_tasks.exists(n))
                out << n;
        return out;
    case SyncKind::Contacts:
        break;
    }
    return m_addresses.freeEntries();
}

void SyncLocal::put(SyncKind kind, int n, const SyncContent &content) {
    switch (kind) {
    case SyncKind::Events:
        // A link to an entry of this computer stays with its slot.
        m_appointments.putRecord(n, content.event.record, content.event.uid, true);
        return;
    case SyncKind::Tasks:
        m_tasks.put(n, TaskStore::editorText(content.task.text),
                    content.task.added.isValid() ? content.task.added : today());
        return;
    case SyncKind::Contacts:
        m_addresses.writeEntry(n, content.card);
        return;
    }
}

void SyncLocal::remove(SyncKind kind, int n) {
    switch (kind) {
    case SyncKind::Events:
        m_appointments.deleteSlot(n);
        return;
    case SyncKind::Tasks:
        m_tasks.remove(n);
        return;
    case SyncKind::Contacts:
        m_addresses.ClearEntry(n);
        return;
    }
}

bool SyncLocal::commitContacts() {
    return m_addresses.SaveAddressImage();
}

bool SyncLocal::archive(const SyncContent &content) {
    ArchiveFile archive(m_folder);
    const AppointmentRecord &r = content.event.record;
    const QString day = r.date.isEmpty() ? storedDate(today()) : r.date;
    return archive.append(day, r.message).status == ArchiveFile::AppendResult::Stored;
}

RegKey SyncLocal::stateKey(SyncKind kind) {
    return m_registry.openKey(stateKeyPath(kind), true);
}

QString SyncLocal::collectionId(const QString &server, const QString &user, const QString &url) {
    return QStringList{server, user, url}.join(QLatin1Char('\n'));
}

bool SyncLocal::belongs(SyncKind kind, const QString &collection) {
    return stateKey(kind).stringOrAbsent(names::syncCollection) == collection;
}

QMap<int, ItemState> SyncLocal::states(SyncKind kind, const QString &collection) {
    if (!belongs(kind, collection))
        return {};
    QMap<int, ItemState> out;
    QMap<int, QByteArray> copies;
    QSet<int> fresh;
    const QString item = QStringLiteral("item ");
    const QString data = QStringLiteral("data ");
    const QString young = QStringLiteral("new ");
    for (const auto &[name, value] : stateKey(kind).strings()) {
        bool ok = false;
        if (name.startsWith(young, Qt::CaseInsensitive)) {
            const int n = name.mid(young.size()).toInt(&ok);
            if (ok)
                fresh.insert(n);
            continue;
        }
        if (name.startsWith(data, Qt::CaseInsensitive)) {
            const int n = name.mid(data.size()).toInt(&ok);
            if (ok)
                copies.insert(n, value.toUtf8());
            continue;
        }
        if (!name.startsWith(item, Qt::CaseInsensitive))
            continue;
        const int n = name.mid(item.size()).toInt(&ok);
        const QStringList parts = value.split(kSep);
        if (!ok || parts.size() != 4)
            continue;
        out.insert(n, ItemState{parts[0], parts[1], parts[2], parts[3], {}});
    }
    for (auto it = copies.cbegin(); it != copies.cend(); ++it)
        if (out.contains(it.key()))
            out[it.key()].data = it.value();
    for (const int n : std::as_const(fresh))
        if (out.contains(n))
            out[n].fresh = true;
    return out;
}

void SyncLocal::putState(SyncKind kind, int n, const ItemState &s) {
    RegKey key = stateKey(kind);
    key.writeString(names::syncItem(n),
                    QStringList{s.uid, s.href, s.etag, s.fingerprint}.join(kSep));
    if (s.data.isEmpty())
        key.deleteValue(names::syncCopy(n));
    else
        key.writeString(names::syncCopy(n), QString::fromUtf8(s.data));
    if (s.fresh)
        key.writeString(names::syncFresh(n), QStringLiteral("1"));
    else
        key.deleteValue(names::syncFresh(n));
}

void SyncLocal::dropState(SyncKind kind, int n) {
    RegKey key = stateKey(kind);
    key.deleteValue(names::syncItem(n));
    key.deleteValue(names::syncCopy(n));
    key.deleteValue(names::syncFresh(n));
}

QString SyncLocal::token(SyncKind kind, const QString &collection) {
    if (!belongs(kind, collection))
        return {};
    return stateKey(kind).stringOrAbsent(names::syncToken).value_or(QString());
}

void SyncLocal::bind(SyncKind kind, const QString &collection) {
    if (belongs(kind, collection))
        return;
    RegKey key = stateKey(kind);
    for (const auto &[name, value] : key.strings())
        key.deleteValue(name);
    key.writeString(names::syncCollection, collection);
}

void SyncLocal::setToken(SyncKind kind, const QString &token) {
    RegKey key = stateKey(kind);
    // A sync that found nothing writes nothing (each write is a flush to disk).
    if (key.stringOrAbsent(names::syncToken) != token)
        key.writeString(names::syncToken, token);
}

void SyncLocal::forget() {
    m_registry.transaction([&] {
        for (SyncKind kind : {SyncKind::Events, SyncKind::Tasks, SyncKind::Contacts}) {
            RegKey key = stateKey(kind);
            for (const auto &[name, value] : key.strings())
                key.deleteValue(name);
        }
    });
}

} // namespace kv
