#pragma once
// The appointments and the tasks as one iCalendar file: the export of every
// slot that holds an appointment and of every task, and the import that adds
// what a file holds to the free slots and task numbers, lowest first.

#include "AppointmentStore.h"
#include "Icalendar.h"
#include "tasks/TaskStore.h"

#include <functional>
#include <utility>

namespace kv {

class CalendarTransfer {
public:
    // `linkName` gives the name of an address entry, for the events linked to it.
    CalendarTransfer(AppointmentStore &store, TaskStore &tasks,
                     std::function<QString(int)> linkName = {});

    // Every slot with a date or a time, and every task. A slot without an
    // identity gets one, kept in the store, so that it stays the same event.
    QByteArray exportCalendar();

    struct Plan {
        QList<std::pair<int, CalendarEvent>> placedEvents; // slot number, event
        QList<std::pair<int, CalendarTask>> placedTasks;   // task number, task
        RefusalCounts refused;
        int shifted = 0; // events placed an hour later: their time is skipped in spring
        int refusedCount() const;
    };
    // Places what the file holds: free slots and task numbers, lowest first;
    // what does not fit is counted as NoRoom. (The reader has already moved
    // a series that began long ago on to its next occurrence.)
    Plan plan(const Icalendar::Contents &contents) const;
    // Writes the plan in one transaction: on an error nothing is written, and
    // the error goes on to the caller.
    void apply(const Plan &plan);

    // The confirmation before an import: how much is added, and what is not, why.
    static QString confirmationText(const Plan &plan);

private:
    AppointmentStore &m_store;
    TaskStore &m_tasks;
    std::function<QString(int)> m_linkName;
};

} // namespace kv
