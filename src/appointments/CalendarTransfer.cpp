#include "CalendarTransfer.h"

#include "interchange/ItemIds.h"
#include "platform/RegistryNames.h"

namespace kv {

CalendarTransfer::CalendarTransfer(AppointmentStore &store, TaskStore &tasks,
                                   std::function<QString(int)> linkName)
    : m_store(store), m_tasks(tasks), m_linkName(std::move(linkName)) {}

int CalendarTransfer::Plan::refusedCount() const {
    int count = 0;
    for (const auto &[reason, n] : refused)
        count += n;
    return count;
}

QByteArray CalendarTransfer::exportCalendar() {
    const AppointmentFile::Records records = m_store.exportRecords();
    RegKey &key = m_store.key();
    QList<CalendarEvent> events;
    for (int n = 1; n <= AppointmentStore::SlotCount; ++n) {
        const AppointmentRecord &record = records[size_t(n - 1)];
        if (record.date.isEmpty() && record.time.isEmpty())
            continue;
        CalendarEvent event{record, key.stringOrAbsent(names::uid(n)).value_or(QString()), {}, {}};
        if (event.uid.isEmpty()) {
            event.uid = newItemUid();
            key.writeString(names::uid(n), event.uid);
        }
        event.link = m_store.load(n).link;
        if (event.link && m_linkName)
            event.linkName = m_linkName(*event.link);
        events << event;
    }
    QList<CalendarTask> tasks;
    for (int n = 1; n <= TaskStore::MaxTasks; ++n) {
        if (!m_tasks.exists(n))
            continue;
        // The task's own text, as the store keeps it (CR LF).
        tasks << CalendarTask{TaskStore::storedText(m_tasks.text(n).value_or(QString())),
                              m_tasks.addedOn(n).value_or(QDate()), taskUid(n)};
    }
    return Icalendar::write(events, tasks);
}

CalendarTransfer::Plan CalendarTransfer::plan(const Icalendar::Contents &contents) const {
    Plan plan;
    plan.refused = contents.refused;
    // An identity already held by a slot (a file exported from here) is not
    // given to a second one: the added slot gets its own at the next export.
    QStringList held;
    for (int n = 1; n <= AppointmentStore::SlotCount; ++n)
        if (const auto uid = m_store.key().stringOrAbsent(names::uid(n)))
            held << *uid;
    int slot = 1;
    for (qsizetype i = 0; i < contents.events.size(); ++i) {
        CalendarEvent event = contents.events[i];
        if (held.contains(event.uid))
            event.uid.clear();
        while (slot <= AppointmentStore::SlotCount && !m_store.slotIsFree(slot))
            ++slot;
        if (slot > AppointmentStore::SlotCount) {
            ++plan.refused[ImportRefusal::NoRoom];
            continue;
        }
        plan.placedEvents << std::make_pair(slot++, event);
        plan.shifted += contents.shifted.contains(int(i)) ? 1 : 0;
    }
    int task = 1;
    for (const CalendarTask &t : contents.tasks) {
        while (task <= TaskStore::MaxTasks && m_tasks.exists(task))
            ++task;
        if (task > TaskStore::MaxTasks) {
            ++plan.refused[ImportRefusal::NoRoom];
            continue;
        }
        plan.placedTasks << std::make_pair(task++, t);
    }
    return plan;
}

void CalendarTransfer::apply(const Plan &plan) {
    Registry *registry = m_store.key().registry();
    if (!registry)
        throw RegistryError("registry: key not open");
    registry->transaction([&] {
        for (const auto &[n, event] : plan.placedEvents)
            m_store.putRecord(n, event.record, event.uid, false);
        for (const auto &[n, task] : plan.placedTasks)
            m_tasks.put(n, TaskStore::editorText(task.text),
                        task.added.isValid() ? task.added : QDate::currentDate());
    });
}

QString CalendarTransfer::confirmationText(const Plan &plan) {
    return QStringLiteral("Do dodania: terminy – %1, zadania – %2.")
               .arg(plan.placedEvents.size())
               .arg(plan.placedTasks.size()) +
           (plan.shifted
                ? QStringLiteral("\nPrzesunięte o godzinę później (tej godziny nie ma przy "
                                 "zmianie czasu na letni) – %1.")
                      .arg(plan.shifted)
                : QString()) +
           refusalSummary(plan.refused);
}

} // namespace kv
