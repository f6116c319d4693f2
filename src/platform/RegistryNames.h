#pragma once
// Every key path and value name the program keeps in its registry.

#include <QString>

namespace kv::names {

// --- keys
inline const QString settingsKey = QStringLiteral("Software\\Kelvadrin");
inline const QString appointmentsKey = QStringLiteral("Software\\Kelvadrin\\Terminy");
inline const QString tasksKey = QStringLiteral("Software\\Kelvadrin\\Zadania");
inline const QString foldersKey = QStringLiteral("Software\\Kelvadrin\\Foldery");
// The calendar and address book server; a key of its own per kind of item
// for the sync state.
inline const QString syncKey = QStringLiteral("Software\\Kelvadrin\\Synchronizacja");
inline const QString syncEventsKey = QStringLiteral("Software\\Kelvadrin\\Synchronizacja\\Terminy");
inline const QString syncTasksKey = QStringLiteral("Software\\Kelvadrin\\Synchronizacja\\Zadania");
inline const QString syncContactsKey =
    QStringLiteral("Software\\Kelvadrin\\Synchronizacja\\Adresy");

// --- settings key
inline const QString sound = QStringLiteral("Sound");
inline const QString soundAlert = QStringLiteral("Sound Alert");
inline const QString soundAlertTime = QStringLiteral("Sound Alert Time");
inline const QString archive = QStringLiteral("Archive");
// Whether a reminder also goes out as a desktop notification (on when absent).
inline const QString desktopNotices = QStringLiteral("Desktop Notices");

// --- appointments key: each field of slot N is a value of its own
inline QString termin(int n) {
    return QStringLiteral("Termin %1").arg(n);
}
inline QString date(int n) {
    return QStringLiteral("Date %1").arg(n);
}
inline QString time(int n) {
    return QStringLiteral("Time %1").arg(n);
}
inline QString info(int n) {
    return QStringLiteral("Info %1").arg(n);
}
inline QString repeat(int n) {
    return QStringLiteral("Repeat %1").arg(n);
}
// The link: written "Add adress N", read as "Add Adress N"; names compare
// without regard to case, so both are one value.
// The slot's identity in calendar files and on calendar servers.
inline QString uid(int n) {
    return QStringLiteral("UID %1").arg(n);
}
inline QString link(int n) {
    return QStringLiteral("Add adress %1").arg(n);
}
inline QString linkRead(int n) {
    return QStringLiteral("Add Adress %1").arg(n);
}

// --- tasks key: task N (1..100) is its date in words and its text
inline QString taskDate(int n) {
    return QStringLiteral("Date %1").arg(n);
}
inline QString taskInfo(int n) {
    return QStringLiteral("Info %1").arg(n);
}

// --- sync key
inline const QString syncServer = QStringLiteral("Server");
inline const QString syncUser = QStringLiteral("User");
inline const QString syncCalendar = QStringLiteral("Calendar");
inline const QString syncTaskList = QStringLiteral("Task List");
inline const QString syncAddressBook = QStringLiteral("Address Book");
inline const QString syncCalendarName = QStringLiteral("Calendar Name");
inline const QString syncTaskListName = QStringLiteral("Task List Name");
inline const QString syncAddressBookName = QStringLiteral("Address Book Name");
inline const QString syncLastTime = QStringLiteral("Last Sync");
inline const QString syncLastResult = QStringLiteral("Last Result");
// --- sync state keys: the collection's sync token (or "ctag:" and its
// ctag) and the state of the item at local number N
inline const QString syncToken = QStringLiteral("Token");
// The collection a state key belongs to: server, user and the collection's
// address; a state of another collection is never read.
inline const QString syncCollection = QStringLiteral("Collection");
inline QString syncItem(int n) {
    return QStringLiteral("Item %1").arg(n);
}
// The server's copy of that item.
inline QString syncCopy(int n) {
    return QStringLiteral("Data %1").arg(n);
}
// Present while that item, sent as new, is younger than the token kept.
inline QString syncFresh(int n) {
    return QStringLiteral("New %1").arg(n);
}
// --- folders key: the folder of the file each dialog chose last
inline const QString folderAppointmentsExport = QStringLiteral("Terminy eksport");
inline const QString folderAppointmentsImport = QStringLiteral("Terminy import");
inline const QString folderAddressExport = QStringLiteral("Baza teleadresowa eksport");
inline const QString folderAddressImport = QStringLiteral("Baza teleadresowa import");
inline const QString folderSound = QStringLiteral("Dźwięk");

} // namespace kv::names
